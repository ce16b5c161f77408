// The core with fakes and a virtual clock: the main window alone
// (MainFormHarness) or the whole program with a settings file in a fresh
// folder (ProgramHarness). Bytes go in one receive event each.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "app/program.h"
#include "fakes.h"
#include "form/main_form.h"
#include "temp_dir.h"
#include "virtual_clock.h"

namespace quadrel::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes repeated(const Bytes& part, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out = out + part;
    return out;
}

inline void receive(MainForm& form, FakeSerialPort& port, const Bytes& in) {
    port.feed(in);
    port.event = comm_event::Receive;
    for (std::size_t i = 0; i < in.size(); ++i) form.MSComm1_OnComm();
}

inline std::vector<std::string> inCaptions(const MainWindowState& ui) {
    std::vector<std::string> out;
    for (int k = 1; k <= kChannels; ++k) out.push_back(ui.In(k).Caption.str());
    return out;
}

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
    void receive(const Bytes& in) { testing::receive(form, port, in); }
    // Leaves the no-signal state as the first byte does: the window then
    // holds nine zeros and that byte.
    void wakeUp() { receive({0}); }
    std::vector<std::string> inCaptions() const { return testing::inCaptions(form.state()); }
};

struct ProgramHarness {
    TempDir dir;
    std::vector<std::string> logged;
    SettingsFile settings{dir / "Quadrel.ini", [this](const std::string& m) { logged.push_back(m); }};
    FakeSerialPort port;
    FakeBeeper beeper;
    FakeCableWindow cable;
    int processEnds = 0;
    Program program{port, cable, beeper, settings, [this] { ++processEnds; },
                    [this](const std::string& line) { logged.push_back(line); }};
    VirtualClock clock;

    ProgramHarness() {
        MainForm& form = program.form();
        clock.add(form.state().Timer1, [&form] { form.Timer1_Timer(); });
        clock.add(form.state().Timer2, [&form] { form.Timer2_Timer(); });
        clock.add(program.about().Timer1, [this] { program.about().Timer1_Timer(); });
    }
    void writeSettings(const std::string& text) { writeFile(settings.path(), text); }
    std::string settingsText() const { return readFile(settings.path()); }
    MainWindowState& ui() { return program.ui(); }
    std::string label1() const { return program.form().state().Label1.Caption.str(); }
    // Start-up through to the main window: the splash times out after 2 s.
    void startAndWaitForSplash() {
        program.Form_Load();
        clock.advance(2000);
    }
    void receive(const Bytes& in) { testing::receive(program.form(), port, in); }
};

}  // namespace quadrel::testing
