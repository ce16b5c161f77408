// The joystick's choices in "Quadrel.ini", section [Joystick]: "Enabled"
// (0 or 1) and one key an axis, "Axis1" to "Axis8", holding
// "CHANNEL,REVERSED,FAILSAFE[,VALUE]" such as "3,0,value,-32767" (failsafe
// hold, centre or value); "Button1" to "Button4", the channel that presses
// the button or 0. A key missing or unreadable leaves that axis or button
// at its default; nothing read is ever a crash or a wrong axis.
#pragma once

#include <string>
#include <vector>

#include "joystick/joystick_choices.h"
#include "settings/settings_file.h"

namespace quadrel {

inline constexpr char kJoystickSection[] = "Joystick";

JoystickChoices readJoystickChoices(const SettingsFile& file, std::optional<TransmitterType> type);

// The text of one axis's key, and the axis read from such a text.
std::string axisText(const AxisChoice& axis);
std::optional<AxisChoice> readAxis(std::string_view text);

// Stores every key in one replacement of the file.
bool writeJoystickChoices(SettingsFile& file, const JoystickChoices& choices);

}  // namespace quadrel
