#include "support/Builders.h"

#include "model/FaderModel.h"

#include <QTest>

BandArray FreshBandTable()
{
    BandArray table{};
    for (int band = 0; band < BandCount; ++band) {
        SetBandLabel(table[band], QString::fromLatin1(BandDefinitions[band].label));
        table[band].Frequency = BandDefinitions[band].frequencyHz;
    }
    return table;
}

GameState StartUpState()
{
    GameState state;
    state.BandTable = FreshBandTable();
    for (int band = 0; band < BandCount; ++band)
        state.BandTable[band].Locked =
            (band < state.LowCutBand || band > state.HighCutBand) ? 1 : 0;
    state.StoredBandTable = FreshBandTable();
    return state;
}

int CountColour(const QImage& image, QRect area, QRgb colour)
{
    int count = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == colour)
                ++count;
    return count;
}

QList<int> BandsMarkedAbove(const QImage& picture, const FaderGeometry& geometry)
{
    QList<int> marked;
    for (int band = 0; band < BandCount; ++band) {
        const int centre = qRound(geometry.ColumnCentre(band));
        if (CountColour(picture, QRect(centre, 0, 1, geometry.TrackTop), qRgb(255, 255, 255)) > 0)
            marked.append(band);
    }
    return marked;
}

char* toString(const BandCounters& counters)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3)")
                               .arg(counters.Finds)
                               .arg(counters.Attempts)
                               .arg(counters.FindTime));
}
