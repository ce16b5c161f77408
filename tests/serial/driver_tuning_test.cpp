// Low latency and line error counts: what the driver had is given back, and
// counts run from the open; and a real USB adapter where one is plugged in.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "serial/driver_tuning.h"

namespace quadrel::testing {
namespace {

struct FakeDriver : DriverRequests {
    bool offers = true, on = false;
    LineErrorCounts counts{5, 1, 0, 2};
    bool lowLatency(int, bool& now) override {
        now = on;
        return offers;
    }
    bool setLowLatency(int, bool want) override {
        if (offers) on = want;
        return offers;
    }
    bool lineErrors(int, LineErrorCounts& now) override {
        now = counts;
        return offers;
    }
};

TEST(DriverTuning, GivesBackWhatItChangedAndCountsFromTheOpen) {
    FakeDriver driver;
    {
        DriverTuning tuning(driver);
        tuning.open(3);
        EXPECT_EQ(tuning.lowLatency(), LowLatency::On);
        EXPECT_TRUE(driver.on);
        EXPECT_EQ(tuning.lineErrors(), LineErrorCounts{});
        driver.counts.framing += 7;
        driver.counts.breaks += 1;
        EXPECT_EQ(tuning.lineErrors(), (LineErrorCounts{7, 0, 0, 1}));
    }
    EXPECT_FALSE(driver.on);  // the holding ended: the driver's own setting again

    driver.on = true;  // someone else's choice stays
    DriverTuning tuning(driver);
    tuning.open(3);
    EXPECT_EQ(tuning.lowLatency(), LowLatency::AlreadyOn);
    tuning.close();
    EXPECT_TRUE(driver.on);
    EXPECT_EQ(tuning.lineErrors(), std::nullopt);  // nothing open
}

TEST(DriverTuning, AUsbAdapterTakesLowLatencyAndCounts) {
    // USB serial drivers (FTDI, CP210x, CH34x, PL2303) keep the setting;
    // ACM devices have no latency timer to shorten.
    const std::string device = "/dev/ttyUSB0";
    if (!std::filesystem::exists(device)) GTEST_SKIP() << "no USB serial adapter at " << device;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) GTEST_SKIP() << device << " cannot be opened: " << std::strerror(errno);
    bool before = false;
    ASSERT_TRUE(systemDriverRequests().lowLatency(fd, before));
    {
        DriverTuning tuning;
        tuning.open(fd);
        EXPECT_NE(tuning.lowLatency(), LowLatency::Refused);
        bool now = false;
        EXPECT_TRUE(systemDriverRequests().lowLatency(fd, now) && now);
        EXPECT_TRUE(tuning.lineErrors().has_value());
    }
    bool after = !before;
    EXPECT_TRUE(systemDriverRequests().lowLatency(fd, after));
    EXPECT_EQ(after, before);
    ::close(fd);
}

}  // namespace
}  // namespace quadrel::testing
