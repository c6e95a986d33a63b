#pragma once
// Integer digits grouped in threes with the locale's thousands separator,
// the one grouping rule every figure the game shows follows.

#include <QLocale>
#include <QString>
#include <string>

// `digits` are ASCII digits without sign; a locale that omits group
// separators gets them unchanged.
QString GroupInThrees(const std::string& digits, const QLocale& locale);
