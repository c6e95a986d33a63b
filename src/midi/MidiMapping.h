#pragma once
// Which control of a surface moves which fader, and the level arithmetic in
// both directions. Plain values, no I/O. Thread: the free functions any
// (DecodeMidiMessage runs on the MIDI input thread); a MidiMapping lives on
// the GUI thread.

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

// A control is a controller (channel, number) or a channel's pitch bend,
// numbered as one slot: controllers 0..2047, pitch bends 2048..2063.
namespace MidiSlot {
constexpr int ChannelCount = 16;
constexpr int FirstBend = ChannelCount * 128;
constexpr int ValueSlotCount = FirstBend + ChannelCount;
// Mackie Control's bank buttons (notes 46 and 47, channel 1) travel as
// slots of their own, in order with the moves.
constexpr int BankDown = ValueSlotCount;
constexpr int BankUp = ValueSlotCount + 1;

constexpr int Controller(int channel, int number)
{
    return channel * 128 + number;
}
constexpr int Bend(int channel)
{
    return FirstBend + channel;
}
constexpr bool IsBend(int slot)
{
    return slot >= FirstBend && slot < ValueSlotCount;
}
constexpr int Channel(int slot)
{
    return IsBend(slot) ? slot - FirstBend : slot / 128;
}
} // namespace MidiSlot

// One decoded message: a control's value (0..127, pitch bend 0..16383) or a
// bank button. `slot` is -1 for everything the game does not use.
struct MidiEvent {
    int slot = -1;
    int value = 0;
};
// Only complete channel messages count: system exclusive, running status, a
// data byte with the high bit, a short message are -1.
MidiEvent DecodeMidiMessage(const unsigned char* bytes, std::size_t size);
// "CC 7 Kanal 1 = 93", "Pitch Bend Kanal 9 = 8192", "Bank +" ...
QString DescribeMidiEvent(const MidiEvent& event);

// Level -12..+12 from a controller value 0..127 and back.
int LevelFromController(int value);
int ControllerFromLevel(int level);
// The same for a 14-bit pitch bend 0..16383.
int LevelFromBend(int value);
int BendFromLevel(int level);
// The 3 bytes that set `slot` to `level` on the surface.
std::array<unsigned char, 3> FeedbackMessage(int slot, int level);

enum class MidiMappingKind : std::int32_t { GeneralCc = 0, Mackie = 1, Learned = 2 };

class MidiMapping {
  public:
    MidiMapping();

    MidiMappingKind Kind() const { return kind_; }
    void SetKind(MidiMappingKind kind);
    // Mackie Control's bank: 0 for faders 1-8, up to 3 for faders 25-28.
    int Bank() const { return bank_; }
    // +1 or -1; false when the bank stays where it is.
    bool ShiftBank(int direction);
    // The band faders the bank moves: from BankFirstFader, BankFaderCount of
    // them; none unless Mackie.
    int BankFirstFader() const;
    int BankFaderCount() const;

    // The fader (0..VolumeFader) a slot moves, or NoFader.
    int FaderFor(int slot) const;
    // The slots the active mapping moves, in slot order: where feedback goes.
    std::vector<int> MappedSlots() const;

    // Assigns `slot` to `fader`, replacing that slot's older assignment.
    void Learn(int slot, int fader);
    // The learned assignments as a settings value, e.g. "cc1.7=28 pb1=3",
    // and back; unreadable items are left out.
    QString LearnedText() const;
    void SetLearnedText(const QString& text);

  private:
    MidiMappingKind kind_ = MidiMappingKind::GeneralCc;
    int bank_ = 0;
    std::array<int, MidiSlot::ValueSlotCount> learned_{};
};
