// The signal cycle in virtual time: "No PPM signal present..." 500 ms after the
// last restart; returning data recalibrates at once and a second later with a
// beep. And the two calibration commands.
#include <gtest/gtest.h>

#include "harness.h"

namespace quadrel::testing {
namespace {

const Bytes kFrame = bytes({255, 10, 20, 30, 40, 50, 60, 70, 80});

std::vector<int> windowCells(const MainForm& form) {
    std::vector<int> out;
    for (int p = 0; p < FrameWindow::kSize; ++p) out.push_back(form.frameWindow()[p]);
    return out;
}

bool rowsBlank(const MainWindowState& ui) {
    for (int k = 1; k <= kChannels; ++k)
        if (ui.In(k).Caption != "-" || ui.Res(k).Caption != "-" || ui.Res(k).BackColor != kRed ||
            !(ui.ProgressBar(k) == BarState{0, 100, 0}))
            return false;
    return true;
}

class SignalCycle : public ::testing::Test {
protected:
    void SetUp() override {
        // As after start-up: the first watchdog tick and delayed calibration,
        // with its beep, have passed.
        h.clock.advance(1000);
        ASSERT_TRUE(ui().Label11.Visible && h.beeper.beeps == 1);
        h.beeper.beeps = 0;
    }
    MainWindowState& ui() { return h.ui(); }
    // Frames every `stepMs`; the no-signal label stays hidden throughout.
    void stream(int frames, int stepMs) {
        for (int i = 0; i < frames; ++i) {
            h.receive(kFrame);
            ASSERT_FALSE(ui().Label11.Visible) << "frame " << i;
            h.clock.advance(stepMs);
        }
    }
    MainFormHarness h;
};

TEST_F(SignalCycle, NoSignalExactly500msAfterTheLastRestart) {
    stream(20, 499);
    h.receive(kFrame + kFrame);
    h.clock.advance(499);
    EXPECT_FALSE(ui().Label11.Visible);
    h.clock.advance(1);
    EXPECT_TRUE(ui().Label11.Visible);
    EXPECT_EQ(ui().Label11.Caption, "No PPM signal present...");
    EXPECT_FALSE(ui().Timer1.Enabled());
}

TEST_F(SignalCycle, LossBlanksTheRowsAndLeavesTheCableFormatOnly) {
    stream(15, 100);  // past the delayed calibration after the first byte
    h.receive(bytes({255, 239, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ASSERT_TRUE(h.form.ZhenHuaActive());
    const MarkerState ball1 = ui().Ball1;
    const ChannelRange range1 = h.form.channelRange(1);
    const std::vector<int> window = windowCells(h.form);
    const int beeps = h.beeper.beeps;

    h.clock.advance(500);

    EXPECT_TRUE(ui().Label11.Visible);
    EXPECT_TRUE(rowsBlank(ui()));
    EXPECT_FALSE(h.form.ZhenHuaActive());
    EXPECT_FALSE(h.cable.visible);
    for (int k = 1; k <= 5; ++k) EXPECT_TRUE(ui().Option(k).Enabled) << k;
    EXPECT_EQ(ui().Option(5).Caption, "Zhen Hua");
    // Markers, ranges and the window wait for the data to return.
    EXPECT_EQ(ui().Ball1, ball1);
    EXPECT_EQ(h.form.channelRange(1), range1);
    EXPECT_EQ(windowCells(h.form), window);
    EXPECT_EQ(h.beeper.beeps, beeps);
}

TEST_F(SignalCycle, ReturningDataRecalibratesAtOnceAndOneSecondLaterWithABeep) {
    for (int loss = 1; loss <= 2; ++loss) {
        SCOPED_TRACE(loss);
        stream(15, 100);
        h.clock.advance(500);
        ASSERT_TRUE(ui().Label11.Visible);
        ASSERT_EQ(h.form.channelRange(1), (ChannelRange{10, 10}));

        h.receive({42});  // data returns: the window holds nine zeros and the byte
        EXPECT_FALSE(ui().Label11.Visible);
        EXPECT_EQ(windowCells(h.form), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 42}));
        EXPECT_EQ(h.form.channelRange(1), (ChannelRange{1000, 0}));
        const int beeps = h.beeper.beeps;

        stream(9, 100);  // frames are learnt again...
        h.receive(kFrame);
        h.clock.advance(99);
        EXPECT_EQ(h.beeper.beeps, beeps);
        EXPECT_EQ(ui().In(1).Caption, "10");
        h.clock.advance(1);  // ...until a second after the return
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
        EXPECT_EQ(h.form.channelRange(1), (ChannelRange{1000, 0}));
        EXPECT_TRUE(rowsBlank(ui()));
        stream(10, 100);
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
    }
}

TEST_F(SignalCycle, AReturnWhileTheDelayedCalibrationIsPendingDoesNotPostponeIt) {
    h.receive({0});  // t = 1000: calibration due at 2000
    h.clock.advance(500);
    ASSERT_TRUE(ui().Label11.Visible);  // lost again at 1500
    h.clock.advance(200);
    h.receive({0});  // back at 1700
    h.clock.advance(299);
    EXPECT_EQ(h.beeper.beeps, 0);
    h.clock.advance(1);
    EXPECT_EQ(h.beeper.beeps, 1);
}

// "Calibrate" blanks the rows at once, "Recalibrate" leaves them; both
// forget the ranges and all but the oldest byte, so the next nine bytes
// complete no frame and the first frame after them shows resolutions of 0.
TEST(Calibration, CalibrateAndRecalibrate) {
    for (bool full : {true, false}) {
        SCOPED_TRACE(full ? "Calibrate" : "Recalibrate");
        MainFormHarness h;
        h.wakeUp();
        h.receive(kFrame + bytes({255, 130, 140, 150, 160, 170, 180, 190, 200, 255}));
        ASSERT_EQ(h.ui().Res(1).Caption, "120");
        const auto shown = h.inCaptions();

        full ? h.form.Command1_Click() : h.form.SCal_Click();

        for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.form.channelRange(k), (ChannelRange{1000, 0})) << k;
        EXPECT_EQ(windowCells(h.form), (std::vector<int>{255, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(rowsBlank(h.ui()), full);
        EXPECT_EQ(h.ui().Res(1).BackColor, full ? kRed : kGreen);
        h.receive(bytes({11, 21, 31, 41, 51, 61, 71, 81, 255}));
        EXPECT_EQ(h.inCaptions(), full ? std::vector<std::string>(8, "-") : shown);
        h.receive(bytes({12, 22, 32, 42, 52, 62, 72, 82, 255}));
        for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.form.channelRange(k), (ChannelRange{2 + 10 * k, 2 + 10 * k})) << k;
        EXPECT_EQ(h.ui().Res(1).Caption, "0");
        EXPECT_EQ(h.ui().Res(1).BackColor, kRed);
    }
}

}  // namespace
}  // namespace quadrel::testing
