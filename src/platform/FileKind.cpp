#include "platform/FileKind.h"

#include <sys/stat.h>

const char* SpecialFileKind(mode_t mode)
{
    if (S_ISFIFO(mode))
        return "eine benannte Pipe (FIFO)";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "ein Gerät";
    if (S_ISSOCK(mode))
        return "ein Socket";
    return nullptr;
}
