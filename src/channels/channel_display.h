// How one channel row shows a raw value: the range seen since calibration,
// the bar's place within it, and the resolution's colour.
#pragma once

#include <cmath>
#include <cstdint>

#include "controls/control_state.h"

namespace quadrel {

// Smallest and largest raw value seen since the last calibration. Never
// written before the first calibration: both count as 0 then.
struct ChannelRange {
    int Min = 0;
    int Max = 0;

    // Calibration: 1000 and 0 lie outside every channel value, so the next
    // value becomes both the minimum and the maximum.
    void reset() {
        Max = 0;
        Min = 1000;
    }
    void widen(int v) {
        if (Min > v) Min = v;
        if (Max < v) Max = v;
    }
    int resolution() const { return Max - Min; }
    bool operator==(const ChannelRange&) const = default;
};

// The bar value 0..100 for v within [min, max]. The tiny term keeps the
// divisor above zero when min == max; the 0.25 lifts the result before it
// is cut to a whole number.
inline float barValue(int v, int min, int max) {
    const double scaled = 100.0 * (v - min) / ((max + 0.00001) - min) + 0.25;
    return static_cast<float>(std::floor(scaled));
}

// Red below a resolution of 100, green from 100 on.
constexpr ColorValue resolutionColor(int resolution) { return resolution < 100 ? kRed : kGreen; }

}  // namespace quadrel
