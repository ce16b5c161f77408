// The Zhen Hua cable: 239 and four channels with mirrored bits. The first
// such frame switches the cable format on; a standard frame, a frame with a
// sync of 240 to 254 or a lost signal switch it off again.
#include <gtest/gtest.h>

#include "frames.h"

namespace quadrel::testing {
namespace {

using Captions = std::vector<std::string>;

class ZhenHua : public ::testing::Test {
protected:
    void SetUp() override {
        ui().Option.setValue(2, true);  // Hitec/Futaba
        ui().Mode.setValue(2, true);
        h.wakeUp();
    }
    MainWindowState& ui() { return h.ui(); }

    // The cable format is switched on by a frame of 1, 2, 3, 4 received as
    // they stand; four filler bytes complete the window.
    void switchOn() {
        h.receive(zhenHuaFrame({1, 2, 3, 4}) + bytes({5, 6, 7, 8}));
        ASSERT_FALSE(h.form.ZhenHuaActive());
        h.receive({9});
        ASSERT_TRUE(h.form.ZhenHuaActive());
    }

    void expectTypeOptionsNormal() {
        for (int k = 1; k <= 5; ++k) EXPECT_TRUE(ui().Option(k).Enabled) << k;
        EXPECT_EQ(text(ui().Option(5).Caption), "Zhen Hua");
    }

