#pragma once
// What every libFuzzer entry does with its check: a failure is printed and
// aborts, so libFuzzer keeps the input.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

inline int RunFuzzCheck(QString (*check)(const QByteArray&), const std::uint8_t* data,
                        std::size_t size)
{
    const QString failure = check(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
