#include "search/try_score.h"

#include <algorithm>

namespace quadrel {
namespace {

constexpr double kSlowestSteadyRate = 18;  // frames a second: half the slowest transmitter's
constexpr int kSteadyRun = 3;
constexpr int kFewestChannels = 4;

// Where the frame after one with `channels` channels starts: right after
// its last channel, or at its end mark, which is that next frame's sync.
std::uint64_t frameLength(FrameKind kind, int channels) {
    switch (kind) {
        case FrameKind::Standard:
            return 1 + static_cast<std::uint64_t>(channels);
        case FrameKind::Variant:
            return 2 + static_cast<std::uint64_t>(channels);
        case FrameKind::ZhenHua:
            return 5;
        case FrameKind::None:
            break;
    }
    return 1;
}

}  // namespace

bool TryScore::steady() const {
    return longestRun >= kSteadyRun && seconds >= 0.1 &&
           static_cast<double>(steadyFrames) / seconds >= kSlowestSteadyRate;
}

bool TryScore::clean() const {
    return steady() && lineErrors.value_or(0) == 0 && strayBytes == 0;
}

bool TryScore::betterThan(const TryScore& other) const {
    if (clean() != other.clean()) return clean();
    if (steady() != other.steady()) return steady();
    // Data read right at a wrong parity frame as steadily, with errors.
    const auto troubles = [](const TryScore& s) { return s.lineErrors.value_or(0) + s.strayBytes; };
    if (troubles(*this) != troubles(other)) return troubles(*this) < troubles(other);
    return steadyFrames > other.steadyFrames;
}

void TryListener::feed(std::span<const std::uint8_t> bytes) {
    score_.bytes += bytes.size();
    for (const std::uint8_t byte : bytes) {
        window_.push(byte);
        ++pushed_;
        const FrameKind kind = classifyFrame(window_[0]);
        if (kind == FrameKind::None || pushed_ < FrameWindow::kSize) continue;
        DecodedFrame frame;
        if (kind == FrameKind::Standard) frame = decodeStandardFrame(window_);
        if (kind == FrameKind::Variant) frame = decodeVariantFrame(window_);
        if (kind == FrameKind::ZhenHua) frame = decodeZhenHuaFrame(window_);
        frameAt(pushed_ - FrameWindow::kSize, kind, frame.presentChannels);
    }
}

void TryListener::frameAt(std::uint64_t sync, FrameKind kind, int channels) {
    ++score_.frames;
    // The cable's packets come back to back or padded to nine bytes.
    const bool padded = kind == FrameKind::ZhenHua && kind_ == kind && sync == sync_ + 9;
    if (frames_ > 0 && sync > next_ && !padded) score_.strayBytes += sync - next_;
    const bool follows = kind == kind_ && channels == channels_ && (sync == next_ || padded);
    run_ = follows && channels >= kFewestChannels ? run_ + 1 : 1;
    // A run counts once it is three frames long, then frame by frame.
    if (run_ >= kSteadyRun) score_.steadyFrames += run_ == kSteadyRun ? kSteadyRun : 1;
    score_.longestRun = std::max(score_.longestRun, run_);
    ++frames_;
    kind_ = kind;
    channels_ = channels;
    sync_ = sync;
    next_ = sync + frameLength(kind, channels);
}

}  // namespace quadrel
