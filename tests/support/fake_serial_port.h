// A serial port in memory: bytes queued by the test come out of Input one
// at a time, and every property can be made to refuse, as a real port can.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "serial/serial_component.h"

namespace quadrel::testing {

class FakeSerialPort : public SerialComponent {
public:
    // The port numbers that exist; opening another fails as a missing port.
    std::set<int> existingPorts{1, 2, 3, 4};
    std::set<int> busyPorts;
    bool failNextInput = false;

    // Queue bytes for the receive events to come.
    void feed(const std::vector<std::uint8_t>& bytes) { pending.insert(pending.end(), bytes.begin(), bytes.end()); }

    int event = comm_event::Receive;
    std::deque<std::uint8_t> pending;

    bool rts = false;
    bool dtr = false;
    std::int16_t inputLen = 0;
    std::int16_t rThreshold = 0;
    int opens = 0;

    int CommEvent() const override { return event; }
    std::optional<std::uint8_t> Input() override;
    void setCommPort(std::int16_t port) override;
    std::int16_t CommPort() const override { return port_; }
    void setSettings(const std::string& settings) override;
    std::string Settings() const override { return settings_; }
    void setInputLen(std::int16_t len) override { inputLen = len; }
    void setRThreshold(std::int16_t threshold) override { rThreshold = threshold; }
    void setRTSEnable(bool on) override { rts = on; }
    void setDTREnable(bool on) override { dtr = on; }
    void setPortOpen(bool open) override;
    bool PortOpen() const override { return open_; }

private:
    std::int16_t port_ = 1;
    std::string settings_ = "9600,N,8,1";
    bool open_ = false;
};

}  // namespace quadrel::testing
