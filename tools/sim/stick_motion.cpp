#include "stick_motion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "random_source.h"

namespace quadrel::sim {

namespace {

constexpr double kTau = 2 * std::numbers::pi;
constexpr Motion kMixedOrder[] = {Motion::Circle, Motion::Sweep, Motion::Centre};
constexpr int kMixedCount = 3;

double smoothStep(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

}  // namespace

StickMotion::StickMotion(Motion motion, std::uint64_t seed) : motion_(motion) {
    RandomSource random(seed);
    for (int k = 0; k < kMaxChannels; ++k) {
        // Sticks (1 to 4) move briskly, switches and sliders (5 to 8) slowly.
        sweepPeriod_[k] = k < 4 ? random.between(1.6, 3.2) : random.between(3.0, 6.0);
        sweepPhase_[k] = random.between(0, kTau);
    }
    for (int s = 0; s < 2; ++s) {
        circlePeriod_[s] = random.between(1.8, 3.0);
        circlePhase_[s] = random.between(0, kTau);
    }
    // Start with a moving pattern, never with the still one.
    firstMixedSegment_ = static_cast<int>(random.next() % 2);
}

Motion StickMotion::mixedSegment(long index) const {
    return kMixedOrder[(firstMixedSegment_ + index) % kMixedCount];
}

StickPositions StickMotion::pattern(Motion motion, double seconds) const {
    StickPositions p{};
    const auto sweep = [&](int k) {
        return std::sin(kTau * seconds / sweepPeriod_[k] + sweepPhase_[k]);
    };
    switch (motion) {
        case Motion::Sweep:
            for (int k = 0; k < kMaxChannels; ++k) p[k] = sweep(k);
            break;
        case Motion::Circle:
            for (int s = 0; s < 2; ++s) {
                // The second stick turns the other way round.
                const double angle =
                    (s == 0 ? 1 : -1) * kTau * seconds / circlePeriod_[s] + circlePhase_[s];
                p[2 * s] = std::cos(angle);
                p[2 * s + 1] = std::sin(angle);
            }
            for (int k = 4; k < kMaxChannels; ++k) p[k] = sweep(k);
            break;
        case Motion::Centre:
        case Motion::Mixed:
            break;
    }
    return p;
}

StickPositions StickMotion::at(double seconds) const {
    if (motion_ != Motion::Mixed) return pattern(motion_, seconds);
    const long segment = static_cast<long>(std::floor(seconds / kMixedSegmentSeconds));
    const StickPositions current = pattern(mixedSegment(segment), seconds);
    const double blend = smoothStep((seconds - segment * kMixedSegmentSeconds) / kBlendSeconds);
    if (segment == 0 || blend >= 1) return current;
    const StickPositions previous = pattern(mixedSegment(segment - 1), seconds);
    StickPositions p{};
    for (int k = 0; k < kMaxChannels; ++k) p[k] = previous[k] + (current[k] - previous[k]) * blend;
    return p;
}

int travelValue(double position, int low, int high) {
    const double x = (std::clamp(position, -1.0, 1.0) + 1) / 2;
    return low + static_cast<int>(std::lround(x * (high - low)));
}

}  // namespace quadrel::sim
