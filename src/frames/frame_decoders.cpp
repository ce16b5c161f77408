#include "frames/frame_decoders.h"

namespace quadrel {
namespace {

// Channels 1..8 from the eight bytes after `first`; the list ends at the
// first byte of `endMark` or more.
DecodedFrame channelList(const FrameWindow& window, int first, std::uint8_t endMark) {
    DecodedFrame frame;
    for (int k = 0; k < 8; ++k) frame.values[k] = window[first + k];
    while (frame.presentChannels < 8 && frame.values[frame.presentChannels] < endMark)
        ++frame.presentChannels;
    return frame;
}

}  // namespace

DecodedFrame decodeStandardFrame(const FrameWindow& window) {
    return channelList(window, 1, 255);
}

DecodedFrame decodeVariantFrame(FrameWindow& window) {
    // Channels stand at positions 2 to 9, after the byte nobody reads.
    const DecodedFrame frame = channelList(window, 2, 240);
    window.set(1, 0);
    return frame;
}

DecodedFrame decodeZhenHuaFrame(FrameWindow& window) {
    if (window[5] != kZhenHuaSync)
        for (int i = 5; i <= 8; ++i) window.set(i, 0);
    DecodedFrame frame;
    for (int k = 0; k < 4; ++k) frame.values[k] = window[k + 1];
    frame.rangeChannels = 4;
    frame.presentChannels = 4;
    return frame;
}

}  // namespace quadrel
