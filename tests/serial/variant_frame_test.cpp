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
        // The unread byte is gone; the channels stay where they arrived.
        EXPECT_EQ(windowCells(h.form), (std::vector<int>{sync, 0, 10, 20, 30, 40, 50, 60, 70, 80})) << sync;
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

Bytes streamFrame(int j, int count, int unread) {
    Bytes out = bytes({240 + j % 15, unread});
    for (int v : channelsOf(j, count)) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// Channels per frame (seven: nine-byte frames; eight: ten-byte frames) and
// the value of the byte nobody reads, sync-like ones included.
class VariantStream : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(VariantStream, EveryFrameShowsItsOwnChannelsWhateverTheUnreadByte) {
    const auto [channels, unread] = GetParam();
    MainFormHarness h;
    h.ui().Option.setValue(2, true);
    h.wakeUp();
    h.receive(streamFrame(0, channels, unread));
    for (int j = 1; j <= 12; ++j) {
        h.receive(streamFrame(j, channels, unread));
        // A ten-byte frame fills the window by itself and is decoded with its
        // last byte; a nine-byte frame is decoded when the next sync arrives.
        const int shown = channels == 8 ? j : j - 1;

        Captions expected;
        for (int v : channelsOf(shown, channels)) expected.push_back(std::to_string(v));
        if (channels == 7) expected.push_back("-");
        ASSERT_EQ(h.inCaptions(), expected) << "frame " << shown;
    }
    // The unread byte never started a frame, switched the cable format on
    // or entered a range.
    EXPECT_FALSE(h.form.ZhenHuaActive());
    EXPECT_EQ(h.cable.shows, 0);
    EXPECT_EQ(h.ui().Option.selected(), 2);
    EXPECT_TRUE(h.ui().Option(1).Enabled);
    for (int k = 1; k <= channels; ++k) {
        int lo = 255, hi = 0;
        for (int j = 0; j <= 12; ++j) {
            const int v = channelsOf(j, channels)[static_cast<std::size_t>(k - 1)];
            if (channels == 8 || j < 12) lo = std::min(lo, v), hi = std::max(hi, v);
        }
        EXPECT_EQ(h.form.channelRange(k), (ChannelRange{lo, hi})) << "channel " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(FrameLengths, VariantStream,
                         ::testing::Combine(::testing::Values(7, 8), ::testing::Values(0, 239, 240, 245, 255)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == 7 ? "NineBytes" : "TenBytes") +
                                    "Unread" + std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace quadrel::testing
