// What one try of the settings search heard: how many of the bytes made
// frames that follow each other as an interface sends them. Frames are
// found as the receiver finds them; a frame counts as steady when it
// carries at least four channels, has the shape of the one before (the
// same layout and channel count) and its sync stands exactly where that
// one ended. A fast line read at a slow rate gives a byte or two a frame,
// which can follow each other just as steadily: too few channels.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "frames/frame_decoders.h"
#include "receiver/deadline.h"

namespace quadrel {

struct TryScore {
    std::uint64_t bytes = 0;
    std::uint64_t frames = 0;        // any the decoders found
    std::uint64_t steadyFrames = 0;  // in runs of three or more
    std::uint64_t strayBytes = 0;    // between one frame's end and the next one's sync
    int longestRun = 0;
    // Framing and parity errors the driver counted; none where it does not
    // count them.
    std::optional<std::uint64_t> lineErrors;
    double seconds = 0;  // listened, from the first byte

    // Steady frames at least at half the slowest transmitter's rate, over a
    // tenth of a second at least.
    bool steady() const;
    // Steady, with no line errors and no stray bytes.
    bool clean() const;
    // Which of two tries is better evidence of the right settings.
    bool betterThan(const TryScore& other) const;
};

class TryListener {
public:
    void feed(std::span<const std::uint8_t> bytes);
    TryScore& score() { return score_; }
    const TryScore& score() const { return score_; }

private:
    void frameAt(std::uint64_t sync, FrameKind kind, int channels);

    FrameWindow window_;
    std::uint64_t pushed_ = 0;
    TryScore score_;
    // The frame before: its shape, where its sync stood, where the next
    // one's belongs, and the run it ends.
    FrameKind kind_ = FrameKind::None;
    int channels_ = 0;
    std::uint64_t sync_ = 0, next_ = 0;
    int run_ = 0;
    std::uint64_t frames_ = 0;
};

}  // namespace quadrel
