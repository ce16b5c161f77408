// Smooth stick and switch movements over the whole travel, as a pilot would
// make them, for channels 1 to 8.
//   sweep:  every channel swings from end to end at its own pace;
//   circle: both sticks (channels 1+2 and 3+4) stir circles in opposite
//           directions while channels 5 to 8 swing slowly;
//   centre: everything rests at the middle;
//   mixed:  five seconds of each in turn, blended into one another.
// The seed sets the paces and phases; the same seed gives the same motion.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "frame_encoder.h"

namespace quadrel::sim {

enum class Motion { Sweep, Circle, Centre, Mixed };

inline constexpr NameTable<Motion, 5> kMotionNames = {{Motion::Sweep, "sweep"},
                                                      {Motion::Circle, "circle"},
                                                      {Motion::Centre, "centre"},
                                                      {Motion::Mixed, "mixed"},
                                                      {Motion::Centre, "center"}};

// Each channel from -1 (one end of the travel) to 1 (the other).
using StickPositions = std::array<double, kMaxChannels>;

class StickMotion {
public:
    static constexpr double kMixedSegmentSeconds = 5.0;
    static constexpr double kBlendSeconds = 1.0;

    StickMotion(Motion motion, std::uint64_t seed);

    StickPositions at(double seconds) const;

private:
    StickPositions pattern(Motion motion, double seconds) const;
    Motion mixedSegment(long index) const;

    Motion motion_;
    std::array<double, kMaxChannels> sweepPeriod_{};
    std::array<double, kMaxChannels> sweepPhase_{};
    std::array<double, 2> circlePeriod_{};
    std::array<double, 2> circlePhase_{};
    int firstMixedSegment_ = 0;
};

// A position -1..1 as a channel value in [low, high].
int travelValue(double position, int low, int high);

}  // namespace quadrel::sim
