// quadrel-sim's frames fed through the program's receive path: once the
// start-up calibration is over, the window shows exactly the values the
// simulator generated, frame after frame, for every frame kind.
#include <gtest/gtest.h>

#include <set>

#include "sim_playback.h"

namespace quadrel::testing {
namespace {

using sim::FrameFormat;

// The wake-up calibration and the one Timer2 runs a second later are over.
constexpr std::int64_t kSettledMs = 1500;

struct Kind {
    const char* name;
    sim::FrameLayout layout;
};
void PrintTo(const Kind& kind, std::ostream* os) {
    *os << kind.name;
}

sim::FrameLayout layout(FrameFormat format, int channels, int sync = 245, int filler = 4) {
    return {format, channels, sync, filler};
}

sim::StreamSettings settingsFor(const sim::FrameLayout& l, double seconds = 12) {
    sim::StreamSettings s;
    s.layout = l;
    s.seed = 7;
    s.duration = std::chrono::duration_cast<sim::Nanos>(std::chrono::duration<double>(seconds));
    return s;
}

struct Tally {
    int checked = 0, lost = 0, wrong = 0;
};

// Checks every decoded frame from `fromMs` on; the first wrong one is reported.
Playback checking(MainFormHarness& h, Tally& tally, std::int64_t fromMs = kSettledMs) {
    Playback p{h};
    p.atDecode = [&h, &tally, fromMs](const sim::Chunk& frame, bool decoded) {
        if (millis(frame.at) < fromMs) return;
        if (!decoded) {
            ++tally.lost;
            return;
        }
        ++tally.checked;
        if (h.inCaptions() != expectedCaptions(frame) && tally.wrong++ == 0)
            ADD_FAILURE() << "frame at " << millis(frame.at) << " ms shows "
                          << ::testing::PrintToString(h.inCaptions()) << ", expected "
                          << ::testing::PrintToString(expectedCaptions(frame));
    };
    return p;
}

class SimRoundTrip : public ::testing::TestWithParam<Kind> {
protected:
    void SetUp() override {
        h.ui().Option.setValue(2, true);
        h.ui().Mode.setValue(2, true);
    }
    MainFormHarness h;
};

TEST_P(SimRoundTrip, EveryFrameShowsTheGeneratedValues) {
    const auto chunks = schedule(settingsFor(GetParam().layout));
    Tally tally;
    checking(h, tally).play(chunks);

    const auto settled = std::count_if(chunks.begin(), chunks.end(),
                                       [](auto& c) { return millis(c.at) >= kSettledMs; });
    EXPECT_EQ(tally.wrong, 0);
    EXPECT_EQ(tally.lost, 0);
    // A frame is decoded when nine more bytes have come; the last ones never are.
    EXPECT_GE(tally.checked, settled - 9);
    EXPECT_FALSE(h.ui().Label11.Visible);
    const bool cable = GetParam().layout.format == FrameFormat::ZhenHua;
    EXPECT_EQ(h.form.ZhenHuaActive(), cable);
    EXPECT_EQ(h.ui().Option(5).Caption.str(), cable ? "Zhen Hua Cable" : "Zhen Hua");
    EXPECT_EQ(h.cable.visible, cable);
}

INSTANTIATE_TEST_SUITE_P(
    FrameKinds, SimRoundTrip,
    ::testing::Values(Kind{"Standard8", layout(FrameFormat::Standard, 8)},
                      Kind{"Standard3", layout(FrameFormat::Standard, 3)},
                      Kind{"Standard1", layout(FrameFormat::Standard, 1)},
                      Kind{"Variant8", layout(FrameFormat::Variant, 8, 245)},
                      Kind{"VariantNineByteFrames", layout(FrameFormat::Variant, 7, 240)},
                      Kind{"Variant2Sync254", layout(FrameFormat::Variant, 2, 254)},
                      Kind{"ZhenHua", layout(FrameFormat::ZhenHua, 4)},
                      Kind{"ZhenHuaLongFiller", layout(FrameFormat::ZhenHua, 4, 245, 9)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimRoundTripMotion, EveryBarAndBothMarkersMove) {
    MainFormHarness h;
    h.ui().Option.setValue(2, true);
    h.ui().Mode.setValue(2, true);
    std::vector<std::set<float>> bars(kChannels);
    std::set<std::pair<float, float>> ball1, ball2;
    Playback p{h};
    p.atDecode = [&](const sim::Chunk& frame, bool) {
        if (millis(frame.at) < kSettledMs) return;
        for (int k = 1; k <= kChannels; ++k) bars[k - 1].insert(h.ui().ProgressBar(k).Value);
        ball1.insert({h.ui().Ball1.Left, h.ui().Ball1.Top});
        ball2.insert({h.ui().Ball2.Left, h.ui().Ball2.Top});
    };
    p.play(schedule(settingsFor(layout(FrameFormat::Standard, 8), 16)));

    for (int k = 0; k < kChannels; ++k) EXPECT_GT(bars[k].size(), 50u) << "bar " << k + 1;
    EXPECT_GT(ball1.size(), 100u);
    EXPECT_GT(ball2.size(), 100u);
}

TEST(SimRoundTripMotion, ValuesCoverTheTravelAndStayInIt) {
    for (auto motion : {sim::Motion::Sweep, sim::Motion::Circle, sim::Motion::Mixed}) {
        auto s = settingsFor(layout(FrameFormat::Standard, 8), 20);
        s.motion = motion;
        s.travelLow = 10;
        s.travelHigh = 230;
        std::vector<int> low(8, 1000), high(8, -1);
        for (const auto& c : schedule(s))
            for (int k = 0; k < 8; ++k) {
                low[k] = std::min(low[k], c.channels[k]);
                high[k] = std::max(high[k], c.channels[k]);
            }
        EXPECT_EQ(low, std::vector<int>(8, 10)) << sim::motionName(motion);
        EXPECT_EQ(high, std::vector<int>(8, 230)) << sim::motionName(motion);
    }
    auto still = settingsFor(layout(FrameFormat::Standard, 8), 2);
    still.motion = sim::Motion::Centre;
    for (const auto& c : schedule(still)) EXPECT_EQ(c.channels, std::vector<int>(8, 130));
}

TEST(SimRoundTripFrames, NoZhenHuaChannelByteCanPassForASync) {
    // The cable's first frame is read unmirrored, later ones mirrored back.
    for (int v = 0; v <= 255; ++v) {
        const int sent = sim::sendableValue(FrameFormat::ZhenHua, v);
        EXPECT_LT(sent, 239) << v;
        EXPECT_LT(sim::mirrorBits(static_cast<std::uint8_t>(sent)), 239) << v;
        EXPECT_LE(std::abs(sent - std::min(v, 238)), 1) << v;
    }
}

}  // namespace
}  // namespace quadrel::testing
