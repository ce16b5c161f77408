#include "frame_encoder.h"

#include <algorithm>

namespace quadrel::sim {

int carriedChannels(const FrameLayout& layout) {
    return layout.format == FrameFormat::ZhenHua ? kZhenHuaChannels : layout.channels;
}

std::size_t frameLength(const FrameLayout& layout) {
    switch (layout.format) {
        case FrameFormat::Standard:
            return 1 + layout.channels;
        case FrameFormat::Variant:
            return 2 + layout.channels;
        case FrameFormat::ZhenHua:
            return 1 + kZhenHuaChannels + layout.filler;
    }
    return 0;
}

int highestValue(FrameFormat format) {
    switch (format) {
        case FrameFormat::Standard:
            return 254;  // 255 is the sync
        case FrameFormat::Variant:
            return 239;  // 240 and more end the channel list
        case FrameFormat::ZhenHua:
            return 238;  // 239 and more are read as syncs
    }
    return 0;
}

int sendableValue(FrameFormat format, int value) {
    value = std::clamp(value, 0, highestValue(format));
    if (format == FrameFormat::ZhenHua && (value & 0x0F) == 0x0F) --value;
    return value;
}

std::vector<std::uint8_t> encodeFrame(const FrameLayout& layout, std::span<const int> values) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(frameLength(layout));
    const auto channel = [&](int k) {
        return static_cast<std::uint8_t>(sendableValue(layout.format, values[k]));
    };
    switch (layout.format) {
        case FrameFormat::Standard:
            bytes.push_back(kStandardSync);
            for (int k = 0; k < layout.channels; ++k) bytes.push_back(channel(k));
            break;
        case FrameFormat::Variant:
            bytes.push_back(static_cast<std::uint8_t>(layout.sync));
            bytes.push_back(kVariantUnreadByte);
            for (int k = 0; k < layout.channels; ++k) bytes.push_back(channel(k));
            break;
        case FrameFormat::ZhenHua:
            bytes.push_back(kZhenHuaSync);
            for (int k = 0; k < kZhenHuaChannels; ++k) bytes.push_back(mirrorBits(channel(k)));
            bytes.insert(bytes.end(), static_cast<std::size_t>(layout.filler), kZhenHuaFillerByte);
            break;
    }
    return bytes;
}

}  // namespace quadrel::sim
