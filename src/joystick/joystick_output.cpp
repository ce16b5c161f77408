#include "joystick/joystick_output.h"

#include <algorithm>
#include <cmath>
#include <optional>
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
    // The channel's value on an axis, if the frame has the channel.
    const auto valueOf = [&](int channel) -> std::optional<int> {
        const int k = channel - 1;
        if (k < 0 || k >= frame.presentChannels) return std::nullopt;  // an absent channel holds
        const auto at = static_cast<std::size_t>(k);
        return axisValue(frame.values[at], ranges[at]);
    };
    JoystickState wanted = sent_;
    for (std::size_t a = 0; a < wanted.axes.size(); ++a) {
        const AxisChoice& axis = choices_.axes[a];
        if (const auto value = valueOf(axis.channel))
            wanted.axes[a] = axis.reversed ? -*value : *value;
    }
    for (std::size_t b = 0; b < wanted.buttons.size(); ++b)
        if (const auto value = valueOf(choices_.buttons[b])) wanted.buttons[b] = *value > 0;
    send(wanted);
}

void JoystickOutput::signalLost() {
    goodFrames_ = 0;
    if (std::exchange(failsafe_, true)) return;
    JoystickState wanted = sent_;
    for (std::size_t a = 0; a < wanted.axes.size(); ++a) {
        const AxisChoice& axis = choices_.axes[a];
        if (axis.failsafe == Failsafe::Centre) wanted.axes[a] = 0;
        if (axis.failsafe == Failsafe::Value)
            wanted.axes[a] = std::clamp(axis.failsafeValue, kAxisMin, kAxisMax);
    }
    wanted.buttons = {};  // nothing stays pressed without a pilot
    send(wanted);
}

void JoystickOutput::send(const JoystickState& wanted) {
    std::array<AxisValue, kJoystickAxes> axes;
    std::array<ButtonValue, kJoystickButtons> buttons;
    std::size_t moved = 0, pressed = 0;
    for (std::size_t a = 0; a < axes.size(); ++a)
        if (wanted.axes[a] != sent_.axes[a]) axes[moved++] = {static_cast<int>(a), wanted.axes[a]};
    for (std::size_t b = 0; b < buttons.size(); ++b)
        if (wanted.buttons[b] != sent_.buttons[b])
            buttons[pressed++] = {static_cast<int>(b), wanted.buttons[b]};
    if (moved == 0 && pressed == 0) return;
    sent_ = wanted;
    device_.report({axes.data(), moved}, {buttons.data(), pressed});
}

}  // namespace quadrel
