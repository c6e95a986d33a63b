#pragma once
// Reads the system's font configuration (fontconfig's files and caches, some
// milliseconds) on a thread of its own while the application connects to the
// display; the first window needs it to measure its text.
// Threads: construct first thing in main, before the application; call
// Finish on the same thread before any text is measured.

#include <thread>

class FontConfigWarmUp {
  public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

    // Waits until the configuration is read. Qt reads it itself when it first
    // needs it, so this must come first: two readers would both do the work.
    void Finish();

  private:
    std::thread thread_;
};
