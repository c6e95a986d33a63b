#include "midi/MidiMapping.h"

#include "model/BandSlot.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int ControllerMax = 127;
constexpr int BendMax = 16383;
constexpr int LevelSpan = MaxLevel - MinLevel; // 24
constexpr int BankSize = 8;
constexpr int LastBank = (BandCount - 1) / BankSize;
constexpr int MackieVolumeChannel = 8;
constexpr int BankDownNote = 46;
constexpr int BankUpNote = 47;

// round(numerator / denominator), ties to even, for non-negative values.
int RoundedQuotient(int numerator, int denominator)
{
    const int quotient = numerator / denominator;
    const int twiceRemainder = 2 * (numerator % denominator);
    if (twiceRemainder > denominator || (twiceRemainder == denominator && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

// floor((level + 12) * top / 24 + 0.5)
int ValueFromLevel(int level, int top)
{
    return ((level - MinLevel) * top * 2 + LevelSpan) / (2 * LevelSpan);
}

} // namespace

MidiEvent DecodeMidiMessage(const unsigned char* bytes, std::size_t size)
{
    if (size != 3 || bytes[0] < 0x80 || bytes[1] > 0x7f || bytes[2] > 0x7f)
        return {};
    const int channel = bytes[0] & 0x0f;
    switch (bytes[0] & 0xf0) {
    case 0xb0:
        return {MidiSlot::Controller(channel, bytes[1]), bytes[2]};
    case 0xe0:
        return {MidiSlot::Bend(channel), bytes[1] | (bytes[2] << 7)};
    case 0x90:
        if (channel == 0 && bytes[2] > 0 && bytes[1] == BankDownNote)
            return {MidiSlot::BankDown, bytes[2]};
        if (channel == 0 && bytes[2] > 0 && bytes[1] == BankUpNote)
            return {MidiSlot::BankUp, bytes[2]};
        return {};
    default:
        return {};
    }
}

QString DescribeMidiEvent(const MidiEvent& event)
{
    if (event.slot == MidiSlot::BankDown || event.slot == MidiSlot::BankUp)
        return QCoreApplication::translate("MidiMapping", "Note %1 Kanal 1")
            .arg(event.slot == MidiSlot::BankDown ? BankDownNote : BankUpNote);
    if (MidiSlot::IsBend(event.slot))
        return QCoreApplication::translate("MidiMapping", "Pitch Bend Kanal %1 = %2")
            .arg(MidiSlot::Channel(event.slot) + 1)
            .arg(event.value);
    return QCoreApplication::translate("MidiMapping", "CC %1 Kanal %2 = %3")
        .arg(event.slot % 128)
        .arg(MidiSlot::Channel(event.slot) + 1)
        .arg(event.value);
}

int LevelFromController(int value)
{
    return MinLevel + RoundedQuotient(LevelSpan * value, ControllerMax);
}

int ControllerFromLevel(int level)
{
    return ValueFromLevel(level, ControllerMax);
}

int LevelFromBend(int value)
{
    return MinLevel + RoundedQuotient(LevelSpan * value, BendMax);
}

int BendFromLevel(int level)
{
    return ValueFromLevel(level, BendMax);
}

std::array<unsigned char, 3> FeedbackMessage(int slot, int level)
{
    const auto channel = static_cast<unsigned char>(MidiSlot::Channel(slot));
    if (MidiSlot::IsBend(slot)) {
        const int value = BendFromLevel(level);
        return {static_cast<unsigned char>(0xe0 | channel),
                static_cast<unsigned char>(value & 0x7f), static_cast<unsigned char>(value >> 7)};
    }
    return {static_cast<unsigned char>(0xb0 | channel), static_cast<unsigned char>(slot % 128),
            static_cast<unsigned char>(ControllerFromLevel(level))};
}

MidiMapping::MidiMapping()
{
    learned_.fill(NoFader);
}

void MidiMapping::SetKind(MidiMappingKind kind)
{
    kind_ = kind;
    bank_ = 0;
}

bool MidiMapping::ShiftBank(int direction)
{
    const int bank = std::clamp(bank_ + direction, 0, LastBank);
    if (kind_ != MidiMappingKind::Mackie || bank == bank_)
        return false;
    bank_ = bank;
    return true;
}

int MidiMapping::BankFirstFader() const
{
    return kind_ == MidiMappingKind::Mackie ? bank_ * BankSize : NoFader;
}

int MidiMapping::BankFaderCount() const
{
    return kind_ == MidiMappingKind::Mackie ? std::min(BankSize, BandCount - bank_ * BankSize) : 0;
}

int MidiMapping::FaderFor(int slot) const
{
    if (slot < 0 || slot >= MidiSlot::ValueSlotCount)
        return NoFader;
    switch (kind_) {
    case MidiMappingKind::GeneralCc:
        return slot <= VolumeFader ? slot : NoFader; // channel 1, controllers 0..28
    case MidiMappingKind::Mackie: {
        if (!MidiSlot::IsBend(slot))
            return NoFader;
        const int channel = MidiSlot::Channel(slot);
        if (channel == MackieVolumeChannel)
            return VolumeFader;
        const int fader = bank_ * BankSize + channel;
        return channel < BankSize && fader < BandCount ? fader : NoFader;
    }
    case MidiMappingKind::Learned:
        return learned_[static_cast<std::size_t>(slot)];
    }
    return NoFader;
}

std::vector<int> MidiMapping::MappedSlots() const
{
    std::vector<int> mapped;
    for (int slot = 0; slot < MidiSlot::ValueSlotCount; ++slot)
        if (FaderFor(slot) != NoFader)
            mapped.push_back(slot);
    return mapped;
}

void MidiMapping::Learn(int slot, int fader)
{
    if (slot >= 0 && slot < MidiSlot::ValueSlotCount && fader >= 0 && fader <= VolumeFader)
        learned_[static_cast<std::size_t>(slot)] = fader;
}

QString MidiMapping::LearnedText() const
{
    QStringList items;
    for (int slot = 0; slot < MidiSlot::ValueSlotCount; ++slot) {
        const int fader = learned_[static_cast<std::size_t>(slot)];
        if (fader == NoFader)
            continue;
        const int channel = MidiSlot::Channel(slot) + 1;
        items << (MidiSlot::IsBend(slot)
                      ? QStringLiteral("pb%1=%2").arg(channel).arg(fader)
                      : QStringLiteral("cc%1.%2=%3").arg(channel).arg(slot % 128).arg(fader));
    }
    return items.join(QLatin1Char(' '));
}

void MidiMapping::SetLearnedText(const QString& text)
{
    learned_.fill(NoFader);
    for (const QString& item : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QStringList sides = item.split(QLatin1Char('='));
        bool faderOk = false;
        const int fader = sides.value(1).toInt(&faderOk);
        const QString control = sides.value(0);
        int slot = -1;
        bool channelOk = false;
        bool numberOk = false;
        if (control.startsWith(QLatin1String("pb"))) {
            const int channel = control.mid(2).toInt(&channelOk);
            if (channelOk && channel >= 1 && channel <= MidiSlot::ChannelCount)
                slot = MidiSlot::Bend(channel - 1);
        } else if (control.startsWith(QLatin1String("cc"))) {
            const QStringList parts = control.mid(2).split(QLatin1Char('.'));
            const int channel = parts.value(0).toInt(&channelOk);
            const int number = parts.value(1).toInt(&numberOk);
            if (channelOk && numberOk && channel >= 1 && channel <= MidiSlot::ChannelCount &&
                number >= 0 && number <= 127)
                slot = MidiSlot::Controller(channel - 1, number);
        }
        if (sides.size() == 2 && faderOk && slot >= 0)
            Learn(slot, fader);
    }
}
