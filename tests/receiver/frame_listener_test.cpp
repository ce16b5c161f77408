// Frames handed on the moment they are complete, each once, as the
// interface put them on the line: fed byte by byte, after which byte each
// frame is heard and with which channels.
#include <gtest/gtest.h>

#include "harness.h"

namespace quadrel::testing {
namespace {

using HeardFrame = std::pair<std::size_t, std::vector<int>>;  // after which byte, channels

struct Heard : FrameListener {
    std::vector<HeardFrame> frames;
    std::size_t bytes = 0;
    int lost = 0;
    void frameComplete(const DecodedFrame& f, const std::array<ChannelRange, 8>&) override {
        frames.push_back(
            {bytes, std::vector<int>(f.values.begin(), f.values.begin() + f.presentChannels)});
    }
    void signalLost() override { ++lost; }
};

// The cable sends every byte but the sync bit-reversed.
Bytes cablePacket(int a, int b, int c, int d) {
    return bytes({239, reverseBits(a), reverseBits(b), reverseBits(c), reverseBits(d)});
}

struct Row {
    const char* name;
    Bytes stream;
    std::vector<HeardFrame> heard;
};

TEST(FrameListener, HearsEachFrameOnTheLineTheMomentItIsComplete) {
    const std::vector<int> eight{1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<int> four{10, 20, 30, 40};
    const std::vector<int> high{250, 20, 239, 40};
    const Bytes padding = bytes({255, 239, 0, 0});
    const Row rows[] = {
        {"eight channels: at the eighth",
         repeated(bytes({255, 1, 2, 3, 4, 5, 6, 7, 8}), 3),
         {{9, eight}, {18, eight}, {27, eight}}},
        {"four channels: at the next sync",
         repeated(bytes({255, 10, 20, 30, 40}), 3) + bytes({255}),
         {{6, four}, {11, four}, {16, four}}},
        {"bytes between frames are skipped",
         repeated(bytes({255, 1, 2, 3, 4, 5, 6, 7, 8, 17, 3}), 2),
         {{9, eight}, {20, eight}}},
        {"channel values that look like syncs are channels",
         repeated(bytes({255, 250, 20, 239, 40}), 3) + bytes({255}),
         {{6, high}, {11, high}, {16, high}}},
        {"variant: five channels after the unread byte",
         repeated(bytes({245, 99, 10, 20, 30, 40, 50}), 3) + bytes({245}),
         {{8, {10, 20, 30, 40, 50}}, {15, {10, 20, 30, 40, 50}}, {22, {10, 20, 30, 40, 50}}}},
        {"variant: an unread byte that looks like a sync",
         repeated(bytes({245, 250, 1, 2, 3}), 2) + bytes({245}),
         {{6, {1, 2, 3}}, {11, {1, 2, 3}}}},
        {"variant: eight channels",
         repeated(bytes({241, 0, 1, 2, 3, 4, 5, 6, 7, 8}), 2),
         {{10, eight}, {20, eight}}},
        {"cable: each packet at its fourth channel, read back the right way",
         repeated(cablePacket(10, 20, 30, 40), 3),
         {{5, four}, {10, four}, {15, four}}},
        {"cable: padding skipped whatever it holds",
         repeated(cablePacket(10, 20, 30, 40) + padding, 3),
         {{5, four}, {14, four}, {23, four}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ReceiverHarness h;
        h.receiver.setType(TransmitterType::JR);
        Heard heard;
        h.receiver.setFrameListener(&heard);
        for (std::uint8_t b : row.stream) {
            ++heard.bytes;
            h.receive({b});
        }
        EXPECT_EQ(heard.frames, row.heard);
        h.clock.advance(500);
        EXPECT_EQ(heard.lost, 1);
    }
}

TEST(FrameListener, CalibrateForgetsTheFrameUnderWay) {
    ReceiverHarness h;
    Heard heard;
    h.receiver.setFrameListener(&heard);
    h.receive(bytes({255, 1, 2, 3}));
    h.receiver.calibrate();
    h.receive(bytes({4, 5, 6, 7, 8, 255, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(heard.frames, (std::vector<HeardFrame>{{0, {1, 2, 3, 4, 5, 6, 7, 8}}}));
}

}  // namespace
}  // namespace quadrel::testing
