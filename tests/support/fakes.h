// Stand-ins for the port, the beep and the cable window: they count what the
// program asked of them, and the port can be made to refuse, as a real one can.
#pragma once

#include <set>

#include "receiver/receiver.h"
#include "serial/serial_port.h"

namespace quadrel::testing {

class FakeSerialPort : public SerialPort {
public:
    std::set<int> existingPorts{1, 2, 3, 4};  // opening another fails as a missing port
    std::set<int> busyPorts;
    bool rts = false;
    bool dtr = false;
    int opens = 0;
    std::optional<LineErrorCounts> errors;  // what the driver counted since the open

    void setPortNumber(int port) override;
    int portNumber() const override { return port_; }
    void setLine(const LineSettings& line) override;
    LineSettings line() const override { return line_; }
    void setRts(bool on) override { rts = on; }
    void setDtr(bool on) override { dtr = on; }
    void open() override;
    void close() override;
    bool isOpen() const override { return open_; }
    std::optional<LineErrorCounts> lineErrors() const override { return errors; }

private:
    int port_ = 1;
    LineSettings line_{9600, Parity::None, 8, StopBits::One};
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
