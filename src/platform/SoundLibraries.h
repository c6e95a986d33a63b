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

// PortAudio's JACK host API holds a client on the server from Pa_Initialize
// to Pa_Terminate, and its terminate asserts that deactivating that client
// worked, which a server that has gone refuses: the program aborted on quit.
// A client of our own without ports, opened just after PortAudio's, hears
// when the server goes (a new server later does not bring PortAudio's back).
// Thread: the device scan, after Pa_Initialize; nothing when PortAudio found
// no JACK server.
void WatchPortAudioJackServer();
// Whether that server went away; then Pa_Terminate must not run (the program
// ends, and the other sound systems' streams are closed by then). Closes the
// watch. Thread: the one that ends PortAudio, after the scan.
bool EndPortAudioJackWatch();
