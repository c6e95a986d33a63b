#pragma once
// One band fader with its band and result counters. The results file stores
// this record byte for byte, so its layout is fixed: packed, little-endian.

#include <QString>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "results files are little-endian images of BandSlot");

#pragma pack(push, 1)
struct BandSlot {
    std::uint8_t Label[256];   // length byte, then Windows-1252 text, zero filled
    double Frequency;          // nominal band frequency in Hz
    std::int32_t Level;        // fader position, -12 (bottom) .. +12 (top)
    std::int32_t Finds;        // turns in which this band rang and was found
    std::int32_t Attempts;     // sum of the attempts of those turns
    std::int32_t FindTime;     // sum of their find times in ms
    std::uint8_t Reserved[12]; // always zero
    std::uint8_t Locked;       // 1: counts for nothing at the moment
};
#pragma pack(pop)

static_assert(sizeof(BandSlot) == 293);
static_assert(offsetof(BandSlot, Label) == 0);
static_assert(offsetof(BandSlot, Frequency) == 256);
static_assert(offsetof(BandSlot, Level) == 264);
static_assert(offsetof(BandSlot, Finds) == 268);
static_assert(offsetof(BandSlot, Attempts) == 272);
static_assert(offsetof(BandSlot, FindTime) == 276);
static_assert(offsetof(BandSlot, Reserved) == 280);
static_assert(offsetof(BandSlot, Locked) == 292);

constexpr int BandCount = 28;
constexpr int VolumeFader = 28; // fader index of the volume fader
constexpr int NoFader = -1;
constexpr int MinLevel = -12;
constexpr int MaxLevel = 12;

using BandArray = std::array<BandSlot, BandCount>;

// The label text of a slot (the length byte is clamped to the field).
QString BandLabel(const BandSlot& slot);
void SetBandLabel(BandSlot& slot, const QString& text);
