#pragma once
// Pixel-for-pixel comparison of two pictures, with a message that says where
// and how they differ.

#include <QImage>
#include <QPoint>
#include <QString>

#include <optional>

// Where two pictures differ first, (-1, -1) for different sizes, or nothing
// when they are the same.
std::optional<QPoint> FirstDifference(const QImage& shown, const QImage& expected);

// "step: pixel (x, y) is ..., expected ..." for a difference found above.
QString DescribeDifference(const std::optional<QPoint>& at, const QImage& shown,
                           const QImage& expected, const QString& step);
