// A main window wired to a fake port, fake beep and cable window, and a
// virtual clock driving both of its timers.
#pragma once

#include <initializer_list>
#include <vector>

#include "form/main_form.h"
#include "fake_platform.h"
#include "fake_serial_port.h"
#include "virtual_clock.h"

namespace quadrel::testing {

struct MainFormHarness {
    FakeSerialPort port;
    FakeBeeper beeper;
    FakeCableWindow cable;
    MainForm form{port, cable, beeper};
    VirtualClock clock;

    MainFormHarness() {
        clock.add(form.state().Timer1, [this] { form.Timer1_Timer(); });
        clock.add(form.state().Timer2, [this] { form.Timer2_Timer(); });
    }

    MainWindowState& ui() { return form.state(); }

    // One receive event per byte, as the port raises them.
    void receive(const std::vector<std::uint8_t>& bytes) {
        port.feed(bytes);
        port.event = comm_event::Receive;
        for (std::size_t i = 0; i < bytes.size(); ++i) form.MSComm1_OnComm();
    }
    void receive(std::initializer_list<int> bytes) {
        std::vector<std::uint8_t> v;
        for (int b : bytes) v.push_back(static_cast<std::uint8_t>(b));
        receive(v);
    }

    // Leaves the no-signal state the way the first byte does, so that the
    // next nine bytes fill the frame window afresh.
    void wakeUp() { receive({0}); }

    std::vector<std::string> inCaptions() const {
        std::vector<std::string> out;
        for (int k = 1; k <= kChannels; ++k) out.push_back(form.state().In(k).Caption.str());
        return out;
    }
};

}  // namespace quadrel::testing
