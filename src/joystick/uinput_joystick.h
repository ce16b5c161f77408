// The virtual joystick on /dev/uinput, made with libevdev from the device's
// description. Where it cannot be made, why in one line and the fix: the
// uinput module not loaded, no /dev/uinput, or no permission to write it.
#pragma once

#include <memory>
#include <string>

#include "joystick/joystick_output.h"

struct libevdev;
struct libevdev_uinput;

namespace quadrel {

class UinputJoystick : public JoystickDevice {
public:
    // The device, or nothing and `why` says what is missing and how to fix it.
    static std::unique_ptr<UinputJoystick> create(std::string& why);
    ~UinputJoystick() override;

    void report(std::span<const AxisValue> axes, std::span<const ButtonValue> buttons) override;
    // "/dev/input/event12"
    std::string devnode() const;
    // "/dev/input/js0" once joydev has made it; empty before or without it.
    std::string joystickNode() const;

private:
    UinputJoystick(libevdev* description, libevdev_uinput* device)
        : description_(description), device_(device) {}
    libevdev* description_;
    libevdev_uinput* device_;
};

// Why a device could not be made, from the error of opening /dev/uinput and
// what the system shows: the reason and its fix, in one line.
std::string uinputFailure(int error, bool nodeExists, bool moduleLoaded);

}  // namespace quadrel
