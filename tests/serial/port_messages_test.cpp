#include "serial/port_messages.h"

#include <gtest/gtest.h>

namespace quadrel {
namespace {

using Kind = SerialError::Kind;

TEST(OpenFailureMessage, NamesThePortAndItsDevice) {
    for (const auto kind :
         {Kind::NotFound, Kind::Busy, Kind::PermissionDenied, Kind::Io, Kind::InvalidValue}) {
        const auto text = openFailureMessage(kind, 3, "/dev/ttyUSB2");
        EXPECT_NE(text.find("COM 3"), std::string::npos) << text;
        EXPECT_NE(text.find("/dev/ttyUSB2"), std::string::npos) << text;
    }
}

TEST(OpenFailureMessage, TellsWhatWentWrong) {
    EXPECT_NE(openFailureMessage(Kind::NotFound, 1, "/dev/ttyUSB0").find("no such device"),
              std::string::npos);
    EXPECT_NE(openFailureMessage(Kind::Busy, 1, "/dev/ttyUSB0").find("in use"), std::string::npos);
    EXPECT_NE(openFailureMessage(Kind::Io, 1, "/dev/ttyUSB0", "Input/output error")
                  .find("Input/output error"),
              std::string::npos);
}

TEST(OpenFailureMessage, PermissionDeniedSaysHowToGetPermission) {
    const auto text = openFailureMessage(Kind::PermissionDenied, 1, "/dev/ttyUSB0");
    EXPECT_NE(text.find("permission denied"), std::string::npos) << text;
    EXPECT_NE(text.find("dialout"), std::string::npos) << text;
    EXPECT_NE(text.find("sudo usermod -aG dialout $USER"), std::string::npos) << text;
    EXPECT_NE(text.find("log in again"), std::string::npos) << text;
}

TEST(OpenFailureMessage, IsOneLine) {
    for (const auto kind : {Kind::NotFound, Kind::Busy, Kind::PermissionDenied, Kind::Io})
        EXPECT_EQ(openFailureMessage(kind, 1, "/dev/ttyS0", "detail").find('\n'),
                  std::string::npos);
    EXPECT_EQ(busyOrNotPermittedMessage(1, "/dev/ttyS0").find('\n'), std::string::npos);
}

TEST(BusyOrNotPermittedMessage, OffersBothRemedies) {
    const auto text = busyOrNotPermittedMessage(2, "/dev/ttyACM0");
    EXPECT_NE(text.find("COM 2 (/dev/ttyACM0)"), std::string::npos) << text;
    EXPECT_NE(text.find("busy or not permitted"), std::string::npos) << text;
    EXPECT_NE(text.find("dialout"), std::string::npos) << text;
}

TEST(LinkLostMessage, SaysThePortIsClosed) {
    const auto text = linkLostMessage(1, "/dev/ttyUSB0");
    EXPECT_NE(text.find("COM 1 (/dev/ttyUSB0)"), std::string::npos) << text;
    EXPECT_NE(text.find("closed"), std::string::npos) << text;
}

}  // namespace
}  // namespace quadrel
