// What the user chose for the virtual joystick: for each of its eight axes
// the channel it follows, whether it is reversed (uinput refuses inverted
// ranges, so Quadrel reverses) and what it does when the signal is lost;
// for each button, the channel that presses it, if any.
#pragma once

#include <array>
#include <optional>

#include "receiver/transmitter.h"

namespace quadrel {

inline constexpr int kJoystickAxes = 8;
// Trigger, thumb, thumb 2, top.
inline constexpr int kJoystickButtons = 4;
// Every axis reports this range; 0 is its centre.
inline constexpr int kAxisMin = -32767, kAxisMax = 32767;

enum class Failsafe { Hold, Centre, Value };

struct AxisChoice {
    int channel = 1;  // 1 to 8
    bool reversed = false;
    Failsafe failsafe = Failsafe::Centre;
    int failsafeValue = 0;  // kAxisMin..kAxisMax, for Failsafe::Value

    bool operator==(const AxisChoice&) const = default;
};

struct JoystickChoices {
    bool enabled = false;
    std::array<AxisChoice, kJoystickAxes> axes;
    // The channel that presses each button (above the middle of its
    // range), 0 for none.
    std::array<int, kJoystickButtons> buttons{};

    bool operator==(const JoystickChoices&) const = default;
};

// Axis k follows channel k; each centres on a lost signal but the one that
// follows the throttle, which goes to its low end.
JoystickChoices defaultJoystickChoices(std::optional<TransmitterType> type);

}  // namespace quadrel
