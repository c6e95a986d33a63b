#include "platform/FileKind.h"

#include <QtGlobal>

#include <sys/stat.h>

const char* SpecialFileKind(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QT_TRANSLATE_NOOP("FileKind", "eine benannte Pipe (FIFO)");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QT_TRANSLATE_NOOP("FileKind", "ein Gerät");
    if (S_ISSOCK(mode))
        return QT_TRANSLATE_NOOP("FileKind", "ein Socket");
    return nullptr;
}
