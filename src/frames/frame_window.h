// The ten most recent bytes, position 0 the oldest. Position 0 decides
// whether, and which, frame is present. A cell never written holds 0, which
// is never a sync value.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace quadrel {

class FrameWindow {
public:
    static constexpr int kSize = 10;

    std::uint8_t operator[](int position) const { return cells_[position]; }
    void set(int position, std::uint8_t value) { cells_[position] = value; }

    // The new byte enters at position 9; the oldest leaves.
    void push(std::uint8_t byte) {
        std::copy(cells_.begin() + 1, cells_.end(), cells_.begin());
        cells_[kSize - 1] = byte;
    }

    // Calibration forgets everything but the oldest byte, so no frame is
    // found until nine fresh bytes have arrived.
    void clearAfterOldest() {
        for (int p = 1; p < kSize; ++p) set(p, 0);
    }

private:
    std::array<std::uint8_t, kSize> cells_{};
};

// Mirrors the eight bits of a byte: the Zhen Hua cable sends its bytes with
// the bit order reversed. From a table: in that format nearly every byte
// is mirrored.
inline constexpr auto kReversedBits = [] {
    std::array<std::uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value)
        for (int bit = 0; bit < 8; ++bit)
            if (value & (1u << bit)) table[value] |= static_cast<std::uint8_t>(0x80u >> bit);
    return table;
}();

constexpr std::uint8_t reverseBits(std::uint8_t value) {
    return kReversedBits[value];
}

}  // namespace quadrel
