#pragma once
// What a path is when it is no file of ours, in the words the player reads.
// Without Qt in its interface, so the stage renderer shares them; the words
// are German, and marked for translation in context "FileKind" where the
// game shows them. Thread: any (pure).

#include <sys/types.h>

// "eine benannte Pipe (FIFO)", "ein Gerät" or "ein Socket" for those kinds of
// `mode` (from stat); null for a regular file, a folder or a link.
const char* SpecialFileKind(mode_t mode);
