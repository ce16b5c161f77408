// What a receiver reads off a serial line whose far end is not what it
// expects: the sender's bytes become line levels in time (a start bit, the
// data bits LSB first, parity, stop bits at the sender's baud rate), the
// line may be inverted, and a UART at its own baud rate samples it.
//
// The UART acts as a 16550 behind a Linux serial port opened as Quadrel
// opens it (no parity checking in the line discipline): a falling edge
// starts a character; a start bit that is high again at its middle was
// noise; every bit is read at its middle; a character whose stop bit is low
// (a framing error) is still delivered, and that low stop bit is taken for
// the next start bit; a character that is all low, stop bit included (a
// break), gives one 0 byte and nothing more until the line has risen. A
// parity bit that does not match is counted, as the driver counts it, and
// the character delivered all the same.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "line_pace.h"

namespace quadrel::sim {

class UartLine {
public:
    // The receiver frames characters by its own settings.
    UartLine(const LineSettings& sender, const LineSettings& receiver, bool inverted);

    // The sender puts `bytes` on the line from `atNs` on, or as soon as the
    // bytes before them are out.
    void send(double atNs, std::span<const std::uint8_t> bytes);

    // The bytes the receiver has completed by `untilNs`. The caller sends
    // nothing before `untilNs` afterwards: until then the line idles after
    // the last byte sent.
    std::vector<std::uint8_t> receive(double untilNs);

    std::uint64_t framingErrors() const { return framingErrors_; }
    std::uint64_t parityErrors() const { return parityErrors_; }
    std::uint64_t breaks() const { return breaks_; }

private:
    struct Edge {
        double atNs;
        bool high;
    };
    void put(double atNs, bool bit);
    bool levelAt(double atNs);

    LineSettings line_, receiver_;
    double sendBitNs_, receiveBitNs_;
    bool inverted_;

    std::deque<Edge> edges_;  // level changes not yet passed by the receiver
    bool level_;              // the level before the first of them
    bool lastSent_;           // the level after the last of them
    double lineFreeNs_ = 0;   // when the sender has sent all it was given

    bool receiving_ = false;
    double startNs_ = 0;  // of the character being received
    std::uint64_t framingErrors_ = 0, parityErrors_ = 0, breaks_ = 0;
};

}  // namespace quadrel::sim
