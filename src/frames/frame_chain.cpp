#include "frames/frame_chain.h"

namespace quadrel {
namespace {

constexpr int kLast = FrameWindow::kSize - 1;

}  // namespace

std::optional<DecodedFrame> FrameChain::push(std::uint8_t byte) {
    bytes_.push(byte);
    ++received_;
    if (next_ < oldest()) next_ = oldest();  // whatever left the window was no frame
    // A cable packet not followed at once by the next: skip its padding.
    const std::int64_t at = next_ - oldest();
    if (paddingEnd_ > next_ && at <= kLast && bytes_[static_cast<int>(at)] != kZhenHuaSync)
        next_ = paddingEnd_;
    for (int p = static_cast<int>(next_ - oldest()); p <= kLast; ++p) {
        if (bytes_[p] < kZhenHuaSync) continue;
        next_ = oldest() + p;  // the frame begins here, complete or not
        const std::optional<Found> found = frameAt(p);
        if (!found) return std::nullopt;
        next_ = found->end;
        paddingEnd_ = bytes_[p] == kZhenHuaSync ? next_ + 4 : -1;
        return found->frame;
    }
    if (next_ < received_) next_ = received_;  // no sync since: none of it is a frame
    return std::nullopt;
}

std::optional<FrameChain::Found> FrameChain::frameAt(int sync) const {
    const std::uint8_t kind = bytes_[sync];
    Found found;
    DecodedFrame& frame = found.frame;
    if (kind == kZhenHuaSync) {
        if (sync + 4 > kLast) return std::nullopt;
        for (int k = 0; k < 4; ++k) frame.values[k] = reverseBits(bytes_[sync + 1 + k]);
        frame.rangeChannels = frame.presentChannels = 4;
        found.end = oldest() + sync + 5;
        return found;
    }
    // The channel list: up to eight bytes below the end mark.
    const int first = sync + (kind == 255 ? 1 : 2);
    const std::uint8_t endMark = kind == 255 ? 255 : 240;
    int n = 0;
    while (n < 8 && first + n <= kLast && bytes_[first + n] < endMark) {
        frame.values[n] = bytes_[first + n];
        ++n;
    }
    if (n < 8 && first + n > kLast) return std::nullopt;  // its end has not come yet
    frame.rangeChannels = frame.presentChannels = n;
    found.end = oldest() + first + n;
    return found;
}

}  // namespace quadrel
