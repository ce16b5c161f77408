// The core with fakes and a virtual clock: the receiver alone
// (ReceiverHarness) or the whole program with a settings file in a fresh
// folder (ProgramHarness). A call of receive() is one read of the port.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "app/program.h"
#include "fakes.h"
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

// The channel rows' values as the window shows them: "-" or the number.
inline std::vector<std::string> shownValues(const ReceiverView& view) {
    std::vector<std::string> out;
    for (const ChannelRow& row : view.rows)
        out.push_back(row.value ? std::to_string(*row.value) : "-");
    return out;
}

struct ReceiverHarness {
    FakeBeeper beeper;
    FakeCableWindow cable;
    Receiver receiver{cable, beeper};
    VirtualClock clock{[this](Time now) { receiver.advance(now); }};

    const ReceiverView& view() const { return receiver.view(); }
    void receive(const Bytes& in) { receiver.feed(in, clock.now()); }
    // Leaves the no-signal state as the first byte does: the window then
    // holds nine zeros and that byte.
    void wakeUp() { receive({0}); }
    std::vector<std::string> values() const { return shownValues(view()); }
};

struct ProgramHarness {
    TempDir dir;
    std::vector<std::string> logged;
    SettingsFile settings{dir / "Quadrel.ini",
                          [this](const std::string& m) { logged.push_back(m); }};
    FakeSerialPort port;
    FakeBeeper beeper;
    FakeCableWindow cable;
    int processEnds = 0;
    Program program{port,
                    cable,
                    beeper,
                    settings,
                    [this] { ++processEnds; },
                    [this](const std::string& line) { logged.push_back(line); }};
    VirtualClock clock{[this](Time now) { program.advance(now); }};

    void writeSettings(const std::string& text) { writeFile(settings.path(), text); }
    std::string settingsText() const { return readFile(settings.path()); }
    const ReceiverView& view() const { return program.receiver().view(); }
    const std::string& status() const { return program.status().text; }
    // Start-up through to the main window: the splash times out after 2 s.
    void startAndWaitForSplash() {
        program.start(clock.now());
        clock.advance(2000);
    }
    void receive(const Bytes& in) { program.receiver().feed(in, clock.now()); }
};

}  // namespace quadrel::testing
