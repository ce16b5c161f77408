// The signal cycle in virtual time: the watchdog shows "No PPM signal
// present..." 500 ms after the last restart; data coming back wakes the
// window up and recalibrates it again a second later with a beep.
#include <gtest/gtest.h>

#include "frames.h"

namespace quadrel::testing {
namespace {

using Captions = std::vector<std::string>;

const Bytes kFrame = standardFrame({10, 20, 30, 40, 50, 60, 70, 80});

class SignalCycle : public ::testing::Test {
protected:
    void SetUp() override {
        ui().Option.setValue(1, true);
        ui().Mode.setValue(2, true);
        // As after start-up: the first watchdog tick and the first delayed
        // calibration have passed, with their beep.
        h.clock.advance(1000);
        ASSERT_TRUE(ui().Label11.Visible);
        ASSERT_FALSE(ui().Timer1.Enabled());
        ASSERT_FALSE(ui().Timer2.Enabled());
        ASSERT_EQ(h.beeper.beeps, 1);
        h.beeper.beeps = 0;
    }
    MainWindowState& ui() { return h.ui(); }

    // Frames every `stepMs` for `frames` frames; the window's no-signal label
    // must stay hidden throughout.
    void stream(int frames, int stepMs) {
        for (int i = 0; i < frames; ++i) {
            h.receive(kFrame);
            ASSERT_FALSE(ui().Label11.Visible) << "frame " << i;
            h.clock.advance(stepMs);
        }
    }

