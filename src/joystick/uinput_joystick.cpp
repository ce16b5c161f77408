#include "joystick/uinput_joystick.h"

#include <fcntl.h>
#include <libevdev/libevdev-uinput.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "joystick/device_description.h"

namespace quadrel {

std::string uinputFailure(int error, bool nodeExists, bool moduleLoaded) {
    if (!moduleLoaded && !nodeExists)
        return "the uinput kernel module is not loaded: run \"sudo modprobe uinput\" (./x install "
               "prints the command that loads it at every start)";
    if (!nodeExists)
        return "/dev/uinput does not exist: run \"sudo modprobe uinput\", then reconnect";
    if (error == EACCES || error == EPERM)
        return "no permission to write /dev/uinput: install Quadrel's udev rule (./x install "
               "prints the sudo command), then log out and in again";
    return std::string("cannot create the joystick: ") + std::strerror(error);
}

std::unique_ptr<UinputJoystick> UinputJoystick::create(std::string& why) {
    const int fd = ::open("/dev/uinput", O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        why = uinputFailure(error, std::filesystem::exists("/dev/uinput"),
                            std::filesystem::exists("/sys/module/uinput"));
        return nullptr;
    }
    const DeviceDescription& d = joystickDescription();
    libevdev* description = libevdev_new();
    libevdev_set_name(description, d.name);
    libevdev_set_id_bustype(description, d.bus);
    libevdev_set_id_vendor(description, d.vendor);
    libevdev_set_id_product(description, d.product);
    libevdev_set_id_version(description, d.version);
    input_absinfo range{};
    range.minimum = d.minimum;
    range.maximum = d.maximum;
    range.fuzz = d.fuzz;
    range.flat = d.flat;
    for (int axis : d.axes) libevdev_enable_event_code(description, EV_ABS, axis, &range);
    for (int key : d.keys) libevdev_enable_event_code(description, EV_KEY, key, nullptr);
    libevdev_uinput* device = nullptr;
    const int error = libevdev_uinput_create_from_device(description, fd, &device);
    if (error != 0) {
        ::close(fd);
        libevdev_free(description);
        why = uinputFailure(-error, true, true);
        return nullptr;
    }
    return std::unique_ptr<UinputJoystick>(new UinputJoystick(description, device));
}

UinputJoystick::~UinputJoystick() {
    const int fd = libevdev_uinput_get_fd(device_);
    libevdev_uinput_destroy(device_);
    ::close(fd);
    libevdev_free(description_);
}

void UinputJoystick::report(std::span<const AxisValue> axes, std::span<const ButtonValue> buttons) {
    const DeviceDescription& d = joystickDescription();
    for (const AxisValue& a : axes)
        libevdev_uinput_write_event(device_, EV_ABS, d.axes[static_cast<std::size_t>(a.axis)],
                                    a.value);
    for (const ButtonValue& b : buttons)
        libevdev_uinput_write_event(device_, EV_KEY, d.keys[static_cast<std::size_t>(b.button)],
                                    b.pressed ? 1 : 0);
    libevdev_uinput_write_event(device_, EV_SYN, SYN_REPORT, 0);
}

std::string UinputJoystick::joystickNode() const {
    const char* sys = libevdev_uinput_get_syspath(device_);
    std::error_code error;
    if (!sys) return "";
    for (const auto& entry : std::filesystem::directory_iterator(sys, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("js", 0) == 0) return "/dev/input/" + name;
    }
    return "";
}

std::string UinputJoystick::devnode() const {
    const char* node = libevdev_uinput_get_devnode(device_);
    return node ? node : "";
}

}  // namespace quadrel
