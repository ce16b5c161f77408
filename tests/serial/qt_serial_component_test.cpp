// The serial component's properties, and opening and closing real devices:
// pseudo-terminals stand in for the port (they open and read like one,
// accept any baud rate and have no modem lines).
#include <sys/stat.h>
#include <unistd.h>

#include "serial_port_fixture.h"

namespace quadrel::testing {
namespace {

// --- Properties -----------------------------------------------------------

TEST_F(QtSerialComponentTest, StartsClosedOnCom1At9600N81WithNothingToRead) {
    EXPECT_EQ(port.CommPort(), 1);
    EXPECT_EQ(port.Settings(), "9600,N,8,1");
    EXPECT_FALSE(port.PortOpen());
    EXPECT_EQ(port.Input(), std::nullopt);
    EXPECT_TRUE(port.lastError().isEmpty());
}

TEST_F(QtSerialComponentTest, SettingsAreReadBackInCanonicalForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"19200,n,8,1", "19200,N,8,1"}, {"9600,e,7,2", "9600,E,7,2"},
        {"4800,O,5,1", "4800,O,5,1"},   {"2400,m,6,1", "2400,M,6,1"},
        {"1200,s,8,2", "1200,S,8,2"},   {"115200,N,8,1.5", "115200,N,8,1.5"},
    };
    for (const auto& [given, readBack] : cases) {
        port.setSettings(given);
        EXPECT_EQ(port.Settings(), readBack) << given;
    }
}

TEST_F(QtSerialComponentTest, RefusesMalformedSettingsAndKeepsThePreviousOnes) {
    port.setSettings("19200,N,8,1");
    for (const char* bad :
         {"", "19200", "19200,N,8", "19200,N,8,1,1", "19200,X,8,1", "19200,N,4,1", "19200,N,9,1",
          "0,N,8,1", "-9600,N,8,1", "fast,N,8,1", "19200,N,8,3", "19200,NN,8,1"}) {
        EXPECT_EQ(thrownKind([&] { port.setSettings(bad); }), Kind::InvalidValue)
            << '"' << bad << '"';
        EXPECT_EQ(port.Settings(), "19200,N,8,1");
    }
    EXPECT_FALSE(port.lastError().isEmpty());
}

TEST_F(QtSerialComponentTest, PortNumbersRunFrom1To16) {
    for (const std::int16_t bad : {0, -1, 17}) {
        EXPECT_EQ(thrownKind([&] { port.setCommPort(bad); }), Kind::InvalidValue) << bad;
        EXPECT_EQ(port.CommPort(), 1);
    }
    port.setCommPort(16);
    EXPECT_EQ(port.CommPort(), 16);
}

TEST_F(QtSerialComponentTest, RefusesNegativeInputLenAndThreshold) {
    EXPECT_EQ(thrownKind([&] { port.setInputLen(-1); }), Kind::InvalidValue);
    EXPECT_EQ(thrownKind([&] { port.setRThreshold(-1); }), Kind::InvalidValue);
    EXPECT_NO_THROW(port.setInputLen(1));
    EXPECT_NO_THROW(port.setRThreshold(1));
}

TEST_F(QtSerialComponentTest, ControlLinesCanBeSetWhileClosed) {
    // Shutdown switches them off whether or not the port is open.
    EXPECT_NO_THROW(port.setRTSEnable(true));
    EXPECT_NO_THROW(port.setDTREnable(false));
}

// --- Opening and closing --------------------------------------------------

TEST_F(QtSerialComponentTest, OpensTheDeviceOfItsPortNumberAndClosesIt) {
    port.setPortOpen(true);
    EXPECT_TRUE(port.PortOpen());
    EXPECT_EQ(port.devicePath(), pty.slavePath());

    port.setPortOpen(false);
    EXPECT_FALSE(port.PortOpen());

    port.setPortOpen(true);  // and again
    EXPECT_TRUE(port.PortOpen());
}

TEST_F(QtSerialComponentTest, OpeningTwiceOrClosingTwiceIsRefused) {
    port.setPortOpen(true);
    EXPECT_EQ(thrownKind([&] { port.setPortOpen(true); }), Kind::InvalidValue);
    EXPECT_TRUE(port.PortOpen());
    port.setPortOpen(false);
    EXPECT_EQ(thrownKind([&] { port.setPortOpen(false); }), Kind::NotOpen);
}

TEST_F(QtSerialComponentTest, ThePortNumberCannotChangeWhileOpen) {
    port.setPortOpen(true);
    EXPECT_EQ(thrownKind([&] { port.setCommPort(2); }), Kind::InvalidValue);
    EXPECT_EQ(port.CommPort(), 1);
}

