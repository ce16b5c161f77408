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

    MainWindowState& state() { return state_; }
    const MainWindowState& state() const { return state_; }

    // The serial component's event; only a receive event reads a byte.
    // Nothing thrown by the port or the windows escapes it.
    void MSComm1_OnComm() noexcept;

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
    const StickState& sticks() const { return sticks_; }
    // The stick display's input from the last decoded frame.
    const ValueCell& ChannelPosition(int k) const { return channelPosition_.at(k - 1); }

private:
    void receiveByte() noexcept;
    void wakeUp();
    void decodeFrame(FrameKind kind);
    void showFrame(const DecodedFrame& frame);
    void ShowChannel(int k, std::uint8_t v);
    void ShowChannelAbsent(int k);
    void UpdateStickPosition();

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
};

}  // namespace quadrel
