// The three frame layouts on the wire, decoded from the frame window.
//   standard: 255, then up to eight channels; the first 255 ends the list.
//   variant:  a sync of 240..254, one byte nobody reads, then up to eight
//             channels; the first value of 240 or more ends the list.
//   Zhen Hua: 239, then four channels (bit-reversed on the wire); the
//             cable sends these five-byte packets back to back, some
//             interfaces pad them to nine bytes.
#pragma once

#include <array>
#include <cstdint>

#include "frames/frame_window.h"

namespace quadrel {

enum class FrameKind { None, Standard, Variant, ZhenHua };

constexpr FrameKind classifyFrame(std::uint8_t oldest) {
    if (oldest == 255) return FrameKind::Standard;
    if (oldest > 239) return FrameKind::Variant;
    if (oldest > 238) return FrameKind::ZhenHua;
    return FrameKind::None;
}

inline constexpr std::uint8_t kZhenHuaSync = 239;

struct DecodedFrame {
    // Raw bytes for channels 1 to 8 (index 0 is channel 1).
    std::array<std::uint8_t, 8> values{};
    // Channels 1..rangeChannels widen their ChannelRange with their byte,
    // whether or not the frame carries them.
    int rangeChannels = 8;
    // Channels 1..presentChannels are shown; the rest are absent.
    int presentChannels = 0;
};

DecodedFrame decodeStandardFrame(const FrameWindow& window);

// Reads the channels past the uninterpreted byte without moving them in the
// window, so back-to-back nine-byte frames all decode. The uninterpreted
// byte is zeroed in the window: whatever its value, it must not pass for a
// sync when it reaches position 0 on the next byte.
DecodedFrame decodeVariantFrame(FrameWindow& window);

// Positions 5 to 8 are not part of a Zhen Hua frame and are zeroed in the
// window itself, so that padding does not start a frame later; unless the
// next packet already starts at position 5, as it does on the cable.
DecodedFrame decodeZhenHuaFrame(FrameWindow& window);

}  // namespace quadrel
