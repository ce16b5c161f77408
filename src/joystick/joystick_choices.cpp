#include "joystick/joystick_choices.h"

namespace quadrel {

std::optional<int> throttleChannel(std::optional<TransmitterType> type) {
    if (!type) return std::nullopt;
    switch (*type) {
        case TransmitterType::JR:
        case TransmitterType::ZhenHua:
            return 1;
        case TransmitterType::HitecFutaba:
        case TransmitterType::SanwaAirtronics:
            return 3;
        case TransmitterType::MultiplexRobbe:
            return 4;
    }
    return std::nullopt;
}

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
