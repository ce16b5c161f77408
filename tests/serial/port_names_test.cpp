// Which device a port number opens, and what the user reads when it fails.
#include "serial/port_names.h"
#include "serial/port_messages.h"

#include <gtest/gtest.h>

namespace quadrel {
namespace {

TEST(PortNames, EachPortNumberOpensItsDevice) {
    // Adapters first, then the others, each in natural order and listed once;
    // beyond them the built-in ports. A device set by hand wins, unless empty.
    const std::vector<std::string> present{"ttyS1",   "ttyUSB10", "ttyS0", "ttyACM0",
                                           "ttyUSB2", "ttyS10",   "ttyS2", "ttyS0"};
    const std::map<int, std::string> byHand{{2, "by-id/usb-PPM"}, {9, ""}};
    const char* expected[] = {"ttyACM0", "by-id/usb-PPM", "ttyUSB10",   "ttyS0",     "ttyS1",
                              "ttyS2",   "ttyS10",        "/dev/ttyS7", "/dev/ttyS8"};
    for (int n = 1; n <= 9; ++n) EXPECT_EQ(devicePathForPort(n, byHand, present), expected[n - 1]);
    // The device's own name tells an adapter, not the folder it is in.
    EXPECT_EQ(devicePathForPort(1, {}, {"/dev/usb/ttyS5", "/dev/cu.usbserial-1"}),
              "/dev/cu.usbserial-1");
}

TEST(PortMessages, OneLineNamingThePortItsDeviceAndWhatToDo) {
    using Kind = SerialError::Kind;
    const std::string dev = "/dev/ttyUSB2";
    const std::pair<std::string, const char*> rows[] = {
        {openFailureMessage(Kind::NotFound, 3, dev), "no such device"},
        {openFailureMessage(Kind::Busy, 3, dev), "in use"},
        {openFailureMessage(Kind::PermissionDenied, 3, dev),
         "(sudo usermod -aG dialout $USER, then log in again)"},
        {openFailureMessage(Kind::InvalidValue, 3, dev, "1.5 stop bits"), "1.5 stop bits"},
        {busyOrNotPermittedMessage(3, dev), "busy or not permitted; close other programs"},
        {linkLostMessage(3, dev), "the port is closed"},
    };
    for (const auto& [text, says] : rows) {
        EXPECT_EQ(text.rfind("COM 3 (/dev/ttyUSB2)", 0), 0u) << text;
        EXPECT_NE(text.find(says), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace quadrel
