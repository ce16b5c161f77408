// The virtual joystick as the kernel sees it: a name and ids that stay the
// same from run to run (simulators keep their bindings by them), eight
// absolute axes and the keys. At least one key: with axes alone udev and
// SDL take a device of three or more axes for an accelerometer, and SDL 1.2
// programs look for BTN_TRIGGER. Nothing of a mouse, touchpad or tablet.
#pragma once

#include <array>

#include "joystick/joystick_choices.h"

namespace quadrel {

struct DeviceDescription {
    const char* name;
    int bus, vendor, product, version;
    std::array<int, kJoystickAxes> axes;  // ABS_ codes, in axis order
    int minimum, maximum, fuzz, flat;
    std::array<int, kJoystickButtons> keys;  // BTN_ codes, in button order
};

const DeviceDescription& joystickDescription();

}  // namespace quadrel
