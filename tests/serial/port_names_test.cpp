#include "serial/port_names.h"

#include <gtest/gtest.h>

namespace quadrel {
namespace {

using Paths = std::vector<std::string>;

TEST(NaturalOrder, NumbersInNamesCompareByValue) {
    EXPECT_TRUE(naturalLess("/dev/ttyUSB2", "/dev/ttyUSB10"));
    EXPECT_FALSE(naturalLess("/dev/ttyUSB10", "/dev/ttyUSB2"));
    EXPECT_TRUE(naturalLess("/dev/ttyS9", "/dev/ttyS10"));
    EXPECT_TRUE(naturalLess("/dev/ttyACM0", "/dev/ttyUSB0"));
    EXPECT_TRUE(naturalLess("/dev/ttyS", "/dev/ttyS0"));
}

TEST(NaturalOrder, IsAStrictOrder) {
    EXPECT_FALSE(naturalLess("/dev/ttyUSB1", "/dev/ttyUSB1"));
    // Equal values with different spellings still order one way only.
    EXPECT_NE(naturalLess("tty01", "tty1"), naturalLess("tty1", "tty01"));
}

TEST(SerialPortOrder, AdaptersComeFirstThenTheOthersEachInNaturalOrder) {
    const Paths present{"/dev/ttyS1",   "/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyACM0",
                        "/dev/ttyUSB2", "/dev/ttyS10",   "/dev/ttyS2"};
    EXPECT_EQ(orderSerialPorts(present),
              (Paths{"/dev/ttyACM0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyS1",
                     "/dev/ttyS2", "/dev/ttyS10"}));
}

TEST(SerialPortOrder, RecognisesAdaptersByTheirDeviceName) {
    EXPECT_TRUE(isUsbSerialDevice("/dev/ttyUSB0"));
    EXPECT_TRUE(isUsbSerialDevice("/dev/ttyACM3"));
    EXPECT_TRUE(isUsbSerialDevice("/dev/cu.usbserial-1410"));
    EXPECT_TRUE(isUsbSerialDevice("/dev/cu.usbmodem14101"));
    EXPECT_FALSE(isUsbSerialDevice("/dev/ttyS0"));
    EXPECT_FALSE(isUsbSerialDevice("/dev/ttyAMA0"));
    // Only the device's own name counts, not the directory it is in.
    EXPECT_FALSE(isUsbSerialDevice("/dev/usb/ttyS0"));
}

TEST(SerialPortOrder, ListsEachPortOnce) {
    EXPECT_EQ(orderSerialPorts({"/dev/ttyS0", "/dev/ttyS0"}), (Paths{"/dev/ttyS0"}));
    EXPECT_TRUE(orderSerialPorts({}).empty());
}

#ifndef _WIN32
TEST(DevicePathForPort, AConfiguredDeviceWins) {
    const std::map<int, std::string> configured{{2, "/dev/serial/by-id/usb-FTDI_PPM-if00"}};
    EXPECT_EQ(devicePathForPort(2, configured, {"/dev/ttyUSB0", "/dev/ttyUSB1"}),
              "/dev/serial/by-id/usb-FTDI_PPM-if00");
    // Other ports are still counted among the ports present.
    EXPECT_EQ(devicePathForPort(1, configured, {"/dev/ttyUSB0", "/dev/ttyUSB1"}), "/dev/ttyUSB0");
}

TEST(DevicePathForPort, AnEmptyConfiguredDeviceCountsAsNone) {
    EXPECT_EQ(devicePathForPort(1, {{1, ""}}, {"/dev/ttyUSB0"}), "/dev/ttyUSB0");
}

TEST(DevicePathForPort, CountsThePortsPresentInOrder) {
    const Paths present{"/dev/ttyS0", "/dev/ttyUSB1", "/dev/ttyS1", "/dev/ttyUSB0"};
    EXPECT_EQ(devicePathForPort(1, {}, present), "/dev/ttyUSB0");
    EXPECT_EQ(devicePathForPort(2, {}, present), "/dev/ttyUSB1");
    EXPECT_EQ(devicePathForPort(3, {}, present), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort(4, {}, present), "/dev/ttyS1");
}

TEST(DevicePathForPort, BeyondThePortsPresentFallsBackToTheBuiltInPorts) {
    EXPECT_EQ(devicePathForPort(1, {}, {}), "/dev/ttyS0");
    EXPECT_EQ(devicePathForPort(4, {}, {}), "/dev/ttyS3");
    EXPECT_EQ(devicePathForPort(3, {}, {"/dev/ttyUSB0", "/dev/ttyS0"}), "/dev/ttyS2");
}
#else
TEST(DevicePathForPort, IsTheWindowsPortName) {
    EXPECT_EQ(devicePathForPort(3, {{3, "ignored"}}, {"COM7"}), "COM3");
}
#endif


}  // namespace
}  // namespace quadrel
