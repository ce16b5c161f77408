// A channel row: the raw value, the resolution on red or green, and the bar
// that places the value within the range seen since calibration.
#include <gtest/gtest.h>

#include "channels/channel_display.h"
#include "frames.h"

namespace quadrel::testing {
namespace {

using Captions = std::vector<std::string>;

struct BarCase {
    int v, min, max;
    float value;
};

class BarValue : public ::testing::TestWithParam<BarCase> {};

TEST_P(BarValue, PlacesTheValueWithinItsRange) {
    const BarCase& c = GetParam();
    EXPECT_EQ(barValue(c.v, c.min, c.max), c.value) << c.v << " in " << c.min << ".." << c.max;
}

INSTANTIATE_TEST_SUITE_P(Table, BarValue,
                         ::testing::Values(BarCase{50, 50, 150, 0}, BarCase{51, 50, 150, 1},
                                           BarCase{100, 50, 150, 50}, BarCase{149, 50, 150, 99},
                                           BarCase{150, 50, 150, 100}, BarCase{7, 0, 9, 78},
                                           BarCase{8, 0, 9, 89}, BarCase{1, 0, 3, 33}, BarCase{2, 0, 3, 66},
                                           BarCase{127, 0, 254, 50}, BarCase{254, 0, 254, 100},
                                           BarCase{120, 120, 120, 0}, BarCase{0, 0, 0, 0},
                                           BarCase{255, 0, 255, 100}, BarCase{1, 0, 255, 0},
                                           BarCase{2, 0, 255, 1}));

TEST(BarValue, StaysWithinTheBarForEveryValueInRange) {
    for (int min = 0; min <= 255; min += 5)
        for (int max = min; max <= 255; max += 7)
            for (int v = min; v <= max; ++v) {
                const float value = barValue(v, min, max);
                ASSERT_GE(value, 0.0f);
                ASSERT_LE(value, 100.0f);
                ASSERT_EQ(value, static_cast<float>(static_cast<int>(value)));
            }
}

// Eight-channel frames one after another; each is decoded when the next
// sync arrives, so a trailing 255 shows the last.
void showFrames(MainFormHarness& h, const std::vector<std::array<int, 8>>& frames) {
    h.wakeUp();
    for (const auto& f : frames)
        h.receive(standardFrame({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]}));
    h.receive({255});
}

TEST(ChannelRow, BarAndResolutionFollowTheLearntRange) {
    MainFormHarness h;
    // (Values stay below 239: a larger one would start a frame of its own
    // when it reaches the oldest position.)
    showFrames(h, {{50, 0, 0, 9, 0, 120, 10, 200},
                   {150, 3, 9, 0, 238, 120, 109, 100},
                   {100, 1, 7, 8, 119, 120, 10, 100}});
    const auto& ui = h.ui();
    EXPECT_EQ(h.inCaptions(), (Captions{"100", "1", "7", "8", "119", "120", "10", "100"}));
    EXPECT_EQ(resCaptions(ui), (Captions{"100", "3", "9", "9", "238", "0", "99", "100"}));
    EXPECT_EQ(barValues(ui), (std::vector<float>{50, 33, 78, 89, 50, 0, 0, 0}));
    const ColorValue colors[] = {kGreen, kRed, kRed, kRed, kGreen, kRed, kRed, kGreen};
    for (int k = 1; k <= 8; ++k) EXPECT_EQ(ui.Res(k).BackColor, colors[k - 1]) << k;
}

TEST(ChannelRow, ResolutionTurnsGreenAtExactly100) {
    MainFormHarness h;
    showFrames(h, {{50, 0, 0, 0, 0, 0, 0, 0}, {149, 0, 0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(text(h.ui().Res(1).Caption), "99");
    EXPECT_EQ(h.ui().Res(1).BackColor, kRed);

    h.receive(bytes({150, 0, 0, 0, 0, 0, 0, 0, 255}));  // channels after the waiting sync
    EXPECT_EQ(text(h.ui().Res(1).Caption), "100");
    EXPECT_EQ(h.ui().Res(1).BackColor, kGreen);
    EXPECT_EQ(h.ui().ProgressBar(1).Value, 100.0f);
}

TEST(ChannelRow, AValueSeenBeforeIsPlacedAnewInAWiderRange) {
    MainFormHarness h;
    // Channel 1 at 150, then down to 100, then back to 150: the bar goes
    // from empty to full although 150 showed an empty bar before.
    showFrames(h, {{150, 0, 0, 0, 0, 0, 0, 0}, {100, 0, 0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(h.ui().ProgressBar(1).Value, 0.0f);
    h.receive(bytes({150, 0, 0, 0, 0, 0, 0, 0, 255}));
    EXPECT_EQ(h.ui().ProgressBar(1).Value, 100.0f);
    h.receive(bytes({125, 0, 0, 0, 0, 0, 0, 0, 255}));
    EXPECT_EQ(h.ui().ProgressBar(1).Value, 50.0f);

    // After a recalibration the same values are placed in the new range.
    h.form.SCal_Click();
    h.receive(standardFrame({150, 0, 0, 0, 0, 0, 0, 0}) + standardFrame({125, 0, 0, 0, 0, 0, 0, 0}) + bytes({255}));
    EXPECT_EQ(h.ui().ProgressBar(1).Value, 0.0f);  // 125 is now the smallest value seen
}

TEST(ChannelRow, AbsentChannelKeepsResolutionAndBar) {
    MainFormHarness h;
    showFrames(h, {{10, 20, 30, 40, 50, 60, 70, 80}, {10, 20, 30, 40, 150, 160, 170, 180}});
    const MainWindowState before = h.ui();

    // A four-channel frame after the waiting sync, then the next one.
    h.receive(bytes({11, 21, 31, 41, 255, 12, 22, 32, 42}));

    EXPECT_EQ(h.inCaptions(), (Captions{"11", "21", "31", "41", "-", "-", "-", "-"}));
    for (int k = 5; k <= 8; ++k) {
        EXPECT_EQ(h.ui().Res(k), before.Res(k)) << k;
        EXPECT_EQ(h.ui().ProgressBar(k), before.ProgressBar(k)) << k;
        EXPECT_TRUE(h.form.ChannelPosition(k).isAbsent()) << k;
    }
    EXPECT_EQ(text(h.ui().Res(5).Caption), "100");
    EXPECT_EQ(h.ui().ProgressBar(5).Value, 100.0f);
}

}  // namespace
}  // namespace quadrel::testing
