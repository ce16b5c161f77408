#include "joystick/event_file_joystick.h"

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "joystick/device_description.h"

namespace quadrel {

std::unique_ptr<EventFileJoystick> EventFileJoystick::open(const std::string& path,
                                                           std::string& why) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot write events to " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    auto device = std::make_unique<EventFileJoystick>(fd);
    device->owned_ = true;
    return device;
}

EventFileJoystick::~EventFileJoystick() {
    if (owned_) ::close(fd_);
}

void EventFileJoystick::report(std::span<const AxisValue> axes,
                               std::span<const ButtonValue> buttons) {
    const DeviceDescription& d = joystickDescription();
    input_event events[kJoystickAxes + kJoystickButtons + 1]{};
    std::size_t n = 0;
    for (const AxisValue& a : axes)
        if (n < kJoystickAxes)
            events[n++] = {
                {}, EV_ABS, static_cast<__u16>(d.axes[static_cast<std::size_t>(a.axis)]), a.value};
    for (const ButtonValue& b : buttons)
        if (n < kJoystickAxes + kJoystickButtons)
            events[n++] = {{},
                           EV_KEY,
                           static_cast<__u16>(d.keys[static_cast<std::size_t>(b.button)]),
                           b.pressed ? 1 : 0};
    events[n++] = {{}, EV_SYN, SYN_REPORT, 0};
    const auto size = static_cast<ssize_t>(n * sizeof(input_event));
    const ssize_t written = ::write(fd_, events, static_cast<std::size_t>(size));
    if (written < size) lost_ += size - (written > 0 ? written : 0);
}

}  // namespace quadrel
