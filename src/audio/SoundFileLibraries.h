#pragma once
// libsndfile and libsamplerate, opened on first use rather than linked: they
// bring seven codec libraries with them, which every start of the program
// would load although only a music bed needs them.

#include <QString>
#include <samplerate.h>
#include <sndfile.h>

struct SoundFileLibraries {
    decltype(&sf_open_fd) openDescriptor;
    decltype(&sf_readf_float) readFloatFrames;
    decltype(&sf_close) close;
    decltype(&sf_error) error;
    decltype(&sf_strerror) errorText;
    decltype(&src_new) newResampler;
    decltype(&src_process) process;
    decltype(&src_delete) deleteResampler;
    decltype(&src_strerror) resamplerErrorText;
};

// Both libraries, loaded by the first call; null when either is missing,
// with the reason, in the player's language, in `errorText`. They stay loaded, and the table
// stays in memory, until the process is gone: a decoding may still run while
// the program exits. Thread: any (loads once).
const SoundFileLibraries* LoadSoundFileLibraries(QString* errorText);
