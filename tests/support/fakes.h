// Stand-ins for the port, the beep and the cable window: they count what the
// program asked of them, and the port can be made to refuse, as a real one can.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "form/platform.h"
#include "serial/serial_component.h"

namespace quadrel::testing {

class FakeSerialPort : public SerialComponent {
public:
    std::set<int> existingPorts{1, 2, 3, 4};  // opening another fails as a missing port
    std::set<int> busyPorts;
    bool failNextInput = false;
    int event = comm_event::Receive;
    std::deque<std::uint8_t> pending;  // what the next receive events read
    bool rts = false;
    bool dtr = false;
    int opens = 0;

    void feed(const std::vector<std::uint8_t>& bytes) { pending.insert(pending.end(), bytes.begin(), bytes.end()); }

    int CommEvent() const override { return event; }
    std::optional<std::uint8_t> Input() override;
    void setCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return port_; }
    void setSettings(const std::string& settings) override;
    std::string Settings() const override { return settings_; }
    void setInputLen(std::int16_t) override {}
    void setRThreshold(std::int16_t) override {}
    void setRTSEnable(bool on) override { rts = on; }
    void setDTREnable(bool on) override { dtr = on; }
    void setPortOpen(bool open) override;
    bool PortOpen() const override { return open_; }

private:
    std::int16_t port_ = 1;
    std::string settings_ = "9600,N,8,1";
    bool open_ = false;
};

struct FakeBeeper : Beeper {
    int beeps = 0;
    void beep() override { ++beeps; }
};

struct FakeCableWindow : CableWindow {
    bool visible = false;
    int shows = 0;
    void show() override { visible = true, ++shows; }
    void hide() override { visible = false; }
};

}  // namespace quadrel::testing
