// The whole program's core with fakes: a fake port, beep and cable window,
// a settings file in a temporary folder, and a virtual clock driving the
// main window's two timers and the About window's timer.
#pragma once

#include <string>
#include <vector>

#include "app/program.h"
#include "fake_platform.h"
#include "fake_serial_port.h"
#include "temp_dir.h"
#include "virtual_clock.h"

namespace quadrel::testing {

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

    void receive(const std::vector<std::uint8_t>& bytes) {
        port.feed(bytes);
        port.event = comm_event::Receive;
        for (std::size_t i = 0; i < bytes.size(); ++i) program.form().MSComm1_OnComm();
    }
};

}  // namespace quadrel::testing
