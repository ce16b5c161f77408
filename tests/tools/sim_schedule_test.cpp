// quadrel-sim's pace and repeatability, read from the schedule it produces:
// the line's byte rate, the frame period, replayed captures and the seed.
#include <gtest/gtest.h>

#include "sim_playback.h"

namespace quadrel::testing {
namespace {

using namespace std::chrono_literals;
using sim::LineSettings;
using sim::Parity;

sim::StreamSettings frames(long count) {
    sim::StreamSettings s;
    s.seed = 5;
    s.frameCount = count;
    return s;
}

std::vector<sim::Nanos> spacings(const std::vector<sim::Chunk>& chunks) {
    std::vector<sim::Nanos> out;
    for (std::size_t i = 1; i < chunks.size(); ++i) out.push_back(chunks[i].at - chunks[i - 1].at);
    return out;
}

TEST(SimPace, BytesPerSecondCountStartDataParityAndStopBits) {
    EXPECT_DOUBLE_EQ(sim::bytesPerSecond({19200, Parity::None, 8, 2}), 1920.0);
    EXPECT_DOUBLE_EQ(sim::bytesPerSecond({9600, Parity::Even, 7, 4}), 9600.0 / 11);
    EXPECT_DOUBLE_EQ(sim::bytesPerSecond({115200, Parity::Odd, 8, 2}), 115200.0 / 11);
    EXPECT_DOUBLE_EQ(sim::bytesPerSecond({19200, Parity::None, 8, 3}), 19200.0 / 10.5);
    EXPECT_DOUBLE_EQ(sim::bytesPerSecond({1200, Parity::Mark, 5, 3}), 1200.0 / 8.5);
    EXPECT_EQ(sim::lineTime(9, {19200, Parity::None, 8, 2}), 4'687'500ns);
}

TEST(SimPace, DefaultIsOneFrameEvery22AndAHalfMilliseconds) {
    const auto chunks = schedule(frames(100));
    ASSERT_EQ(chunks.size(), 100u);
    EXPECT_EQ(chunks.front().at, 0ns);
    for (auto gap : spacings(chunks)) ASSERT_EQ(gap, 22'500us);
}

TEST(SimPace, FramePeriodAndFrameRateSetTheSpacing) {
    auto s = frames(50);
    s.framePeriodMs = 20;
    for (auto gap : spacings(schedule(s))) ASSERT_EQ(gap, 20ms);
}

TEST(SimPace, AFrameLongerThanItsPeriodOnTheLineFollowsAtLineSpeed) {
    auto s = frames(50);
    s.line.baud = 1200;  // 120 bytes a second: a nine-byte frame takes 75 ms
    for (auto gap : spacings(schedule(s))) ASSERT_EQ(gap, 75ms);
    s.line.baud = 19200;
    s.framePeriodMs = 0;  // back to back
    for (auto gap : spacings(schedule(s))) ASSERT_EQ(gap, 4'687'500ns);
}

TEST(SimPace, CountAndDurationEndTheStream) {
    EXPECT_EQ(schedule(frames(37)).size(), 37u);
    auto s = frames(1'000'000);
    s.duration = 1s;
    const auto chunks = schedule(s);
    EXPECT_EQ(chunks.size(), 45u);  // 0 to 990 ms
    EXPECT_LT(chunks.back().at, 1s);
}

std::vector<std::uint8_t> capture(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

TEST(SimReplay, SendsTheCaptureOnceAtTheLinePace) {
    sim::StreamSettings s;
    s.replay = capture(3840);  // two seconds at 19200,N,8,1
    const auto chunks = schedule(s);
    EXPECT_EQ(allBytes(chunks), *s.replay);
    std::size_t sent = 0;
    for (const auto& c : chunks) {
        ASSERT_EQ(c.at, sim::lineTime(sent, s.line));
        ASSERT_FALSE(c.format);
        sent += c.bytes.size();
    }
    EXPECT_EQ(chunks.back().at + sim::lineTime(chunks.back().bytes.size(), s.line), 2s);
}

TEST(SimReplay, LoopStartsTheCaptureAgain) {
    sim::StreamSettings s;
    s.replay = capture(100);
    s.loop = true;
    s.duration = 1s;
    const auto sent = allBytes(schedule(s));
    ASSERT_GE(sent.size(), 1900u);
    for (std::size_t i = 0; i < sent.size(); ++i) ASSERT_EQ(sent[i], (*s.replay)[i % 100]) << i;
}

sim::StreamSettings everything(std::uint64_t seed) {
    auto s = frames(3000);
    s.seed = seed;
    s.faults = {0.02, 0.02, 5s, 700ms};
    s.formatSwitch = sim::FormatSwitch{s.layout, 10s, std::nullopt};
    s.formatSwitch->to.format = sim::FrameFormat::Variant;
    return s;
}

TEST(SimSeed, TheSameSeedGivesTheSameStream) {
    const auto a = schedule(everything(99)), b = schedule(everything(99));
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].at, b[i].at) << i;
        ASSERT_EQ(a[i].bytes, b[i].bytes) << i;
    }
}

TEST(SimSeed, AnotherSeedGivesAnotherStream) {
    EXPECT_NE(allBytes(schedule(everything(99))), allBytes(schedule(everything(100))));
    // The faults too, not only the motion.
    auto still = everything(99);
    still.motion = sim::Motion::Centre;
    auto other = still;
    other.seed = 100;
    EXPECT_NE(allBytes(schedule(still)), allBytes(schedule(other)));
}

}  // namespace
}  // namespace quadrel::testing
