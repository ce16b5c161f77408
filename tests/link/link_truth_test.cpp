// The link statistics against streams whose truth is known: an interface's
// frames put on the wire byte by byte at 19200 baud by a model of the line,
// handed to the host by models of USB serial adapters, and received as
// quadrel-probe receives them, in virtual time. Each row states what was put
// on the line and what a user must be told.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>

#include "line_model.h"
#include "probe_report.h"
#include "probe_session.h"

namespace quadrel::testing {
namespace {

using line::Batch;
using line::Bytes;
using line::Wire;

constexpr double kFrameUs = 22'500;  // 44.4 frames a second
constexpr double kSeconds = 10;

// Eight sticks moving smoothly through 68..188, never a sync-like value.
std::vector<int> sticks(int j) {
    std::vector<int> v;
    for (int k = 1; k <= 8; ++k)
        v.push_back(128 +
                    static_cast<int>(std::lround(60 * std::sin(2 * M_PI * j / (88.0 + 13 * k)))));
    return v;
}

Wire frames(
    double periodUs, const std::function<Bytes(int)>& frame,
    const std::function<bool(int)>& sent = [](int) { return true; }) {
    Wire wire;
    line::sendFrames(wire, kSeconds, periodUs, frame, sent);
    return wire;
}

Wire steady(double periodUs = kFrameUs) {
    return frames(periodUs, [](int j) { return line::standardFrame(sticks(j)); });
}

// Channel 2 climbing and falling 4 to 6 steps a frame, thrown 30 up for one
// frame now and then.
Bytes spiked(int j) {
    std::vector<int> v = sticks(j);
    const int step = j % 40 < 20 ? j % 40 : 40 - j % 40;
    v[1] = 60 + 5 * step + j % 3 + (j == 50 || j == 150 || j == 250 ? 30 : 0);
    return line::standardFrame(v);
}

LinkReport received(const std::vector<Batch>& reads) {
    sim::Capture capture;
    capture.line = LineSettings{};
    capture.endUs = static_cast<std::int64_t>(kSeconds * 1e6);
    for (const Batch& b : reads) capture.add(b.atUs, b.bytes);
    return probe::replay(capture);
}

struct Truth {
    const char* name;
    std::function<std::vector<Batch>()> stream;
    Verdict verdict;
    const char* text;  // a pattern for the whole verdict line
    std::function<void(const LinkReport&)> figures = [](const LinkReport&) {};
};

void PrintTo(const Truth& t, std::ostream* os) {
    *os << t.name;
}

const char* const kGood8 = "Link good: 44\\.4 frames/s, 8 channels, 0 frames lost in 10 s";

const Truth kTruths[] = {
    {"GoodByteByByte", [] { return line::byteByByte(steady()); }, Verdict::Good, kGood8,
     [](const LinkReport& r) { EXPECT_EQ(r.delivery.pattern, DeliveryPattern::ByteByByte); }},
    {"GoodThrough16msLatencyTimer", [] { return line::latencyTimer(steady(), 16); }, Verdict::Good,
     "Link good: 44\\.[45] frames/s, 8 channels, 0 frames lost in 10 s",
     [](const LinkReport& r) {
         EXPECT_EQ(r.delivery.text, "delivered in 16 ms batches: timing shown to \u00b116 ms");
         // Too coarse to see single frames' ticks by: the mean interval.
         EXPECT_FALSE(r.clock.fitted);
         EXPECT_NEAR(r.clock.periodMs, 22.5, 0.2);
     }},
    {"GoodThrough1msLatencyTimer", [] { return line::latencyTimer(steady(), 1); }, Verdict::Good,
     kGood8, [](const LinkReport& r) { EXPECT_LE(r.delivery.granularityMs, 1.5); }},
    {"Good18msFramesThrough8msLatencyTimer", [] { return line::latencyTimer(steady(18'000), 8); },
     Verdict::Good, "Link good: 55\\.[56] frames/s, 8 channels, 0 frames lost in 10 s",
     [](const LinkReport& r) { EXPECT_EQ(r.clock.expected, 555u); }},
    {"GoodIn62BytePackets", [] { return line::fullPackets(steady()); }, Verdict::Good,
     "Link good: 4[45]\\.\\d frames/s, 8 channels, 0 frames lost in 10 s",
     [](const LinkReport& r) {
         EXPECT_EQ(r.delivery.pattern, DeliveryPattern::Packets);
         EXPECT_EQ(r.delivery.packetBytes, 62);
     }},
    {"GoodThrough16msLatencyTimerOnABusyHost",
     [] { return line::busyHost(line::latencyTimer(steady(), 16), 8); }, Verdict::Good,
     "Link good: 44\\.[45] frames/s, 8 channels, 0 frames lost in 10 s"},
    {"GoodThroughALateRead",
     [] { return line::lateRead(line::latencyTimer(steady(), 1), 5000, 70); }, Verdict::Good,
     kGood8},
    {"OneChannelValueOf255",
     [] {
         return line::wholeSends(frames(kFrameUs, [](int j) {
             std::vector<int> v = sticks(j);
             if (j == 200) v[3] = 255;
             return line::standardFrame(v);
         }));
     },
     Verdict::SyncLike,
     "Channel 4 carries 255, which receivers take for a frame start: reduce that channel's "
     "travel \\(end points\\) on the transmitter",
     [](const LinkReport& r) {
         EXPECT_EQ(r.syncLikeValues, 1u);
         EXPECT_EQ(r.channel[3].max, 255);
         EXPECT_EQ(r.glitches, 0u);
     }},
    {"Channel8HeldAt245ForASecond",
     [] {
         return line::wholeSends(frames(kFrameUs, [](int j) {
             std::vector<int> v = sticks(j);
             if (j >= 100 && j < 144) v[7] = 245;
             return line::standardFrame(v);
         }));
     },
     Verdict::SyncLike, "Channel 8 carries 245, .*",
     [](const LinkReport& r) {
         EXPECT_EQ(r.syncLikeValues, 44u);
         EXPECT_EQ(r.glitches, 0u);
     }},
    {"SpikesOnAMovingStick", [] { return line::wholeSends(frames(kFrameUs, spiked)); },
     Verdict::Glitches,
     "Channel 2 twitches: 3 one-frame jumps in 10 s: a noisy signal or a worn potentiometer",
     [](const LinkReport& r) {
         for (int k = 0; k < 8; ++k)
             EXPECT_EQ(r.channel[static_cast<std::size_t>(k)].glitches, k == 1 ? 3 : 0);
     }},
    {"SteadyAt30ms", [] { return line::wholeSends(steady(30'000)); }, Verdict::OffRate,
     "Frames slow: 33\\.3/s where a transmitter sends 37 to 56: the interface passes on only "
     "some of the frames",
     [](const LinkReport& r) { EXPECT_EQ(r.clock.lostSinceReset, 0u); }},
    {"SteadyAt25ms", [] { return line::wholeSends(steady(25'000)); }, Verdict::Good,
     "Link good: 40\\.0 frames/s, 8 channels, 0 frames lost in 10 s"},
    {"OneFrameInThreeDropped",
     [] {
         return line::wholeSends(frames(
             kFrameUs, [](int j) { return line::standardFrame(sticks(j)); },
             [](int j) { return j % 3 != 2; }));
     },
     Verdict::FramesLost,
     "Frames lost: 14\\d of 44\\d in 10 s: the interface drops frames, or the signal is weak",
     [](const LinkReport& r) {
         EXPECT_NEAR(static_cast<double>(r.clock.lost), 148, 2);  // of 445 sent
         EXPECT_NEAR(r.clock.periodMs, 22.5, 0.01);
     }},
    {"AFreezeOf13Frames",
     [] {
         return line::wholeSends(frames(
             kFrameUs, [](int j) { return line::standardFrame(sticks(j)); },
             [](int j) { return j < 200 || j > 212; }));
     },
     Verdict::FramesLost,
     "Frames lost: 13 of 44\\d in 10 s, none for 0\\.3 s: a loose plug or an interface losing "
     "power"},
    {"TheCablesFirstFrames",
     [] {
         // The first packets carry a 63, which read unmirrored looks like a sync.
         return line::wholeSends(frames(kFrameUs, [](int j) {
             std::vector<int> v = sticks(j);
             v.resize(4);
             if (j < 3) v[0] = 63;
             return line::cablePacket(v);
         }));
     },
     Verdict::Good, "Link good: 44\\.4 frames/s, 4 channels, 0 frames lost in 10 s",
     [](const LinkReport& r) {
         for (int k = 0; k < 8; ++k) {
             const ChannelFigures& c = r.channel[static_cast<std::size_t>(k)];
             EXPECT_EQ(c.seen, k < 4) << k;
             if (k < 4) {
                 EXPECT_GE(c.min, 63) << k;
             }
         }
     }},
    {"TheCablesPacketsBackToBack",
     [] {
         return line::wholeSends(frames(kFrameUs, [](int j) {
             std::vector<int> v = sticks(j);
             v.resize(4);
             return line::cablePacket(v);
         }));
     },
     Verdict::Good, "Link good: 44\\.4 frames/s, 4 channels, 0 frames lost in 10 s",
     [](const LinkReport& r) {
         EXPECT_GE(r.frames, 443u);  // every packet but the last, which no byte follows
         EXPECT_EQ(r.lostBytes, 0u);
     }},
};

class LinkTruth : public ::testing::TestWithParam<Truth> {};

TEST_P(LinkTruth, TellsWhatWasPutOnTheLine) {
    const Truth& t = GetParam();
    const LinkReport r = received(t.stream());
    EXPECT_EQ(r.verdict, t.verdict) << r.verdictText;
    EXPECT_TRUE(std::regex_match(r.verdictText, std::regex(t.text))) << r.verdictText;
    t.figures(r);
    // quadrel-probe says the same, as text and as JSON.
    const probe::ProbeRun run{"model", "19200,N,8,1"};
    const std::string text = probe::reportText(run, r, {});
    EXPECT_EQ(text.substr(0, text.find('\n')), r.verdictText);
    const std::string json = probe::reportJson(run, r, {});
    EXPECT_NE(json.find("\"verdict\": \"" + std::string(probe::verdictKey(t.verdict)) + "\""),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rows, LinkTruth, ::testing::ValuesIn(kTruths),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quadrel::testing
