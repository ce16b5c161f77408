// A PPM interface's serial line in virtual time, written apart from the
// program so that the program can be checked against it: the frames an
// interface puts on the wire, byte by byte at the baud rate, and the ways a
// USB serial adapter hands those bytes to the host.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace quadrel::testing::line {

using Bytes = std::vector<std::uint8_t>;

// A byte as the receiving UART completes it: when its stop bit ends.
struct WireByte {
    double doneUs = 0;
    std::uint8_t value = 0;
    int send = 0;  // which send put it on the line
};

// What the host is handed: the bytes of one read and when the read returned.
struct Batch {
    std::int64_t atUs = 0;
    Bytes bytes;
};

class Wire {
public:
    // 10 bits a byte: 8N1.
    explicit Wire(int baud = 19200, int bitsPerByte = 10) : byteUs_(1e6 * bitsPerByte / baud) {}

    double byteUs() const { return byteUs_; }
    // The interface starts sending `bytes` at `atUs`, or once the line is free.
    void send(double atUs, const Bytes& bytes);
    const std::vector<WireByte>& bytes() const { return bytes_; }

private:
    double byteUs_;
    double freeUs_ = 0;
    int sends_ = 0;
    std::vector<WireByte> bytes_;
};

// Frames, as an interface sends them (the cable's bytes mirrored here with
// this model's own bit reversal).
Bytes standardFrame(const std::vector<int>& channels);
Bytes variantFrame(const std::vector<int>& channels, int sync = 245);
Bytes cablePacket(const std::vector<int>& channels);  // 239 and four mirrored channels

// Sends `frame(j)` every `periodUs` from 0 for `seconds`; a frame for which
// `sent(j)` is false is left out, as an interface that drops it would.
void sendFrames(
    Wire& wire, double seconds, double periodUs, const std::function<Bytes(int)>& frame,
    const std::function<bool(int)>& sent = [](int) { return true; });

// Adapters. Each returns the reads the host gets, in order.
// Every byte in a read of its own the moment it is complete.
std::vector<Batch> byteByByte(const Wire& wire);
// Each send in one read once its last byte is complete (a pseudo-terminal
// fed a frame at a time).
std::vector<Batch> wholeSends(const Wire& wire);
// A latency timer: what waits goes out every `ms`, and at once when a USB
// packet's `packet` bytes wait (an FTDI chip).
std::vector<Batch> latencyTimer(const Wire& wire, double ms, int packet = 62);
// Only full packets of `packet` bytes.
std::vector<Batch> fullPackets(const Wire& wire, int packet = 62);
// The host reads late once: what arrives from `atMs` for `lateMs` is read
// together at the end.
std::vector<Batch> lateRead(std::vector<Batch> reads, double atMs, double lateMs);
// A busy host: every read returns up to `lateMs` late (a fixed pseudo-random
// sequence); reads that would overtake each other come as one.
std::vector<Batch> busyHost(const std::vector<Batch>& reads, double lateMs);

}  // namespace quadrel::testing::line
