// The signal cycle in virtual time: "No PPM signal present..." 500 ms after the
// last restart; returning data recalibrates at once and a second later with a
// beep. And the two calibration commands.
#include <gtest/gtest.h>

#include "harness.h"

namespace quadrel::testing {
namespace {

const Bytes kFrame = bytes({255, 10, 20, 30, 40, 50, 60, 70, 80});

std::vector<int> windowCells(const Receiver& receiver) {
    std::vector<int> out;
    for (int p = 0; p < FrameWindow::kSize; ++p) out.push_back(receiver.frameWindow()[p]);
    return out;
}

// Every value and width "-" (on red), every bar empty.
bool rowsBlank(const ReceiverView& view) {
    for (const ChannelRow& row : view.rows)
        if (row.value || row.width || row.bar != 0) return false;
    return true;
}

class SignalCycle : public ::testing::Test {
protected:
    void SetUp() override {
        // As after start-up: the first watchdog tick and delayed calibration,
        // with its beep, have passed.
        h.clock.advance(1000);
        ASSERT_TRUE(view().noSignal && h.beeper.beeps == 1);
        h.beeper.beeps = 0;
    }
    const ReceiverView& view() const { return h.view(); }
    // Frames every `stepMs`; the no-signal label stays hidden throughout.
    void stream(int frames, int stepMs) {
        for (int i = 0; i < frames; ++i) {
            h.receive(kFrame);
            ASSERT_FALSE(view().noSignal) << "frame " << i;
            h.clock.advance(stepMs);
        }
    }
    ReceiverHarness h;
};

TEST_F(SignalCycle, LossBlanksTheRowsAndLeavesTheCableFormatOnly) {
    stream(15, 100);  // past the delayed calibration after the first byte
    h.receive(bytes({255, 239, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    ASSERT_TRUE(view().cableFormat);
    const StickPositions sticks = view().sticks;
    const ChannelRange range1 = h.receiver.range(1);
    const std::vector<int> window = windowCells(h.receiver);
    const int beeps = h.beeper.beeps;

    h.clock.advance(500);

    EXPECT_TRUE(view().noSignal);
    EXPECT_TRUE(rowsBlank(view()));
    EXPECT_FALSE(view().cableFormat);
    EXPECT_FALSE(h.cable.visible);
    EXPECT_EQ(view().setup.type, TransmitterType::ZhenHua);  // still chosen
    // Markers, ranges and the window wait for the data to return.
    EXPECT_EQ(view().sticks, sticks);
    EXPECT_EQ(h.receiver.range(1), range1);
    EXPECT_EQ(windowCells(h.receiver), window);
    EXPECT_EQ(h.beeper.beeps, beeps);
}

TEST_F(SignalCycle, ReturningDataRecalibratesAtOnceAndOneSecondLaterWithABeep) {
    for (int loss = 1; loss <= 2; ++loss) {
        SCOPED_TRACE(loss);
        stream(15, 100);
        h.clock.advance(500);
        ASSERT_TRUE(view().noSignal);
        ASSERT_EQ(h.receiver.range(1), (ChannelRange{10, 10}));

        h.receive({42});  // data returns: the window holds nine zeros and the byte
        EXPECT_FALSE(view().noSignal);
        EXPECT_EQ(windowCells(h.receiver), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 42}));
        EXPECT_EQ(h.receiver.range(1), (ChannelRange{1000, 0}));
        const int beeps = h.beeper.beeps;

        stream(9, 100);  // frames are learnt again...
        h.receive(kFrame);
        h.clock.advance(99);
        EXPECT_EQ(h.beeper.beeps, beeps);
        EXPECT_EQ(view().rows[0].value, 10);
        h.clock.advance(1);  // ...until a second after the return
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
        EXPECT_EQ(h.receiver.range(1), (ChannelRange{1000, 0}));
        EXPECT_TRUE(rowsBlank(view()));
        stream(10, 100);
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
    }
}

// "Calibrate" blanks the rows at once, "Recalibrate" leaves them; both
// forget the ranges and all but the oldest byte, so the next nine bytes
// complete no frame and the first frame after them shows resolutions of 0.
TEST(Calibration, CalibrateAndRecalibrate) {
    for (bool full : {true, false}) {
        SCOPED_TRACE(full ? "Calibrate" : "Recalibrate");
        ReceiverHarness h;
        h.wakeUp();
        h.receive(kFrame + bytes({255, 130, 140, 150, 160, 170, 180, 190, 200, 255}));
        ASSERT_EQ(h.view().rows[0].width, 120);
        const auto shown = h.values();

        full ? h.receiver.calibrate() : h.receiver.recalibrate();

        for (int k = 1; k <= 8; ++k) EXPECT_EQ(h.receiver.range(k), (ChannelRange{1000, 0})) << k;
        EXPECT_EQ(windowCells(h.receiver), (std::vector<int>{255, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
        EXPECT_EQ(rowsBlank(h.view()), full);
        EXPECT_EQ(h.view().rows[0].width, full ? std::nullopt : std::optional(120));
        h.receive(bytes({11, 21, 31, 41, 51, 61, 71, 81, 255}));
        EXPECT_EQ(h.values(), full ? std::vector<std::string>(8, "-") : shown);
        h.receive(bytes({12, 22, 32, 42, 52, 62, 72, 82, 255}));
        for (int k = 1; k <= 8; ++k)
            EXPECT_EQ(h.receiver.range(k), (ChannelRange{2 + 10 * k, 2 + 10 * k})) << k;
        EXPECT_EQ(h.view().rows[0].width, 0);
    }
}

}  // namespace
}  // namespace quadrel::testing
