// The serial receive path: one byte per receive event enters the frame
// window; a sync byte reaching the oldest position runs its decoder.
#include "form/main_form.h"
#include "form/steps.h"

namespace quadrel {

void MainForm::MSComm1_OnComm() noexcept {
    int event = 0;
    try {
        event = MSComm1_.CommEvent();
    } catch (...) {
        return;  // an event we cannot read is an event we ignore
    }
    // Line and error events (break, overrun, parity, ...) change nothing on
    // screen; the link statistics count them.
    if (event == comm_event::Receive)
        receiveByte();
    else if (monitor_)
        monitor_->lineEvent(event);
}

void MainForm::receiveByte() noexcept {
    // A failed or empty read still counts as a byte: 0.
    std::uint8_t byte = 0;
    try {
        if (const auto b = MSComm1_.Input()) byte = *b;
    } catch (...) {
    }

    // Data after silence: leave the no-signal state with a fresh calibration,
    // and calibrate again a second later.
    if (state_.Label11.Visible) wakeUp();

    if (monitor_) monitor_->byteReceived(byte);
    if (zhenHuaActive_ && byte != kZhenHuaSync) byte = ReverseBits(byte);
    window_.push(byte);

    // Most bytes complete no frame; keep their path short.
    const FrameKind kind = classifyFrame(window_[0]);
    if (kind != FrameKind::None) decodeFrame(kind);
    // A standard or variant frame does not restart the watchdog.
    if (kind == FrameKind::None || kind == FrameKind::ZhenHua) WatchdogRestart();
}

void MainForm::wakeUp() {
    state_.Label11.Visible = false;
    Command1_Click();
    state_.Timer2.setEnabled(true);
}

void MainForm::decodeFrame(FrameKind kind) {
    const FrameWindow found = window_;  // the decoders clear places in it
    const bool readAsCable = zhenHuaActive_;
    DecodedFrame frame;
    switch (kind) {
        case FrameKind::Standard:
            ZhenHuaOff();
            frame = decodeStandardFrame(window_);
            break;
        case FrameKind::Variant:
            ZhenHuaOff();
            frame = decodeVariantFrame(window_);
            break;
        case FrameKind::ZhenHua:
            // The frame that switches the cable format on was received
            // unreversed and is decoded as it stands.
            if (!zhenHuaActive_) ZhenHuaOn();
            frame = decodeZhenHuaFrame(window_);
            break;
        case FrameKind::None:
            return;
    }
    if (monitor_) monitor_->frameDecoded(kind, frame, found, readAsCable);
    showFrame(frame);
}

void MainForm::ZhenHuaOff() {
    if (!zhenHuaActive_) return;
    zhenHuaActive_ = false;
    runStepQuietly([this] { Form4_.hide(); });
    for (int k = 1; k <= 5; ++k) state_.Option.setEnabled(k, true);
    state_.Option.setCaption(5, kZhenHuaCaption);
}

void MainForm::ZhenHuaOn() {
    zhenHuaActive_ = true;
    runStepQuietly([this] { Form4_.show(); });
    // The cable fixes the transmitter type.
    for (int k = 1; k <= 4; ++k) state_.Option.setEnabled(k, false);
    state_.Option.setCaption(5, kZhenHuaCableCaption);
    state_.Option.setEnabled(5, true);
    state_.Option.setValue(5, true);
}

}  // namespace quadrel
