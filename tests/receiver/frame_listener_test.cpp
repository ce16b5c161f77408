// Frames handed on as soon as they are complete, each once: fed byte by
// byte, after which byte each frame reaches the listener.
#include <gtest/gtest.h>

#include "harness.h"

namespace quadrel::testing {
namespace {

struct Heard : FrameListener {
    std::vector<std::pair<std::size_t, std::vector<int>>> frames;  // after which byte, channels
    std::size_t bytes = 0;
    int lost = 0;
    void frameComplete(const DecodedFrame& f, const std::array<ChannelRange, 8>&) override {
        frames.push_back(
            {bytes, std::vector<int>(f.values.begin(), f.values.begin() + f.presentChannels)});
    }
    void signalLost() override { ++lost; }
};

// Feeds `stream` a byte at a time; the bytes after which frames were heard.
Heard byByte(const Bytes& stream, std::optional<TransmitterType> type = TransmitterType::JR) {
    ReceiverHarness h;
    h.receiver.setType(type);
    Heard heard;
    h.receiver.setFrameListener(&heard);
    for (std::uint8_t b : stream) {
        ++heard.bytes;
        h.receive({b});
    }
    h.clock.advance(500);
    return heard;
}

TEST(FrameListener, HearsEachFrameTheMomentItIsComplete) {
    const Bytes eight = bytes({255, 1, 2, 3, 4, 5, 6, 7, 8});
    const Heard a = byByte(repeated(eight, 3));
    ASSERT_EQ(a.frames.size(), 3u);  // the last one too: it needs no next sync
    EXPECT_EQ(a.frames[0], (std::pair<std::size_t, std::vector<int>>{9, {1, 2, 3, 4, 5, 6, 7, 8}}));
    EXPECT_EQ(a.frames[2].first, 27u);
    EXPECT_EQ(a.lost, 1);

    const Heard b = byByte(repeated(bytes({255, 10, 20, 30, 40}), 3) + bytes({255}));
    ASSERT_EQ(b.frames.size(), 3u);
    EXPECT_EQ(b.frames[0], (std::pair<std::size_t, std::vector<int>>{6, {10, 20, 30, 40}}));

    // The cable's packets (bit-reversed on the wire): the first switches the
    // format when the decoder reads it, and the second, which came before
    // that, is read as it came, as the rows show it; the rest are heard at
    // their fourth channel.
    const Bytes packet = bytes({239, 0x80, 0x40, 0xC0, 0x20});  // 1, 2, 3, 4
    const Heard c = byByte(repeated(packet, 4), TransmitterType::ZhenHua);
    ASSERT_EQ(c.frames.size(), 4u);
    EXPECT_EQ(c.frames[1], (std::pair<std::size_t, std::vector<int>>{10, {128, 64, 192, 32}}));
    EXPECT_EQ(c.frames[2], (std::pair<std::size_t, std::vector<int>>{15, {1, 2, 3, 4}}));
    EXPECT_EQ(c.frames[3].first, 20u);
}

}  // namespace
}  // namespace quadrel::testing
