// The device on /dev/uinput: what it is made of, why it could not be made,
// in each case with its fix; and, where /dev/uinput may be written, the
// device itself read back with libevdev.
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "joystick/device_description.h"
#include "joystick/uinput_joystick.h"

namespace quadrel::testing {
namespace {

// What udev, joydev and SDL need to take it for a joystick, and nothing
// that makes it a mouse, a touchpad or a tablet.
TEST(JoystickDevice, IsDescribedAsAJoystick) {
    const DeviceDescription& d = joystickDescription();
    EXPECT_STREQ(d.name, "Quadrel PPM Joystick");
    EXPECT_EQ(d.bus, BUS_VIRTUAL);
    EXPECT_LT(d.minimum, d.maximum);
    EXPECT_EQ(d.fuzz, 0);
    EXPECT_EQ(d.flat, 0);
    EXPECT_EQ(d.axes, (std::array<int, 8>{ABS_X, ABS_Y, ABS_Z, ABS_RX, ABS_RY, ABS_RZ, ABS_THROTTLE,
                                          ABS_RUDDER}));
    EXPECT_NE(std::find(d.keys.begin(), d.keys.end(), BTN_TRIGGER), d.keys.end());
    for (int key : d.keys) EXPECT_TRUE(key >= BTN_JOYSTICK && key < BTN_GAMEPAD) << key;
}

TEST(UinputJoystick, SaysWhyItCannotBeMadeAndHowToFixIt) {
    EXPECT_NE(uinputFailure(ENOENT, false, false).find("sudo modprobe uinput"), std::string::npos);
    EXPECT_NE(uinputFailure(ENOENT, false, true).find("/dev/uinput does not exist"),
              std::string::npos);
    EXPECT_NE(uinputFailure(EACCES, true, true).find("no permission to write /dev/uinput"),
              std::string::npos);
    EXPECT_NE(uinputFailure(ENOMEM, true, true).find("Cannot allocate memory"), std::string::npos);
}

TEST(UinputJoystick, IsAJoystickThatReportsItsAxesAndButtons) {
    if (::access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "/dev/uinput cannot be written here: "
                     << uinputFailure(errno, ::access("/dev/uinput", F_OK) == 0,
                                      ::access("/sys/module/uinput", F_OK) == 0);
    std::string why;
    auto joystick = UinputJoystick::create(why);
    ASSERT_TRUE(joystick) << why;
    const int fd = ::open(joystick->devnode().c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << joystick->devnode();
    libevdev* seen = nullptr;
    ASSERT_EQ(libevdev_new_from_fd(fd, &seen), 0);
    EXPECT_STREQ(libevdev_get_name(seen), "Quadrel PPM Joystick");
    EXPECT_EQ(libevdev_get_id_bustype(seen), BUS_VIRTUAL);
    for (int axis : joystickDescription().axes) {
        EXPECT_TRUE(libevdev_has_event_code(seen, EV_ABS, axis)) << axis;
        EXPECT_EQ(libevdev_get_abs_minimum(seen, axis), kAxisMin);
        EXPECT_EQ(libevdev_get_abs_maximum(seen, axis), kAxisMax);
    }
    EXPECT_TRUE(libevdev_has_event_code(seen, EV_KEY, BTN_TRIGGER));
    EXPECT_FALSE(libevdev_has_event_code(seen, EV_KEY, BTN_LEFT));
    const AxisValue moved[] = {{0, 1234}, {6, kAxisMin}};
    const ButtonValue pressed[] = {{0, true}};
    joystick->report(moved, pressed);
    // The input core hands the events over as they are written: no wait.
    input_event ev{};
    int got = 0;
    while (libevdev_next_event(seen, LIBEVDEV_READ_FLAG_NORMAL, &ev) ==
           LIBEVDEV_READ_STATUS_SUCCESS)
        ++got;
    EXPECT_EQ(got, 4);  // two axes, the trigger and a SYN_REPORT
    EXPECT_EQ(libevdev_get_event_value(seen, EV_ABS, ABS_X), 1234);
    EXPECT_EQ(libevdev_get_event_value(seen, EV_KEY, BTN_TRIGGER), 1);
    libevdev_free(seen);
    ::close(fd);
}

}  // namespace
}  // namespace quadrel::testing
