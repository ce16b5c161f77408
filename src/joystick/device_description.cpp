#include "joystick/device_description.h"

#include <linux/input.h>

namespace quadrel {

const DeviceDescription& joystickDescription() {
    static const DeviceDescription description{
        "Quadrel PPM Joystick",
        BUS_VIRTUAL,
        0x5144,  // "QD": on the virtual bus, ids of Quadrel's own
        0x5050,  // "PP"
        1,
        {ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ, ABS_THROTTLE, ABS_RUDDER},
        kAxisMin,
        kAxisMax,
        0,
        0,
        {BTN_TRIGGER, BTN_THUMB, BTN_THUMB2, BTN_TOP},
    };
    return description;
}

}  // namespace quadrel
