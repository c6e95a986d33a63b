#pragma once
// What a path is when it is no file of ours, in the words the player reads.
// Without Qt, so the stage renderer shares them. Thread: any (pure).

#include <sys/types.h>

// "eine benannte Pipe (FIFO)", "ein Gerät" or "ein Socket" for those kinds of
// `mode` (from stat); null for a regular file, a folder or a link.
const char* SpecialFileKind(mode_t mode);
