// Standard frames: 255, then up to eight channel bytes; the first 255 among
// them ends the channel list.
#include <gtest/gtest.h>

#include "frames.h"

namespace quadrel::testing {
namespace {

using Captions = std::vector<std::string>;

class StandardFrames : public ::testing::Test {
protected:
    void SetUp() override {
        ui().Option.setValue(1, true);  // JR
        ui().Mode.setValue(1, true);
    }
    MainWindowState& ui() { return h.ui(); }
    MainFormHarness h;
};

TEST_F(StandardFrames, EightChannelsShownWhateverFollows) {
    for (int next : {0, 100, 239, 245, 255}) {
        MainFormHarness fresh;
        decodeWindow(fresh, {255, 10, 20, 30, 40, 50, 60, 70, 80, next});
        EXPECT_EQ(fresh.inCaptions(), (Captions{"10", "20", "30", "40", "50", "60", "70", "80"})) << next;
        EXPECT_EQ(fresh.form.channelRange(8), (ChannelRange{80, 80})) << next;
    }
}

TEST_F(StandardFrames, FourChannelTransmitter) {
    decodeWindow(h, {255, 10, 20, 30, 40, 255, 11, 21, 31, 41});

    EXPECT_EQ(h.inCaptions(), (Captions{"10", "20", "30", "40", "-", "-", "-", "-"}));
    // The end mark and the next frame's bytes still enter the ranges of the
    // channels this frame does not carry...
    EXPECT_EQ(h.form.channelRange(5), (ChannelRange{255, 255}));
    EXPECT_EQ(h.form.channelRange(6), (ChannelRange{11, 11}));
    EXPECT_EQ(h.form.channelRange(7), (ChannelRange{21, 21}));
    EXPECT_EQ(h.form.channelRange(8), (ChannelRange{31, 31}));
    // ...but their rows are not rewritten.
    EXPECT_EQ(resCaptions(ui()), (Captions{"0", "0", "0", "0", "-", "-", "-", "-"}));

    // Which a later eight-channel frame shows as a wide resolution.
    h.receive(standardFrame({10, 20, 30, 40, 100, 11, 21, 31}) + bytes({255}));
    EXPECT_EQ(text(ui().Res(5).Caption), "155");
    EXPECT_EQ(ui().Res(5).BackColor, kGreen);
}

TEST_F(StandardFrames, EndMarkRightAfterTheSync) {
    const MarkerState ball1 = ui().Ball1;
    decodeWindow(h, {255, 255, 12, 13, 14, 15, 16, 17, 18, 19});

    EXPECT_EQ(h.inCaptions(), Captions(8, "-"));
    EXPECT_EQ(resCaptions(ui()), Captions(8, "-"));
    for (int k = 2; k <= 8; ++k) EXPECT_EQ(h.form.channelRange(k).Max, 10 + k) << k;
    // The stick display still ran: absent channels put the markers on the
    // top-left corners of their boxes.
    EXPECT_NE(ui().Ball1, ball1);
    EXPECT_EQ(ui().Ball1, (MarkerState{1440.0f, 240.0f}));
    EXPECT_EQ(ui().Ball2, (MarkerState{240.0f, 240.0f}));
}

TEST_F(StandardFrames, FirstFrameAfterCalibrationShowsZeroResolutions) {
    decodeWindow(h, {255, 0, 1, 127, 200, 254, 255, 3, 4, 5});

    EXPECT_EQ(h.inCaptions(), (Captions{"0", "1", "127", "200", "254", "-", "-", "-"}));
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(text(ui().Res(k).Caption), "0") << k;
        EXPECT_EQ(ui().Res(k).BackColor, kRed) << k;
        EXPECT_EQ(ui().ProgressBar(k).Value, 0.0f) << k;
    }
}

TEST_F(StandardFrames, TracedEndToEndThroughAStream) {
    const Bytes frame = standardFrame({120, 130, 140, 150});
    h.wakeUp();
    h.receive(frame);
    h.receive(Bytes(frame.begin(), frame.end() - 1));
    EXPECT_EQ(h.inCaptions(), Captions(8, "-"));  // nine events: not yet

    h.receive({150});
    EXPECT_EQ(windowCells(h.form), (std::vector<int>{255, 120, 130, 140, 150, 255, 120, 130, 140, 150}));
    EXPECT_EQ(h.inCaptions(), (Captions{"120", "130", "140", "150", "-", "-", "-", "-"}));
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(h.form.ChannelPosition(k), ValueCell::number(0)) << k;
    for (int k = 5; k <= 8; ++k) EXPECT_TRUE(h.form.ChannelPosition(k).isAbsent()) << k;
    EXPECT_EQ(h.form.channelRange(5).Max, 255);
    EXPECT_EQ(h.form.channelRange(8).Max, 140);
    // Bars at 0 with every reverse box clear: all sticks at the far ends.
    EXPECT_EQ(ui().Ball1, (MarkerState{2300.0f, 1100.0f}));
    EXPECT_EQ(ui().Ball2, (MarkerState{1100.0f, 1100.0f}));

    // The stream goes on: each frame is decoded when the next one is in.
    h.receive(standardFrame({121, 131, 141, 151}));  // completes the second frame
    EXPECT_EQ(text(ui().In(1).Caption), "120");
    h.receive(bytes({255, 122, 132, 142}));
    EXPECT_EQ(text(ui().In(1).Caption), "120");
    h.receive({152});
    EXPECT_EQ(h.inCaptions(), (Captions{"121", "131", "141", "151", "-", "-", "-", "-"}));
    EXPECT_EQ(text(ui().Res(1).Caption), "1");
    EXPECT_EQ(ui().ProgressBar(1).Value, 100.0f);
}

TEST_F(StandardFrames, SyncValuesInsideAFrameStartFramesOfTheirOwn) {
    // 250 and 239 are valid channel values of a standard frame...
    h.wakeUp();
    h.receive(standardFrame({10, 20, 250, 40, 50, 60, 70, 80}) + bytes({255}));
    EXPECT_EQ(h.inCaptions(), (Captions{"10", "20", "250", "40", "50", "60", "70", "80"}));

    // ...but once the 250 reaches position 0 it is read as the sync of a
    // frame of its own: channels from two bytes on, ended by the next 255.
    h.receive(bytes({11, 21}));
    EXPECT_EQ(text(ui().In(1).Caption), "10");
    h.receive(bytes({251}));
    EXPECT_EQ(h.inCaptions(), (Captions{"50", "60", "70", "80", "-", "-", "-", "-"}));

    // A 239 channel byte switches the cable format on when it gets there.
    MainFormHarness z;
    z.wakeUp();
    z.receive(standardFrame({10, 239, 30, 40, 50, 60, 70, 80}) + bytes({255}));
    EXPECT_EQ(text(z.ui().In(2).Caption), "239");
    EXPECT_FALSE(z.form.ZhenHuaActive());
    z.receive(bytes({11, 21}));
    EXPECT_TRUE(z.form.ZhenHuaActive());
    EXPECT_TRUE(z.cable.visible);
    EXPECT_EQ(z.inCaptions(), (Captions{"30", "40", "50", "60", "-", "-", "-", "-"}));
}

}  // namespace
}  // namespace quadrel::testing