    MainFormHarness h;
};

TEST_F(ZhenHua, FirstFrameSwitchesTheCableFormatOn) {
    ui().Option.setEnabled(5, false);
    switchOn();

    EXPECT_EQ(h.cable.shows, 1);
    EXPECT_TRUE(h.cable.visible);
    for (int k = 1; k <= 4; ++k) {
        EXPECT_FALSE(ui().Option(k).Enabled) << k;
        EXPECT_FALSE(ui().Option(k).Value) << k;
    }
    EXPECT_TRUE(ui().Option(5).Enabled);
    EXPECT_TRUE(ui().Option(5).Value);
    EXPECT_EQ(text(ui().Option(5).Caption), "Zhen Hua Cable");
    // The triggering frame was received before the switch: shown as it stands.
    EXPECT_EQ(h.inCaptions(), (Captions{"1", "2", "3", "4", "-", "-", "-", "-"}));
}

TEST_F(ZhenHua, LaterBytesAreMirroredExceptTheSync) {
    h.receive({1});
    EXPECT_EQ(h.form.frameWindow()[9], 1);  // not before the switch
    h.receive({239});
    EXPECT_EQ(h.form.frameWindow()[9], 239);
    h.form.SCal_Click();  // forget them, so that the 239 starts no frame

    switchOn();
    const std::pair<int, int> received[] = {{1, 128}, {128, 1}, {239, 239}, {247, 239}, {255, 255}, {0, 0}, {0x0F, 0xF0}};
    for (auto [in, kept] : received) {
        h.receive({in});
        EXPECT_EQ(h.form.frameWindow()[9], kept) << in;
    }
}

TEST_F(ZhenHua, CableFramesAreDecodedEverySecondFrame) {
    // Five-byte frames back to back: the frame that follows a decoded one has
    // its sync cleared from the window and is skipped.
    const Bytes frames[] = {
        zhenHuaFrame({1, 2, 3, 4}),                  // triggers the switch, received as is
        zhenHuaFrame({5, 6, 7, 8}),                  // skipped
        zhenHuaCableFrame({10, 20, 30, 40}),         // mirrored on the wire
        zhenHuaCableFrame({11, 21, 31, 41}),         // skipped
        zhenHuaCableFrame({255, 0, 239, 250}),       // any byte is a value here
        zhenHuaCableFrame({12, 22, 32, 42}),         // skipped
    };
    const Captions afterEach[] = {
        Captions(8, "-"),
        {"1", "2", "3", "4", "-", "-", "-", "-"},
        {"1", "2", "3", "4", "-", "-", "-", "-"},
        {"10", "20", "30", "40", "-", "-", "-", "-"},
        {"10", "20", "30", "40", "-", "-", "-", "-"},
        {"255", "0", "239", "250", "-", "-", "-", "-"},
    };
    for (int i = 0; i < 6; ++i) {
        h.receive(frames[i]);
        EXPECT_EQ(h.inCaptions(), afterEach[i]) << "after frame " << i;
    }
    EXPECT_EQ(h.cable.shows, 1);
    EXPECT_EQ(ui().ProgressBar(1).Value, 100.0f);  // 255 is the largest channel 1 value seen
}

TEST_F(ZhenHua, DecodingClearsPositionsFiveToEight) {
    h.receive(zhenHuaFrame({1, 2, 3, 4}) + bytes({239, 6, 7, 8, 9}));
    EXPECT_EQ(windowCells(h.form), (std::vector<int>{239, 1, 2, 3, 4, 0, 0, 0, 0, 9}));
    // The 239 that stood at position 5 does not start a frame later.
    h.receive(bytes({100, 101, 102, 103, 104}));
    EXPECT_EQ(h.form.frameWindow()[0], 0);
    EXPECT_EQ(h.inCaptions(), (Captions{"1", "2", "3", "4", "-", "-", "-", "-"}));
}

TEST_F(ZhenHua, OnlyChannelsOneToFourAreLearnt) {
    const Bytes frame = standardFrame({10, 20, 30, 40, 50, 60, 70, 80});
    h.receive(frame + frame + bytes({239}));  // the second frame is decoded last
    const ChannelRange range5 = h.form.channelRange(5);
    const LabelState res5 = ui().Res(5);
    const BarState bar5 = ui().ProgressBar(5);

    h.receive(bytes({15, 25, 35, 45, 1, 2, 3, 4, 5}));  // the 239 reaches position 0

    EXPECT_EQ(h.inCaptions(), (Captions{"15", "25", "35", "45", "-", "-", "-", "-"}));
    EXPECT_EQ(h.form.channelRange(1), (ChannelRange{10, 15}));
    EXPECT_EQ(h.form.channelRange(5), range5);
    EXPECT_EQ(ui().Res(5), res5);
    EXPECT_EQ(ui().ProgressBar(5), bar5);
}

TEST_F(ZhenHua, FurtherFramesLeaveWindowAndOptionsAlone) {
    switchOn();
    h.cable.hide();  // the user closes the cable window
    h.receive(zhenHuaCableFrame({10, 20, 30, 40}) + zhenHuaCableFrame({1, 1, 1, 1}));
    EXPECT_EQ(text(ui().In(1).Caption), "10");
    EXPECT_FALSE(h.cable.visible);
    EXPECT_EQ(h.cable.shows, 1);
    EXPECT_EQ(text(ui().Option(5).Caption), "Zhen Hua Cable");
}

TEST_F(ZhenHua, StandardFrameSwitchesOff) {
    switchOn();
    // Frames received while the cable format is on are taken in mirrored;
    // the first 255 to reach position 0 switches it off and is decoded
    // from those bytes as they stand.
    h.receive(standardFrame({1, 2, 3, 4}));
    EXPECT_TRUE(h.form.ZhenHuaActive());
    h.receive(standardFrame({5, 6, 7, 8}));

    EXPECT_FALSE(h.form.ZhenHuaActive());
    EXPECT_FALSE(h.cable.visible);
    expectTypeOptionsNormal();
    EXPECT_TRUE(ui().Option(5).Value);  // the selection stays
    EXPECT_EQ(h.inCaptions(), (Captions{"128", "64", "192", "32", "-", "-", "-", "-"}));

    h.receive(standardFrame({9, 10, 11, 12}));  // the second frame, also taken in mirrored
    EXPECT_EQ(h.inCaptions(), (Captions{"160", "96", "224", "16", "-", "-", "-", "-"}));
    h.receive(standardFrame({13, 14, 15, 16}));  // received plain
    EXPECT_EQ(h.inCaptions(), (Captions{"9", "10", "11", "12", "-", "-", "-", "-"}));
}

TEST_F(ZhenHua, VariantFrameSwitchesOff) {
    // A sync of 245 received just before the switch stays in the window; its
    // channel bytes arrive after it and are taken in mirrored.
    h.receive(zhenHuaFrame({1, 2, 3, 4}) + bytes({5, 6, 7, 8, 245}));
    ASSERT_TRUE(h.form.ZhenHuaActive());
    const int channels[] = {10, 20, 30, 40, 50, 60, 70, 80};
    h.receive({7});
    for (int v : channels) h.receive({v});

    EXPECT_FALSE(h.form.ZhenHuaActive());
    EXPECT_FALSE(h.cable.visible);
    expectTypeOptionsNormal();
    Captions expected;
    for (int v : channels) expected.push_back(std::to_string(ReverseBits(static_cast<std::uint8_t>(v))));
    EXPECT_EQ(h.inCaptions(), expected);
}

TEST_F(ZhenHua, SwitchingOffWhileOffChangesNothing) {
    ui().Option.setEnabled(3, false);
    const FormSnapshot before = snapshot(h);
    h.form.ZhenHuaOff();
    EXPECT_EQ(snapshot(h), before);
    EXPECT_FALSE(h.cable.created);

    // Nor does a standard frame touch the cable window or the options.
    h.receive(standardFrame({10, 20, 30, 40, 50, 60, 70, 80}) + bytes({255}));
    EXPECT_FALSE(h.cable.created);
    EXPECT_FALSE(ui().Option(3).Enabled);
    EXPECT_EQ(text(ui().Option(5).Caption), "Zhen Hua");
}

}  // namespace
}  // namespace quadrel::testing
