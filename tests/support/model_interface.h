// A PPM interface at the far end of a fake port, in virtual time: it sends
// standard frames at its own line settings when the port gives it the
// power it needs, and the port's UART reads them at the port's settings
// (the simulator's model UART), counting framing and parity errors as a
// driver does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "fakes.h"
#include "receiver/deadline.h"
#include "uart_line.h"

namespace quadrel::testing {

struct ModelInterface {
    int port = 1;  // where it is plugged in
    LineSettings line;
    enum class Power { Any, Rts, Dtr } power = Power::Any;
    bool inverted = false;
    bool silent = false;       // a transmitter switched off
    bool noisy = false;        // a stray byte after every fourth frame
    bool countsErrors = true;  // the adapter's driver counts line errors
};

class ModelLink {
public:
    ModelLink(const ModelInterface& model, FakeSerialPort& port) : model_(model), port_(port) {}

    // What the port has received by `now`, as one read.
    std::vector<std::uint8_t> readUntil(Time now);

private:
    bool powered() const;

    ModelInterface model_;
    FakeSerialPort& port_;
    std::unique_ptr<sim::UartLine> uart_;
    std::optional<PortSettings> heard_;  // what the UART was set up with
    Time nextFrame_{0};
    int frames_ = 0;
    LineErrorCounts counted_;  // by UARTs before this one
};

}  // namespace quadrel::testing
