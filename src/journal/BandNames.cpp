#include "journal/BandNames.h"

#include "model/FaderModel.h"

QString BandAxisLabel(int band)
{
    if (band < 0 || band >= BandCount)
        return QString();
    return QString::fromLatin1(BandDefinitions[band].label);
}

QLocale GermanNumbers()
{
    return QLocale(QLocale::German, QLocale::Germany);
}

QString BandName(int band, const QLocale& locale)
{
    if (band < 0 || band >= BandCount)
        return QString();
    const double hz = BandDefinitions[band].frequencyHz;
    if (hz < 1000)
        return locale.toString(hz, 'g', 6) + QStringLiteral(" Hz");
    return locale.toString(hz / 1000, 'g', 6) + QStringLiteral(" kHz");
}