TEST_F(QtSerialComponentTest, AMissingDeviceIsNotFoundAndNamesItsPath) {
    devices[2] = "/dev/quadrel-no-such-tty";
    port.setCommPort(2);
    try {
        port.setPortOpen(true);
        FAIL() << "opened a missing device";
    } catch (const SerialError& e) {
        EXPECT_EQ(e.kind(), Kind::NotFound);
        EXPECT_TRUE(contains(e.what(), "/dev/quadrel-no-such-tty")) << e.what();
        EXPECT_EQ(port.lastError().toStdString(), e.what());
    }
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(QtSerialComponentTest, APortNumberWithoutDeviceIsNotFound) {
    port.setCommPort(3);  // the resolver knows no device for it
    EXPECT_EQ(thrownKind([&] { port.setPortOpen(true); }), Kind::NotFound);
    EXPECT_TRUE(port.lastError().contains("COM 3"));
}

TEST_F(QtSerialComponentTest, APortInUseIsBusy) {
    port.setPortOpen(true);
    QtSerialComponent other([this](int) { return pty.slavePath(); });
    try {
        other.setPortOpen(true);
        FAIL() << "opened a port in use";
    } catch (const SerialError& e) {
        EXPECT_EQ(e.kind(), Kind::Busy);
        EXPECT_TRUE(contains(e.what(), pty.slavePath())) << e.what();
        EXPECT_FALSE(other.lastErrorIsPermission());
    }
    EXPECT_FALSE(other.PortOpen());
    EXPECT_TRUE(port.PortOpen());
}

TEST_F(QtSerialComponentTest, ADeviceTheUserMayNotOpenSaysHowToGetPermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root may open any device";
    ASSERT_EQ(::chmod(pty.slavePath().c_str(), 0), 0);
    try {
        port.setPortOpen(true);
        FAIL() << "opened a device without permission";
    } catch (const SerialError& e) {
        EXPECT_EQ(e.kind(), Kind::PermissionDenied);
        EXPECT_TRUE(contains(e.what(), pty.slavePath())) << e.what();
        EXPECT_TRUE(contains(e.what(), "sudo usermod -aG dialout $USER")) << e.what();
        EXPECT_TRUE(port.lastErrorIsPermission());
    }
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(QtSerialComponentTest, ADeviceThatIsNoSerialPortFailsToOpen) {
    devices[1] = "/dev/null";
    EXPECT_EQ(thrownKind([&] { port.setPortOpen(true); }), Kind::Io);
    EXPECT_TRUE(port.lastError().contains("/dev/null"));
    EXPECT_FALSE(port.PortOpen());
}

TEST_F(QtSerialComponentTest, ADeviceWithoutModemLinesStillOpensAndReceives) {
    takeOneBytePerEvent();
    port.setRTSEnable(true);
    port.setDTREnable(true);
    ASSERT_NO_THROW(port.setPortOpen(true));
    EXPECT_NO_THROW(port.setRTSEnable(false));
    EXPECT_NO_THROW(port.setDTREnable(false));
    EXPECT_TRUE(port.PortOpen());
    EXPECT_TRUE(port.lastError().isEmpty()) << port.lastError().toStdString();

    ASSERT_TRUE(pty.write({42}));
    ASSERT_TRUE(waitForBytes(1));
    EXPECT_EQ(received, Bytes{42});
}

TEST_F(QtSerialComponentTest, StopBitsTheSystemCannotProduceFailTheOpen) {
    port.setSettings("19200,N,8,1.5");  // accepted while closed, tried when opening
    try {
        port.setPortOpen(true);
        FAIL() << "opened with 1.5 stop bits";
    } catch (const SerialError& e) {
        EXPECT_EQ(e.kind(), Kind::InvalidValue);
        EXPECT_TRUE(contains(e.what(), "1.5")) << e.what();
    }
    EXPECT_FALSE(port.PortOpen());
    port.setSettings("19200,N,8,1");
    EXPECT_NO_THROW(port.setPortOpen(true));
    EXPECT_TRUE(port.lastError().isEmpty());
}

TEST_F(QtSerialComponentTest, SettingsChangedWhileOpenApplyAtOnceOrAreRefused) {
    takeOneBytePerEvent();
    port.setPortOpen(true);
    EXPECT_NO_THROW(port.setSettings("19200,N,8,2"));
    EXPECT_EQ(port.Settings(), "19200,N,8,2");
    EXPECT_EQ(thrownKind([&] { port.setSettings("19200,N,8,1.5"); }), Kind::InvalidValue);
    EXPECT_EQ(port.Settings(), "19200,N,8,2");
    EXPECT_TRUE(port.PortOpen());

    ASSERT_TRUE(pty.write({7}));
    ASSERT_TRUE(waitForBytes(1));
    EXPECT_EQ(received, Bytes{7});
}

}  // namespace
}  // namespace quadrel::testing
