// A stand-in for /dev/uinput where none can be used: each report written,
// as the kernel's input_event records, to a file descriptor (a pipe in
// the latency bench, /dev/null or a FIFO for measuring the program with
// its output on). The same records the device would get, without a device.
#pragma once

#include <memory>
#include <string>

#include "joystick/joystick_output.h"

namespace quadrel {

class EventFileJoystick : public JoystickDevice {
public:
    // Writes to `fd`, which stays the caller's.
    explicit EventFileJoystick(int fd) : fd_(fd) {}
    // Writes to the file at `path`, opened for writing and closed with it;
    // nothing, and `why`, when it cannot be opened.
    static std::unique_ptr<EventFileJoystick> open(const std::string& path, std::string& why);
    ~EventFileJoystick() override;
    EventFileJoystick(const EventFileJoystick&) = delete;
    EventFileJoystick& operator=(const EventFileJoystick&) = delete;

    void report(std::span<const AxisValue> axes, std::span<const ButtonValue> buttons) override;
    // Bytes that could not be written (a full pipe, a closed reader).
    long long lost() const { return lost_; }

private:
    int fd_;
    bool owned_ = false;
    long long lost_ = 0;
};

}  // namespace quadrel
