// One channel's range since calibration, and where a value stands in it.
#pragma once

#include <cmath>

namespace quadrel {

// Smallest and largest raw value seen since the last calibration. Before
// the first calibration both are 0.
struct ChannelRange {
    int min = 0;
    int max = 0;

    // 1000 and 0 lie outside every channel value, so the next value becomes
    // both the minimum and the maximum.
    void forget() {
        max = 0;
        min = 1000;
    }
    void widen(int v) {
        if (min > v) min = v;
        if (max < v) max = v;
    }
    // The resolution the row shows.
    int width() const { return max - min; }
    bool operator==(const ChannelRange&) const = default;
};

// A range this wide is a stick's travel, not noise: shown on green.
inline constexpr int kWideRange = 100;

// The bar's value 0..100 for v within [min, max]. The tiny term keeps the
// divisor above zero when min == max; the 0.25 lifts the result before it
// is cut to a whole number.
inline float barValue(int v, int min, int max) {
    const double scaled = 100.0 * (v - min) / ((max + 0.00001) - min) + 0.25;
    return static_cast<float>(std::floor(scaled));
}

}  // namespace quadrel
