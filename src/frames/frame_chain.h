// The frames on the wire, each found the moment its last byte arrives, for
// whoever acts on every frame (the joystick). The display's decoders take
// any sync-like byte reaching the window's oldest place for a frame, so a
// channel value of 239 or more makes them read a spurious frame, which may
// even clear the true next sync. Here a frame begins only where the one
// before it ended, or, after bytes that are no frame, at the next sync-like
// byte; its layout follows from its sync:
//   255:      up to eight channels, ended by the next 255;
//   240..254: one unread byte, then up to eight channels below 240;
//   239:      the cable's packet, four channels bit-reversed on the wire,
//             possibly padded to nine bytes (padding is skipped whatever
//             it holds).
#pragma once

#include <cstdint>
#include <optional>

#include "frames/frame_decoders.h"

namespace quadrel {

class FrameChain {
public:
    // A byte as it came off the wire; the frame it completes, if any.
    std::optional<DecodedFrame> push(std::uint8_t byte);
    // Nothing received so far belongs to a frame any more (calibration).
    void forget() {
        next_ = received_;
        paddingEnd_ = -1;
    }

private:
    struct Found {
        DecodedFrame frame;
        std::int64_t end = 0;  // where the next frame may begin
    };
    // The frame whose sync stands at window position `sync`, once complete.
    std::optional<Found> frameAt(int sync) const;
    std::int64_t oldest() const { return received_ - FrameWindow::kSize; }

    FrameWindow bytes_;             // the last ten bytes as received
    std::int64_t received_ = 0;     // bytes so far
    std::int64_t next_ = 0;         // where the next frame may begin
    std::int64_t paddingEnd_ = -1;  // after a cable packet: where its padding ends
};

}  // namespace quadrel
