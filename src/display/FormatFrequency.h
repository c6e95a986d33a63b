#pragma once
// Frequencies and figures as the player reads them, with the separators of the
// user's locale.

#include <QLocale>
#include <QString>

// value in number format: the integer part grouped in threes, at most
// `significantDigits` significant digits and exactly `decimals` decimals; the
// value is rounded once, to the coarser of the two, a half away from zero.
QString FormatNumber(double value, int significantDigits, int decimals, const QLocale& locale);

// A short text such as 31.5Hz, 1,005Hz or 1.25kHz. Hz up to just below 1010,
// so 1000..1009 keep four digits.
QString FormatFrequency(double frequencyHz, const QLocale& locale);
QString FormatFrequency(double frequencyHz); // the default locale
