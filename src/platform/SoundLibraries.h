#pragma once
// PortAudio, and the ALSA and JACK client libraries it brings, are opened on
// first use rather than linked: the safety warning and the bank need none of
// them, and loading them cost the program's start 0.7 ms before its first
// window. The Pa_ functions the game calls are defined in SoundLibraries.cpp
// and forward to libportaudio, so callers use PortAudio's own header as usual.
// A machine without libportaudio plays as one without a sound card.

// ALSA and JACK print dozens of lines while PortAudio probes a machine without
// a sound card; the game reports failures in its own words. Call before
// Pa_Initialize, from any thread.
void SilenceSoundSystemMessages();
