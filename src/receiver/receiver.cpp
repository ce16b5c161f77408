// The receive path: each byte of a read enters the frame window; a sync
// byte reaching the oldest position runs its decoder.
#include "receiver/receiver.h"

#include <algorithm>
#include <utility>

#include "link/link_monitor.h"
#include "receiver/quietly.h"

namespace quadrel {

Receiver::Receiver(CableWindow& cable, Beeper& beeper, Time start)
    : cable_(cable), beeper_(beeper) {
    watchdog_.restart(start);
    calibration_.restart(start);
    blankRows();
}

void Receiver::feed(std::span<const std::uint8_t> bytes, Time now) noexcept {
    if (bytes.empty()) return;
    if (link_) link_->beginRead(now.count(), bytes.size());
    for (const std::uint8_t byte : bytes) take(byte, now);
    if (pendingChannels_ >= 0) showFrames();
}

void Receiver::take(std::uint8_t byte, Time now) {
    // Data after silence: a fresh calibration now, and another a second later.
    if (view_.noSignal) wakeUp(now);

    if (link_) link_->byteReceived(byte);
    // Before the decoder, whose frame may come later or never.
    const std::optional<DecodedFrame> frame = chain_.push(byte);
    if (frame && frames_) announce(*frame);
    if (view_.cableFormat && byte != kZhenHuaSync) byte = reverseBits(byte);
    window_.push(byte);

    // Most bytes complete no frame; keep their path short.
    const FrameKind kind = classifyFrame(window_[0]);
    if (kind != FrameKind::None) decode(kind);
    // A standard or variant frame does not restart the watchdog.
    if (kind == FrameKind::None || kind == FrameKind::ZhenHua) watchdog_.restart(now);
}

void Receiver::wakeUp(Time now) {
    view_.noSignal = false;
    calibrate();
    calibrateLater(now);
}

void Receiver::decode(FrameKind kind) {
    const FrameWindow found = window_;  // the decoders clear places in it
    const bool readAsCable = view_.cableFormat;
    DecodedFrame frame;
    switch (kind) {
        case FrameKind::Standard:
            leaveCableFormat();
            frame = decodeStandardFrame(window_);
            break;
        case FrameKind::Variant:
            leaveCableFormat();
            frame = decodeVariantFrame(window_);
            break;
        case FrameKind::ZhenHua:
            // The frame that switches the cable format on was received
            // unreversed and is decoded as it stands.
            if (!view_.cableFormat) enterCableFormat();
            frame = decodeZhenHuaFrame(window_);
            break;
        case FrameKind::None:
            return;
    }
    if (link_) link_->frameDecoded(kind, frame, found, readAsCable);
    noteFrame(frame);
}

void Receiver::announce(const DecodedFrame& frame) {
    std::array<ChannelRange, 8> ranges = ranges_;
    for (int k = 0; k < frame.rangeChannels; ++k) ranges[k].widen(frame.values[k]);
    quietly([&] { frames_->frameComplete(frame, ranges); });
}

void Receiver::enterCableFormat() {
    view_.cableFormat = true;
    quietly([this] { cable_.show(); });
    view_.setup.type = TransmitterType::ZhenHua;  // the cable fixes the type
}

void Receiver::leaveCableFormat() {
    if (!view_.cableFormat) return;
    view_.cableFormat = false;
    quietly([this] { cable_.hide(); });
}

void Receiver::noteFrame(const DecodedFrame& frame) {
    for (int k = 0; k < frame.rangeChannels; ++k) ranges_[k].widen(frame.values[k]);
    for (int k = 0; k < frame.presentChannels; ++k) shown_[k] = {frame.values[k], ranges_[k]};
    pendingChannels_ = frame.presentChannels;
    pendingWidest_ = std::max(pendingWidest_, frame.presentChannels);
}

// What showing each frame of the read in turn would leave: a row shows its
// channel's last value with the range as of then; "-" unless the last frame
// has it.
void Receiver::showFrames() {
    const int present = std::exchange(pendingChannels_, -1);
    const int widest = std::exchange(pendingWidest_, 0);
    for (int k = 0; k < kChannels; ++k) {
        ChannelRow& row = view_.rows[k];
        if (k < widest) {
            const ShownValue& shown = shown_[k];
            row.value = shown.value;
            row.width = shown.range.width();
            row.bar = barValue(shown.value, shown.range.min, shown.range.max);
            if (k < 4) stickInputs_[k] = row.bar;
        }
        if (k >= present) {
            row.value.reset();
            if (k < 4) stickInputs_[k].reset();
        }
    }
    // Channel 2 feeds the Zhen Hua type's third stick function, which a
    // frame without it leaves as it was: an earlier frame's channel 2 goes
    // in first. Whatever else that sets, the last frame sets again.
    if (widest >= 2 && present < 2)
        sticks_.update({std::nullopt, view_.rows[1].bar, std::nullopt, std::nullopt}, view_.setup);
    sticks_.update(stickInputs_, view_.setup);
    view_.sticks = sticks_.positions();
}

void Receiver::blankRows() {
    for (ChannelRow& row : view_.rows) row = ChannelRow{};
}

}  // namespace quadrel
