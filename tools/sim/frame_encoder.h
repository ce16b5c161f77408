// The three frame layouts an interface puts on the wire:
//   standard: 255, then one byte per channel (1 to 8 channels, 0..254);
//   variant:  a sync of 240..254, one byte the receiver does not read, then
//             one byte per channel (1 to 8 channels, 0..239);
//   Zhen Hua: 239, four channel bytes with their bit order mirrored, then
//             filler bytes.
// The receiver keeps no framing state: any byte of 239 or more that reaches
// the oldest place of its window is taken for a sync. Channel values that
// high are legal in a standard or variant frame but make the receiver decode
// a spurious frame a few bytes later.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "name_table.h"

namespace quadrel::sim {

enum class FrameFormat { Standard, Variant, ZhenHua };

inline constexpr int kMaxChannels = 8;
inline constexpr int kZhenHuaChannels = 4;
inline constexpr std::uint8_t kStandardSync = 255;
inline constexpr std::uint8_t kZhenHuaSync = 239;
inline constexpr std::uint8_t kVariantUnreadByte = 0;
inline constexpr std::uint8_t kZhenHuaFillerByte = 0;
// Four fillers make a nine-byte frame: the receiver clears the four window
// places after a Zhen Hua frame's channels, so the next sync must come later,
// or at once after them, as the cable sends it.
inline constexpr int kZhenHuaFullFiller = 4;

struct FrameLayout {
    FrameFormat format = FrameFormat::Standard;
    int channels = kMaxChannels;      // standard and variant; Zhen Hua always carries four
    int sync = 245;                   // variant: 240..254
    int filler = kZhenHuaFullFiller;  // Zhen Hua: bytes after the four channels

    bool operator==(const FrameLayout&) const = default;
};

int carriedChannels(const FrameLayout& layout);
std::size_t frameLength(const FrameLayout& layout);

// The largest channel value a frame of this format can carry.
int highestValue(FrameFormat format);

// `value` limited to what the format carries and the receiver shows as it
// was sent. For Zhen Hua a value whose mirror is 240 or more (its low four
// bits all set: 15, 31, ... 239) is moved down by one: the receiver reads
// the cable's first frame unmirrored and would take such a byte for a sync.
int sendableValue(FrameFormat format, int value);

// The frame's bytes for channel values that `sendableValue` accepts; one
// value per carried channel.
std::vector<std::uint8_t> encodeFrame(const FrameLayout& layout, std::span<const int> values);

// Names on the command line; the first of a format is how it is printed.
inline constexpr NameTable<FrameFormat, 4> kFormatNames = {{FrameFormat::Standard, "standard"},
                                                           {FrameFormat::Variant, "variant"},
                                                           {FrameFormat::ZhenHua, "zhenhua"},
                                                           {FrameFormat::ZhenHua, "zhen-hua"}};

// The simulator mirrors bits with its own code rather than the program's,
// so that a fault in either shows up as a mismatch in the round-trip tests.
constexpr std::uint8_t mirrorBits(std::uint8_t value) {
    std::uint8_t result = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (value & (1u << bit)) result |= static_cast<std::uint8_t>(0x80u >> bit);
    return result;
}

}  // namespace quadrel::sim
