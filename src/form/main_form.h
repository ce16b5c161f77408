// The main window's behaviour, without any toolkit: every handler is driven
// by a plain event (a received byte, a timer tick, a click) and writes the
// plain-data window state that the widgets paint.
#pragma once

#include <array>

#include "channels/channel_display.h"
#include "channels/stick_display.h"
#include "channels/value_cell.h"
#include "form/main_window_state.h"
#include "form/platform.h"
#include "frames/frame_decoders.h"
#include "link/link_monitor.h"
#include "serial/serial_component.h"

namespace quadrel {

class MainForm {
public:
    MainForm(SerialComponent& port, CableWindow& form4, Beeper& beeper);

    // Whoever may change the controls first sees the display up to date.
    MainWindowState& state() {
        showPendingFrame();
        return state_;
    }
    const MainWindowState& state() const { return state_; }

    // The serial component's event; only a receive event reads a byte.
    // Nothing thrown by the port or the windows escapes it.
    void MSComm1_OnComm() noexcept;

    // Around a batch of receive events: within it only the display of its
    // last frame would ever be seen, so frames are shown once, at its end,
    // exactly as showing each at once would have left the window. Ranges,
    // the link statistics, the cable format and the watchdog follow every
    // byte all the same. Outside a batch every frame is shown at once.
    void beginReceiveBatch() { batching_ = true; }
    void endReceiveBatch() {
        batching_ = false;
        showPendingFrame();
    }

    void Command1_Click();  // "Calibrate": full reset of ranges and rows
    void SCal_Click();      // "Recalibrate": ranges only
    void Timer1_Timer();    // watchdog expiry: the no-signal state
    void Timer2_Timer();    // delayed recalibration with a beep
    // Starts the watchdog's interval afresh.
    void WatchdogRestart() {
        state_.Timer1.setEnabled(false);
        state_.Timer1.setEnabled(true);
    }

    void ZhenHuaOn();
    void ZhenHuaOff();

    // Counts what arrives for the link statistics; none by default.
    void setLinkMonitor(LinkMonitor* monitor) { monitor_ = monitor; }

    bool ZhenHuaActive() const { return zhenHuaActive_; }
    const FrameWindow& frameWindow() const { return window_; }
    const ChannelRange& channelRange(int k) const { return ranges_.at(k - 1); }
    // As of the last frame shown (within a batch: as of the last batch).
    const StickState& sticks() const { return sticks_; }
    // The stick display's input from the last frame shown.
    const ValueCell& ChannelPosition(int k) const { return channelPosition_.at(k - 1); }

private:
    void receiveByte() noexcept;
    void wakeUp();
    void decodeFrame(FrameKind kind);
    void showFrame(const DecodedFrame& frame);
    void showPendingFrame() {
        if (pendingChannels_ >= 0) showFrames();
    }
    void showFrames();
    void ShowChannel(int k);
    void ShowChannelAbsent(int k);
    void UpdateStickPosition();
    void moveSticks(const std::array<ValueCell, 4>& channels);

    SerialComponent& MSComm1_;
    LinkMonitor* monitor_ = nullptr;
    CableWindow& Form4_;
    Beeper& beeper_;

    MainWindowState state_;
    FrameWindow window_;
    std::array<ChannelRange, kChannels> ranges_{};
    std::array<ValueCell, kChannels> channelPosition_{};
    StickState sticks_;
    bool zhenHuaActive_ = false;

    // A channel's value in the last frame that carried it, with its range
    // as of that frame: what its row shows.
    struct ShownValue {
        std::uint8_t value = 0;
        ChannelRange range;
    };
    std::array<ShownValue, kChannels> shown_{};
    bool batching_ = false;
    // Channels of the last frame not yet shown; -1 when every frame is.
    int pendingChannels_ = -1;
    // The most channels of any frame not yet shown.
    int pendingWidest_ = 0;
};

}  // namespace quadrel
