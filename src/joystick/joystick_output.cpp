#include "joystick/joystick_output.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace quadrel {

int axisValue(int raw, const ChannelRange& range) {
    const bool learnt = range.width() >= kWideRange;
    const int low = learnt ? range.min : 0, high = learnt ? range.max : 254;
    const double share = (std::clamp(raw, low, high) - low) / double(high - low);
    return kAxisMin + static_cast<int>(std::lround(share * (kAxisMax - kAxisMin)));
}

void JoystickOutput::frameComplete(const DecodedFrame& frame,
                                   const std::array<ChannelRange, 8>& ranges) {
    if (failsafe_) {
        if (++goodFrames_ < kFramesToRecover) return;
        failsafe_ = false;
    }
    std::array<int, kJoystickAxes> wanted = sent_;
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        const AxisChoice& axis = choices_.axes[a];
        const int k = axis.channel - 1;
        if (k < 0 || k >= frame.presentChannels) continue;  // an absent channel holds
        const int value = axisValue(frame.values[static_cast<std::size_t>(k)],
                                    ranges[static_cast<std::size_t>(k)]);
        wanted[a] = axis.reversed ? -value : value;
    }
    send(wanted);
}

void JoystickOutput::signalLost() {
    goodFrames_ = 0;
    if (std::exchange(failsafe_, true)) return;
    std::array<int, kJoystickAxes> wanted = sent_;
    for (std::size_t a = 0; a < wanted.size(); ++a) {
        const AxisChoice& axis = choices_.axes[a];
        if (axis.failsafe == Failsafe::Centre) wanted[a] = 0;
        if (axis.failsafe == Failsafe::Value)
            wanted[a] = std::clamp(axis.failsafeValue, kAxisMin, kAxisMax);
    }
    send(wanted);
}

void JoystickOutput::send(const std::array<int, kJoystickAxes>& wanted) {
    std::array<AxisValue, kJoystickAxes> changed;
    std::size_t n = 0;
    for (std::size_t a = 0; a < wanted.size(); ++a)
        if (wanted[a] != sent_[a]) changed[n++] = {static_cast<int>(a), wanted[a]};
    if (n == 0) return;
    sent_ = wanted;
    device_.report({changed.data(), n});
}

}  // namespace quadrel
