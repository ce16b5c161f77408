// "Calibrate" and "Recalibrate": both forget the learnt ranges and the frame
// window; only "Calibrate" also blanks the channel rows.
#include <gtest/gtest.h>

#include <functional>

#include "frames.h"

namespace quadrel::testing {
namespace {

using Captions = std::vector<std::string>;

class Calibration : public ::testing::Test {
protected:
    void SetUp() override {
        h.wakeUp();
        // Two frames learn a resolution of 120 (green) on every channel; the
        // second is decoded by the last byte, so the window holds it whole.
        h.receive(standardFrame({10, 20, 30, 40, 50, 60, 70, 80}) +
                  standardFrame({130, 140, 150, 160, 170, 180, 190, 200}) + bytes({255}));
        ASSERT_EQ(windowCells(h.form), (std::vector<int>{255, 130, 140, 150, 160, 170, 180, 190, 200, 255}));
        ASSERT_EQ(text(h.ui().Res(1).Caption), "120");
    }
    void expectRangesForgotten() {
        for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.form.channelRange(k), (ChannelRange{1000, 0})) << k;
        // The oldest byte is kept, the rest is zero.
        EXPECT_EQ(windowCells(h.form), (std::vector<int>{255, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    }
    MainFormHarness h;
};

TEST_F(Calibration, CalibrateBlanksEveryRowAtOnce) {
    h.form.Command1_Click();
    expectRangesForgotten();
    EXPECT_EQ(h.inCaptions(), Captions(8, "-"));
    EXPECT_EQ(resCaptions(h.ui()), Captions(8, "-"));
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(h.ui().Res(k).BackColor, kRed) << k;
        EXPECT_EQ(h.ui().ProgressBar(k), (BarState{0, 100, 0})) << k;
    }
}

TEST_F(Calibration, RecalibrateLeavesTheRowsUntilTheNextFrame) {
    const MainWindowState before = h.ui();
    h.form.SCal_Click();
    expectRangesForgotten();
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(h.ui().In(k), before.In(k)) << k;
        EXPECT_EQ(h.ui().Res(k), before.Res(k)) << k;
        EXPECT_EQ(h.ui().ProgressBar(k), before.ProgressBar(k)) << k;
    }
    EXPECT_EQ(h.ui().Res(1).BackColor, kGreen);
}

TEST_F(Calibration, MarkersAndTimersAreNotTouched) {
    h.ui().Option.setValue(1, true);
    h.ui().Mode.setValue(1, true);
    h.receive(bytes({11, 21, 31, 41, 51, 61, 71, 81, 255}));
    const MarkerState ball1 = h.ui().Ball1, ball2 = h.ui().Ball2;
    const auto t1 = h.ui().Timer1.starts(), t2 = h.ui().Timer2.starts();
    const int beeps = h.beeper.beeps;
    h.form.Command1_Click();
    h.form.SCal_Click();
    EXPECT_EQ(h.ui().Ball1, ball1);
    EXPECT_EQ(h.ui().Ball2, ball2);
    EXPECT_EQ(h.ui().Timer1.starts(), t1);
    EXPECT_EQ(h.ui().Timer2.starts(), t2);
    EXPECT_EQ(h.beeper.beeps, beeps);
}

struct Command {
    const char* name;
    std::function<void(MainForm&)> run;
};

class AfterEitherCommand : public Calibration, public ::testing::WithParamInterface<Command> {};

TEST_P(AfterEitherCommand, NextNineBytesCompleteNoFrame) {
    GetParam().run(h.form);
    const Captions shown = h.inCaptions();

    // Without the command the 255 waiting at position 9 would be decoded
    // with the ninth of these bytes.
    const Bytes next = bytes({11, 21, 31, 41, 51, 61, 71, 81, 255});
    for (std::size_t i = 0; i < next.size(); ++i) {
        const auto restarts = h.ui().Timer1.starts();
        h.receive({next[i]});
        EXPECT_EQ(h.inCaptions(), shown) << "byte " << i;
        EXPECT_EQ(h.ui().Timer1.starts(), restarts + 1) << "byte " << i;
    }

    // The first frame after it sets every range to its value: "0" on red.
    h.receive(bytes({12, 22, 32, 42, 52, 62, 72, 82, 255}));
    EXPECT_EQ(h.inCaptions(), (Captions{"12", "22", "32", "42", "52", "62", "72", "82"}));
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(text(h.ui().Res(k).Caption), "0") << k;
        EXPECT_EQ(h.ui().Res(k).BackColor, kRed) << k;
        EXPECT_EQ(h.ui().ProgressBar(k).Value, 0.0f) << k;
        EXPECT_EQ(h.form.channelRange(k), (ChannelRange{2 + 10 * k, 2 + 10 * k})) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, AfterEitherCommand,
                         ::testing::Values(Command{"Calibrate", [](MainForm& f) { f.Command1_Click(); }},
                                           Command{"Recalibrate", [](MainForm& f) { f.SCal_Click(); }}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CalibrationWithoutData, LeavesTheDesignLook) {
    MainFormHarness h;
    const MainWindowState design = h.ui();
    h.form.Command1_Click();
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(h.ui().In(k), design.In(k)) << k;
        EXPECT_EQ(h.ui().Res(k), design.Res(k)) << k;
        EXPECT_EQ(h.ui().ProgressBar(k), design.ProgressBar(k)) << k;
    }
    EXPECT_EQ(text(h.ui().Res(1).Caption), "-");
    EXPECT_EQ(h.ui().Res(1).BackColor, kRed);
}

}  // namespace
}  // namespace quadrel::testing
