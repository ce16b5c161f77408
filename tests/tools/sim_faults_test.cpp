// The faults quadrel-sim adds on request: noise, lost bytes, silences that
// bring up the no-signal state, and a change of frame kind mid-stream.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim_playback.h"

namespace quadrel::testing {
namespace {

using sim::FrameFormat;
using namespace std::chrono_literals;

sim::StreamSettings frames(long count, FrameFormat format = FrameFormat::Standard) {
    sim::StreamSettings s;
    s.layout.format = format;
    s.seed = 11;
    s.frameCount = count;
    return s;
}

// True when `part` can be had from `whole` by leaving bytes out.
bool isSubsequence(const std::vector<std::uint8_t>& part, const std::vector<std::uint8_t>& whole) {
    auto it = whole.begin();
    for (std::uint8_t b : part) {
        it = std::find(it, whole.end(), b);
        if (it == whole.end()) return false;
        ++it;
    }
    return true;
}

double share(std::size_t part, std::size_t whole) {
    return static_cast<double>(part) / static_cast<double>(whole);
}

TEST(SimFaults, NoiseInsertsBytesAtAboutTheRequestedRate) {
    auto noisy = frames(2000);
    noisy.faults.noise = 0.05;
    const auto clean = schedule(frames(2000));
    const auto withNoise = schedule(noisy);
    ASSERT_EQ(withNoise.size(), clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i) {
        ASSERT_EQ(withNoise[i].channels, clean[i].channels);  // the frames themselves are untouched
        ASSERT_TRUE(isSubsequence(clean[i].bytes, withNoise[i].bytes)) << i;
    }
    const auto cleanBytes = allBytes(clean).size();
    EXPECT_NEAR(share(allBytes(withNoise).size() - cleanBytes, cleanBytes), 0.05, 0.01);
}

TEST(SimFaults, DropRemovesBytesAtAboutTheRequestedRate) {
    auto lossy = frames(2000);
    lossy.faults.drop = 0.1;
    const auto clean = schedule(frames(2000));
    const auto dropped = schedule(lossy);
    ASSERT_EQ(dropped.size(), clean.size());
    for (std::size_t i = 0; i < clean.size(); ++i)
        ASSERT_TRUE(isSubsequence(dropped[i].bytes, clean[i].bytes)) << i;
    const auto cleanBytes = allBytes(clean).size();
    EXPECT_NEAR(share(cleanBytes - allBytes(dropped).size(), cleanBytes), 0.1, 0.01);
}

TEST(SimFaults, NoiseAndDropAreOffByDefault) {
    for (const auto& c : schedule(frames(200))) EXPECT_EQ(c.bytes.size(), 9u);
}

TEST(SimFaults, GapsShowNoSignalAndTheDisplayRecovers) {
    auto s = frames(1'000'000);
    s.duration = 9s;
    s.faults.gapEvery = 3s;
    s.faults.gapLength = 800ms;
    const auto chunks = schedule(s);

    std::vector<std::int64_t> gapEnds;
    for (std::size_t i = 1; i < chunks.size(); ++i)
        if (millis(chunks[i].at - chunks[i - 1].at) > 500) gapEnds.push_back(millis(chunks[i].at));
    ASSERT_EQ(gapEnds.size(), 2u);
    EXPECT_NEAR(static_cast<double>(gapEnds[0]), 3800, 30);
    EXPECT_NEAR(static_cast<double>(gapEnds[1]), 3800 + 3000 + 800, 60);

    MainFormHarness h;
    int silences = 0, wrong = 0, checked = 0, lost = 0;
    std::int64_t lastAt = 0;
    Playback p{h};
    p.beforeChunk = [&](const sim::Chunk& c) {
        if (millis(c.at) - lastAt > 500) {
            ++silences;
            EXPECT_TRUE(h.ui().Label11.Visible) << millis(c.at);
            EXPECT_EQ(h.ui().Label11.Caption.str(), "No PPM signal present...");
        } else if (c.at > 0s) {
            EXPECT_FALSE(h.ui().Label11.Visible) << millis(c.at);
        }
        lastAt = millis(c.at);
    };
    // The frame still in the window when a silence begins is cleared by the
    // calibration when the signal returns, and each calibration a second
    // later clears the frame then in the window: five frames in all.
    p.atDecode = [&](const sim::Chunk& frame, bool decoded) {
        if (!decoded) return void(++lost);
        ++checked;
        if (h.inCaptions() != expectedCaptions(frame)) ++wrong;
    };
    p.play(chunks);
    EXPECT_EQ(silences, 2);
    EXPECT_EQ(wrong, 0);
    EXPECT_LE(lost, 5);
    EXPECT_GT(checked, 300);
}

TEST(SimFaults, SwitchAfterFramesChangesTheFrameKindThere) {
    auto s = frames(300);
    s.formatSwitch = sim::FormatSwitch{s.layout, std::nullopt, 120};
    s.formatSwitch->to.format = FrameFormat::ZhenHua;
    const auto chunks = schedule(s);
    for (std::size_t i = 0; i < chunks.size(); ++i) {
        const bool after = i >= 120;
        EXPECT_EQ(chunks[i].format, after ? FrameFormat::ZhenHua : FrameFormat::Standard) << i;
        EXPECT_EQ(chunks[i].bytes[0], after ? 239 : 255) << i;
    }
}

// The window follows the switch both ways: the cable format comes on with its
// window and type, goes off again, and the values are right on either side.
TEST(SimFaults, SwitchAfterTimeIsFollowedByTheProgram) {
    for (auto [from, to] : {std::pair{FrameFormat::Standard, FrameFormat::ZhenHua},
                            std::pair{FrameFormat::ZhenHua, FrameFormat::Standard},
                            std::pair{FrameFormat::Variant, FrameFormat::Standard}}) {
        auto s = frames(1'000'000, from);
        s.duration = 8s;
        s.formatSwitch = sim::FormatSwitch{s.layout, 4s, std::nullopt};
        s.formatSwitch->to.format = to;
        MainFormHarness h;
        int before = 0, after = 0, wrong = 0;
        Playback p{h};
        p.atDecode = [&](const sim::Chunk& frame, bool decoded) {
            const auto ms = millis(frame.at);
            if (!decoded || ms < 1500 || (ms >= 4000 && ms < 4500)) return;
            (ms < 4000 ? before : after) += 1;
            if (h.inCaptions() != expectedCaptions(frame)) ++wrong;
            EXPECT_EQ(h.form.ZhenHuaActive(), frame.format == FrameFormat::ZhenHua) << ms;
        };
        p.play(schedule(s));
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(before, 100);
        EXPECT_GT(after, 100);
        EXPECT_EQ(h.ui().Option(5).Caption.str(),
                  to == FrameFormat::ZhenHua ? "Zhen Hua Cable" : "Zhen Hua");
    }
}

}  // namespace
}  // namespace quadrel::testing
