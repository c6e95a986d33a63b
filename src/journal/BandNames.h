#pragma once
// How the journal's windows name a band: the fader bank's label on the axes,
// the nominal frequency with its unit in sentences. Thread: GUI only.

#include <QLocale>
#include <QString>

// The label under the band's fader ("1k", "2.5", "32").
QString BandAxisLabel(int band);
// The program's texts are German, so are their numbers, whatever the
// desktop's language: "1,5 s", "10.000 Runden".
QLocale GermanNumbers();
// "31,5 Hz", "1 kHz", "1,25 kHz" in the given locale.
QString BandName(int band, const QLocale& locale = GermanNumbers());
