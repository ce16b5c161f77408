#include "joystick/joystick_choices.h"

#include "receiver/sticks.h"

namespace quadrel {

JoystickChoices defaultJoystickChoices(std::optional<TransmitterType> type) {
    JoystickChoices choices;
    const std::optional<int> throttle = throttleChannel(type);
    for (int k = 0; k < kJoystickAxes; ++k) {
        AxisChoice& axis = choices.axes[static_cast<std::size_t>(k)];
        axis.channel = k + 1;
        if (axis.channel == throttle) axis = {axis.channel, false, Failsafe::Value, kAxisMin};
    }
    return choices;
}

}  // namespace quadrel
