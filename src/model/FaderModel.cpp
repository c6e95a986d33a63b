#include "model/FaderModel.h"

#include "model/TurnMachine.h"
#include "platform/Random.h"

#include <algorithm>
#include <cstring>

const std::array<BandDefinition, BandCount> BandDefinitions = {{
    {"25", 25},   {"32", 31.5},   {"50", 50},      {"62", 62.5},   {"80", 80},     {"100", 100},
    {"125", 125}, {"160", 160},   {"200", 200},    {"250", 250},   {"315", 315},   {"400", 400},
    {"500", 500}, {"625", 625},   {"800", 800},    {"1k", 1000},   {"1.25", 1250}, {"1.6", 1600},
    {"2", 2000},  {"2.5", 2500},  {"3.15", 3150},  {"4k", 4000},   {"5k", 5000},   {"6.25", 6250},
    {"8k", 8000}, {"10k", 10000}, {"12.5", 12500}, {"16k", 16000},
}};

QString BandLabel(const BandSlot& slot)
{
    const int length = std::min<int>(slot.Label[0], sizeof(slot.Label) - 1);
    QString text;
    text.reserve(length);
    // Windows-1252 for the printable ASCII the labels use; other bytes as Latin-1.
    for (int i = 1; i <= length; ++i)
        text.append(QChar(slot.Label[i]));
    return text;
}

void SetBandLabel(BandSlot& slot, const QString& text)
{
    const QByteArray bytes = text.toLatin1().left(sizeof(slot.Label) - 1);
    std::memset(slot.Label, 0, sizeof(slot.Label));
    slot.Label[0] = static_cast<std::uint8_t>(bytes.size());
    std::memcpy(slot.Label + 1, bytes.constData(), bytes.size());
}

bool IsChartMode(GameModeValue mode)
{
    switch (mode) {
    case ModeCurrentAttempts:
    case ModeCurrentTimes:
    case ModeTotalAttempts:
    case ModeTotalTimes:
    case ModeProgressAttempts:
    case ModeProgressTimes:
        return true;
    default:
        return false;
    }
}

bool IsFaderMode(GameModeValue mode)
{
    return !IsChartMode(mode);
}

FaderKindValue FaderKind(const FaderSlice& faders, int fader)
{
    if (fader < faders.LowCutBand)
        return FaderBelowCut;
    if (fader == VolumeFader)
        return FaderVolume;
    if (fader > faders.HighCutBand)
        return FaderAboveCut;
    return FaderInPlay;
}

FaderModel::FaderModel(GameState& state, QObject* parent)
    : QObject(parent), faders_(state), state_(state)
{
}

void FaderModel::InitBandTable(RandomGenerator& random)
{
    random.SeedFromClock();
    for (int i = 0; i < BandCount; ++i) {
        BandSlot& slot = faders_.BandTable[i];
        slot.Level = 0;
        slot.Finds = 0;
        slot.Attempts = 0;
        slot.FindTime = 0;
        SetBandLabel(slot, QString::fromLatin1(BandDefinitions[i].label));
        slot.Frequency = BandDefinitions[i].frequencyHz;
    }
    emit changed();
}

void FaderModel::LockAllFaders()
{
    for (BandSlot& slot : faders_.BandTable)
        slot.Locked = 1;
    faders_.SelectedFader = NoFader;
    emit changed();
}

void FaderModel::OpenCutRange()
{
    // The settings reader and the menus keep the range inside the table.
    for (int i = faders_.LowCutBand; i <= faders_.HighCutBand; ++i)
        faders_.BandTable[i].Locked = 0;
    faders_.SelectedFader = NoFader;
    emit changed();
}

void FaderModel::ResetLevels()
{
    for (BandSlot& slot : faders_.BandTable)
        slot.Level = 0;
    emit changed();
}

void FaderModel::ChangeCutRange(CutEdge edge, int band)
{
    if (TurnMachine::CutRangeFixed(state_.GameMode))
        return;
    LockAllFaders();
    if (edge == CutEdge::Low)
        faders_.LowCutBand = band;
    else
        faders_.HighCutBand = band;
    OpenCutRange();
}

void FaderModel::SelectFader(int fader)
{
    faders_.SelectedFader = fader;
    emit changed();
}

void FaderModel::SetLevel(int band, int level)
{
    faders_.BandTable[band].Level = level;
    emit changed();
}

void FaderModel::SetLocked(int band, bool locked)
{
    faders_.BandTable[band].Locked = locked ? 1 : 0;
    emit changed();
}

void FaderModel::SetMasterVolume(int level)
{
    faders_.MasterVolume = level;
    emit changed();
}
