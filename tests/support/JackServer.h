#pragma once
// A private JACK server with the dummy back end (no sound card, no real-time
// rights needed) for the MIDI tests: started with a name of its own, which
// this process's JACK clients then use, and stopped by its PID.

#include <QByteArray>
#include <QProcess>
#include <QString>

#include <optional>

class JackServer {
  public:
    // Starts jackd and waits until it answers. The period is long by default:
    // a client that misses a cycle loses that cycle's MIDI, and at 64 frames
    // under the sanitizers that happened some 40 times in one run of the
    // MIDI tests.
    explicit JackServer(int sampleRateHz = 48000, int periodFrames = 1024);
    ~JackServer();
    bool Answers() const { return answers_; }
    QString Name() const { return name_; }
    // Stops jackd under its clients (SIGTERM to its PID) and waits for it.
    // It may die of SIGPIPE on a client that closed at once and keep its
    // entry in JACK's registry of servers (eight at most): a new server of
    // the same name frees it.
    void Stop();
    // What jackd said, for a failure message.
    QByteArray Output();

  private:
    QProcess process_;
    QString name_;
    bool answers_ = false;
    std::optional<QByteArray> previousServer_;
};
