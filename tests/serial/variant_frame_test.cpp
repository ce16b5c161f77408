// Frames with a sync of 240 to 254: a byte nobody reads, then up to eight
// channels, ended by the first byte of 240 or more. The window is read where
// the channels stand and is left as received, so every frame of a nine- or
// ten-byte stream shows its own channels.
#include <gtest/gtest.h>

#include "frames.h"

namespace quadrel::testing {
namespace {

using Captions = std::vector<std::string>;

TEST(VariantFrame, TenBytesShowEightChannelsAndNotTheUnreadByte) {
    for (int sync = 240; sync <= 254; ++sync) {
        MainFormHarness h;
        decodeWindow(h, {sync, 7, 10, 20, 30, 40, 50, 60, 70, 80});

        EXPECT_EQ(h.inCaptions(), (Captions{"10", "20", "30", "40", "50", "60", "70", "80"})) << sync;
        for (int k = 1; k <= 8; ++k) {
            EXPECT_EQ(h.form.channelRange(k), (ChannelRange{10 * k, 10 * k})) << sync << " ch" << k;
            EXPECT_EQ(text(h.ui().Res(k).Caption), "0");
        }
        EXPECT_EQ(windowCells(h.form), (std::vector<int>{sync, 7, 10, 20, 30, 40, 50, 60, 70, 80})) << sync;
    }
}

class VariantEndMark : public ::testing::TestWithParam<int> {};

TEST_P(VariantEndMark, EndsTheChannelListAndEntersTheRange) {
    const int mark = GetParam();
    MainFormHarness h;
    decodeWindow(h, {245, 7, 10, 20, mark, 40, 50, 60, 70, 80});

    EXPECT_EQ(h.inCaptions(), (Captions{"10", "20", "-", "-", "-", "-", "-", "-"}));
    EXPECT_EQ(h.form.channelRange(3), (ChannelRange{mark, mark}));
    EXPECT_EQ(h.form.channelRange(4), (ChannelRange{40, 40}));  // never shown, still learnt
}

INSTANTIATE_TEST_SUITE_P(Marks, VariantEndMark, ::testing::Values(240, 250, 255));

TEST(VariantFrame, ChannelByte239IsAValueHereAndASyncLater) {
    MainFormHarness h;
    decodeWindow(h, {245, 7, 10, 239, 30, 40, 50, 60, 70, 80});
    EXPECT_EQ(h.inCaptions(), (Captions{"10", "239", "30", "40", "50", "60", "70", "80"}));
    EXPECT_FALSE(h.form.ZhenHuaActive());

    h.receive(bytes({1, 2}));  // 245 and 7 leave
    EXPECT_FALSE(h.form.ZhenHuaActive());
    h.receive(bytes({3}));  // the 239 reaches position 0
    EXPECT_TRUE(h.form.ZhenHuaActive());
    EXPECT_EQ(h.inCaptions(), (Captions{"30", "40", "50", "60", "-", "-", "-", "-"}));
}

// Frame j of a stream: distinct channel values below 239 in every frame.
std::vector<int> channelsOf(int j, int count) {
    std::vector<int> out;
    for (int k = 1; k <= count; ++k) out.push_back((j * 17 + k * 23) % 230);
    return out;
}

Bytes streamFrame(int j, int count) {
    Bytes out = bytes({240 + j % 15, (j * 31) % 200});
    for (int v : channelsOf(j, count)) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

class VariantStream : public ::testing::TestWithParam<int> {};

TEST_P(VariantStream, EveryFrameShowsItsOwnChannels) {
    const int channels = GetParam();  // seven: nine-byte frames; eight: ten-byte frames
    MainFormHarness h;
    h.wakeUp();
    h.receive(streamFrame(0, channels));
    for (int j = 1; j <= 12; ++j) {
        h.receive(streamFrame(j, channels));
        // A ten-byte frame fills the window by itself and is decoded with its
        // last byte; a nine-byte frame is decoded when the next sync arrives.
        const int shown = channels == 8 ? j : j - 1;

        Captions expected;
        for (int v : channelsOf(shown, channels)) expected.push_back(std::to_string(v));
        if (channels == 7) expected.push_back("-");
        EXPECT_EQ(h.inCaptions(), expected) << "frame " << shown;
    }
}

INSTANTIATE_TEST_SUITE_P(FrameLengths, VariantStream, ::testing::Values(7, 8),
                         [](const auto& info) { return info.param == 7 ? "NineBytes" : "TenBytes"; });

}  // namespace
}  // namespace quadrel::testing
