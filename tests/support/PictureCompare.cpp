#include "support/PictureCompare.h"

#include <cstring>

std::optional<QPoint> FirstDifference(const QImage& shown, const QImage& expected)
{
    const QImage a = shown.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (a.size() != b.size())
        return QPoint(-1, -1);
    for (int y = 0; y < a.height(); ++y) {
        const auto* lineA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* lineB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        if (std::memcmp(lineA, lineB, a.width() * sizeof(QRgb)) == 0)
            continue;
        for (int x = 0; x < a.width(); ++x)
            if (lineA[x] != lineB[x])
                return QPoint(x, y);
    }
    return std::nullopt;
}

QString DescribeDifference(const std::optional<QPoint>& at, const QImage& shown,
                           const QImage& expected, const QString& step)
{
    if (!at)
        return step + QStringLiteral(": the same");
    if (at->x() < 0)
        return QStringLiteral("%1: size %2x%3, expected %4x%5")
            .arg(step)
            .arg(shown.width())
            .arg(shown.height())
            .arg(expected.width())
            .arg(expected.height());
    return QStringLiteral("%1: pixel (%2, %3) is %4, expected %5")
        .arg(step)
        .arg(at->x())
        .arg(at->y())
        .arg(shown.pixel(*at), 8, 16)
        .arg(expected.pixel(*at), 8, 16);
}