    MainFormHarness h;
};

TEST_F(SignalCycle, PausesShorterThanTheIntervalNeverShowNoSignal) {
    for (int i = 0; i < 20; ++i) {
        h.receive(kFrame);
        h.clock.advance(499);
        ASSERT_FALSE(ui().Label11.Visible) << "after pause " << i;
    }
}

TEST_F(SignalCycle, NoSignalExactly500msAfterTheLastRestart) {
    h.receive(kFrame + kFrame);
    h.clock.advance(499);
    EXPECT_FALSE(ui().Label11.Visible);
    h.clock.advance(1);
    EXPECT_TRUE(ui().Label11.Visible);
    EXPECT_EQ(text(ui().Label11.Caption), "No PPM signal present...");
    EXPECT_FALSE(ui().Timer1.Enabled());
}

TEST_F(SignalCycle, SignalLossBlanksTheRowsButNotTheMarkersOrRanges) {
    stream(12, 100);
    h.receive({255});
    ASSERT_EQ(text(ui().In(1).Caption), "10");
    const MarkerState ball1 = ui().Ball1, ball2 = ui().Ball2;
    const ChannelRange range1 = h.form.channelRange(1);
    const std::vector<int> window = windowCells(h.form);
    const int beeps = h.beeper.beeps;

    h.clock.advance(500);

    EXPECT_TRUE(ui().Label11.Visible);
    EXPECT_EQ(h.inCaptions(), Captions(8, "-"));
    EXPECT_EQ(resCaptions(ui()), Captions(8, "-"));
    for (int k = 1; k <= 8; ++k) {
        EXPECT_EQ(ui().Res(k).BackColor, kRed) << k;
        EXPECT_EQ(ui().ProgressBar(k), (BarState{0, 100, 0})) << k;
    }
    EXPECT_EQ(ui().Ball1, ball1);
    EXPECT_EQ(ui().Ball2, ball2);
    EXPECT_EQ(h.form.channelRange(1), range1);
    EXPECT_EQ(windowCells(h.form), window);
    EXPECT_EQ(h.beeper.beeps, beeps);

    // One tick per loss: nothing more happens while the line stays quiet.
    const FormSnapshot quiet = snapshot(h);
    h.clock.advance(10000);
    EXPECT_EQ(snapshot(h), quiet);
}

TEST_F(SignalCycle, SignalLossLeavesTheCableFormat) {
    h.receive(zhenHuaFrame({1, 2, 3, 4}) + bytes({5, 6, 7, 8, 9}));
    ASSERT_TRUE(h.form.ZhenHuaActive());
    ASSERT_TRUE(h.cable.visible);

    h.clock.advance(500);

    EXPECT_TRUE(ui().Label11.Visible);
    EXPECT_FALSE(h.form.ZhenHuaActive());
    EXPECT_FALSE(h.cable.visible);
    for (int k = 1; k <= 5; ++k) EXPECT_TRUE(ui().Option(k).Enabled) << k;
    EXPECT_EQ(text(ui().Option(5).Caption), "Zhen Hua");
    EXPECT_TRUE(ui().Option(5).Value);

    // Bytes after the loss are read plain again.
    h.receive({1, 2});
    EXPECT_EQ(h.form.frameWindow()[9], 2);
}

TEST_F(SignalCycle, ReturningDataRecalibratesAtOnceAndOneSecondLaterWithABeep) {
    stream(15, 100);
    h.clock.advance(500);
    ASSERT_TRUE(ui().Label11.Visible);
    ASSERT_EQ(h.form.channelRange(1), (ChannelRange{10, 10}));  // kept through the loss
    h.beeper.beeps = 0;

    h.receive({0});  // data returns: rows blank, ranges forgotten
    EXPECT_FALSE(ui().Label11.Visible);
    EXPECT_EQ(h.form.channelRange(1), (ChannelRange{1000, 0}));
    EXPECT_TRUE(ui().Timer2.Enabled());

    // Ranges learn again until the delayed calibration...
    h.clock.advance(100);
    stream(8, 100);  // up to 900 ms after the return
    h.receive(kFrame);
    h.clock.advance(99);
    EXPECT_EQ(h.beeper.beeps, 0);
    EXPECT_EQ(text(ui().In(1).Caption), "10");

    h.clock.advance(1);  // one second after the first returning byte
    EXPECT_EQ(h.beeper.beeps, 1);
    EXPECT_FALSE(ui().Timer2.Enabled());
    EXPECT_EQ(h.form.channelRange(1), (ChannelRange{1000, 0}));
    EXPECT_EQ(h.inCaptions(), Captions(8, "-"));

    // ...and no more after it.
    stream(30, 100);
    EXPECT_EQ(h.beeper.beeps, 1);
    EXPECT_EQ(text(ui().In(1).Caption), "10");
    EXPECT_EQ(text(ui().Res(1).Caption), "0");
}

TEST_F(SignalCycle, EveryReturnGetsItsOwnBeep) {
    for (int loss = 1; loss <= 3; ++loss) {
        stream(15, 100);
        h.clock.advance(500);
        ASSERT_TRUE(ui().Label11.Visible);
        EXPECT_EQ(h.beeper.beeps, loss);
    }
}

TEST_F(SignalCycle, ReturnWhileTheDelayedCalibrationIsPendingDoesNotPostponeIt) {
    h.receive({0});  // t = 1000: data returns, calibration due at 2000
    h.clock.advance(500);
    ASSERT_TRUE(ui().Label11.Visible);  // lost again at 1500
    h.clock.advance(200);
    h.receive({0});  // t = 1700: back again
    h.clock.advance(299);
    EXPECT_EQ(h.beeper.beeps, 0);
    h.clock.advance(1);
    EXPECT_EQ(h.beeper.beeps, 1);
    stream(20, 100);
    EXPECT_EQ(h.beeper.beeps, 1);
}

// Which receive events restart the watchdog: bring a sync to position 0
// 300 ms after the last restart and see when the signal is taken for lost.
struct LastByte {
    const char* name;
    Bytes window;  // ten bytes; the last one brings window[0] to position 0
    bool restarts;
};

class LastByteOfAFrame : public ::testing::TestWithParam<LastByte> {};

TEST_P(LastByteOfAFrame, DependsOnTheFrameTheByteCompletes) {
    const LastByte& c = GetParam();
    MainFormHarness h;
    h.clock.advance(1000);
    h.wakeUp();
    h.receive(Bytes(c.window.begin(), c.window.end() - 1));  // restarts: position 0 holds 0
    h.clock.advance(300);
    h.receive({c.window.back()});
    h.clock.advance(200);  // 500 ms after the bytes before it
    EXPECT_EQ(h.ui().Label11.Visible, !c.restarts);
    h.clock.advance(299);
    EXPECT_EQ(h.ui().Label11.Visible, !c.restarts);
    h.clock.advance(1);  // 500 ms after the last byte
    EXPECT_TRUE(h.ui().Label11.Visible);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, LastByteOfAFrame,
    ::testing::Values(LastByte{"Standard", standardFrame({1, 2, 3, 4, 5, 6, 7, 8}) + bytes({9}), false},
                      LastByte{"Variant", variantFrame(245, 0, {1, 2, 3, 4, 5, 6, 7, 8}), false},
                      LastByte{"ZhenHua", zhenHuaFrame({1, 2, 3, 4}) + bytes({5, 6, 7, 8, 9}), true},
                      LastByte{"NoFrame", bytes({238, 1, 2, 3, 4, 5, 6, 7, 8, 9}), true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quadrel::testing
