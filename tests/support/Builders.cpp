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

char* toString(const BandCounters& counters)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3)")
                               .arg(counters.Finds)
                               .arg(counters.Attempts)
                               .arg(counters.FindTime));
}
