#pragma once
// The number format of every figure the player reads: the status lines and
// the chart labels. Thread: any (pure).

#include <QLocale>
#include <QString>

// x shortened to significantDigits significant digits and at most one
// decimal, whichever keeps fewer digits; an exact half rounds away from zero.
// Fixed form with the locale's separators and exactly one decimal, or
// scientific form ("1,2E2") when more than significantDigits digits would
// stand before the decimal point.
QString FormatFigure(double x, int significantDigits, const QLocale& locale);
QString FormatFigure(double x, int significantDigits);
