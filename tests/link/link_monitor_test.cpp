// The link statistics and their verdict, fed through the receiver in
// virtual time.
#include <gtest/gtest.h>

#include <functional>

#include "harness.h"
#include "link/link_monitor.h"

namespace quadrel::testing {
namespace {

struct LinkHarness : ReceiverHarness {
    LinkMonitor link;
    std::int64_t now = 0;
    LinkHarness() {
        receiver.setLinkMonitor(&link);
        wakeUp();
    }
    // One read at `ms`, as a port delivers it.
    void at(std::int64_t ms, const Bytes& in) {
        now = ms;
        receiver.feed(in, std::chrono::milliseconds(ms));
    }
    LinkReport report() const { return link.report(now * 1000); }
};

Bytes standard(int frame, int channel3 = -1) {
    Bytes out{255};
    for (int k = 1; k <= 8; ++k)
        out.push_back(static_cast<std::uint8_t>(k == 3 && channel3 >= 0 ? channel3
                                                                        : 60 + 10 * k + frame % 3));
    return out;
}

// Standard frames for `seconds`, the frame interval given per frame.
void frames(
    LinkHarness& h, double seconds, const std::function<double(int)>& intervalMs,
    const std::function<Bytes(int)>& frame = [](int j) { return standard(j); }) {
    double t = static_cast<double>(h.now);
    const double end = t + seconds * 1000;
    for (int j = 0; t < end; ++j, t += intervalMs(j)) h.at(static_cast<std::int64_t>(t), frame(j));
}

struct VerdictCase {
    const char* name;
    std::function<void(LinkHarness&)> stream;
    Verdict verdict;
    const char* text;
};

void PrintTo(const VerdictCase& c, std::ostream* os) {
    *os << c.name;
}

class LinkVerdict : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(LinkVerdict, NamesWhatIsWrong) {
    LinkHarness h;
    GetParam().stream(h);
    const LinkReport r = h.report();
    EXPECT_EQ(r.verdict, GetParam().verdict);
    EXPECT_EQ(r.verdictText, GetParam().text);
    // The figure beside the verdict counts the same bytes.
    EXPECT_EQ(r.lostBytes,
              r.verdict == Verdict::LostSync ? 15u : 0u);  // 12 of them in the last 10 s
}

const auto steady = [](int) { return 22.5; };

INSTANTIATE_TEST_SUITE_P(
    Streams, LinkVerdict,
    ::testing::Values(
        VerdictCase{
            "NoBytes", [](LinkHarness& h) { h.now = 3200; }, Verdict::NoBytes,
            "No bytes for 3.2 s: check the port, the cable and the transmitter's trainer output"},
        VerdictCase{
            "SilenceAfterFrames",
            [](LinkHarness& h) {
                frames(h, 2, steady);
                h.now += 1500;
            },
            Verdict::NoBytes,
            "No bytes for 1.5 s: check the port, the cable and the transmitter's trainer output"},
        VerdictCase{"AMillionBytesASecond",
                    [](LinkHarness& h) {
                        for (int j = 0; j <= 10; ++j) h.at(j * 100, repeated({0x55}, 90090));
                    },
                    Verdict::NoFrames,
                    "Bytes arrive (1,001,000/s) but no frames: wrong baud rate, an inverted "
                    "signal, or not a PPM interface"},
        VerdictCase{"BytesWithFramingErrors",
                    [](LinkHarness& h) {
                        for (int j = 0; j < 200; ++j) {
                            h.link.setDriverLineErrors(
                                LineErrorCounts{static_cast<std::uint64_t>(j)});
                            h.at(j * 10, repeated({0x55}, 19));
                        }
                    },
                    Verdict::NoFrames,
                    "Bytes arrive (1,919/s) and 199 framing or parity errors but no frames: wrong "
                    "baud rate, an inverted signal, or not a PPM interface"},
        VerdictCase{
            "Irregular",
            [](LinkHarness& h) { frames(h, 10, [](int j) { return j % 5 == 0 ? 32.0 : 20.0; }); },
            Verdict::Irregular,
            "Frames irregular: 20 % late by more than 6 ms: a loose plug or a noisy signal"},
        VerdictCase{"LostSync",
                    [](LinkHarness& h) {
                        frames(h, 12, steady, [](int j) {
                            return j % 100 == 50 ? bytes({16, 17, 18}) + standard(j) : standard(j);
                        });
                    },
                    Verdict::LostSync,
                    "Lost sync: 12 bytes outside frames in 10 s: a noisy signal or a loose plug"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkFigures, CountFramesIntervalsAndChannels) {
    LinkHarness h;
    frames(h, 10, [](int j) { return j % 2 ? 20.0 : 25.0; });
    h.at(h.now + 22, bytes({255, 10, 20, 30}));  // three channels, cut short by the next sync
    const LinkReport r = h.report();

    EXPECT_NEAR(r.framesPerSecond, 44.0, 1.0);
    EXPECT_EQ(r.framesPerSecondByKind[1], 0);
    EXPECT_EQ(r.intervals.minMs, 20);
    EXPECT_EQ(r.intervals.maxMs, 25);
    EXPECT_NEAR(r.intervals.meanMs, 22.5, 0.1);
    EXPECT_EQ(r.intervals.histogram[4] + r.intervals.histogram[5], r.intervals.count);
    EXPECT_EQ(r.shortFrames, 0u);  // the short frame's sync is decoded only with its ninth byte
    EXPECT_EQ(r.channel[0].min, 70);
    EXPECT_EQ(r.channel[0].max, 72);
    EXPECT_EQ(r.channel[7].noise, 2);  // at rest: it wanders by two
    EXPECT_EQ(r.lostBytes, 0u);

    h.at(h.now + 22, standard(0) + standard(1));  // a frame decodes once the next one is in
    const LinkReport after = h.report();
    EXPECT_EQ(after.channels, 8);
    EXPECT_EQ(after.shortFrames, 1u);
    EXPECT_EQ(after.channelCountChanges, 0u);  // one frame cut short, not a new count

    // Six channels from now on: a new count, not frames cut short.
    frames(h, 1, steady, [](int j) {
        Bytes six = standard(j);
        six.resize(7);
        return six;
    });
    EXPECT_EQ(h.report().channelCountChanges, 1u);
    EXPECT_EQ(h.report().shortFrames, 1u);

    h.link.reset(h.now * 1000);
    EXPECT_EQ(h.report().frames, 0u);
}

TEST(LinkFigures, RawBytesShowEachFramesParts) {
    LinkHarness h;
    h.at(0, bytes({7}) + standard(0) + bytes({255, 1, 2, 3, 255}) + repeated({9}, 5));
    std::string roles;
    for (const RawByte& b : h.report().recent) roles += "PSUCEO"[static_cast<int>(b.role)];
    // The wake-up byte and a 7 before the first frame, a full frame, a short
    // frame and its end mark, then bytes not yet judged.
    EXPECT_EQ(roles, "OOSCCCCCCCCSCCCEPPPPP");
    EXPECT_EQ(h.report().lostBytes, 0u);  // the stream was being joined
}

TEST(LinkFigures, LineErrorsAndCableFramesAreCounted) {
    LinkHarness h;
    h.link.setDriverLineErrors(LineErrorCounts{0, 0, 0, 0});
    h.link.setDriverLineErrors(LineErrorCounts{0, 0, 1, 0});
    h.at(100, bytes({239, 1, 2, 3, 4, 0, 0, 0, 0, 239}) + repeated({0}, 9));
    const LinkReport r = h.report();
    EXPECT_EQ(r.lineErrors.counts.overrun, 1u);
    EXPECT_EQ(r.frames, 2u);
    EXPECT_EQ(r.framesPerSecondByKind[2], 2 / 0.1);
}

}  // namespace
}  // namespace quadrel::testing
