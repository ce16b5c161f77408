// What a serial driver does beyond moving bytes, while a program holds the
// port: it can hand bytes over at once rather than on a latency timer (USB
// adapters wait up to 16 ms by default), and many drivers count the line
// errors that received bytes do not show: framing errors (a wrong baud rate
// or an inverted line), parity errors, overruns and breaks.
#pragma once

#include <cstdint>
#include <optional>

namespace quadrel {

struct LineErrorCounts {
    std::uint64_t framing = 0, parity = 0, overrun = 0, breaks = 0;
    std::uint64_t total() const { return framing + parity + overrun + breaks; }
    bool operator==(const LineErrorCounts&) const = default;
};

enum class LowLatency {
    NotAsked,   // no port open, or not a device the driver tunes
    On,         // switched on for as long as the port is held
    AlreadyOn,  // the driver had it on already
    Refused,    // the driver does not offer it
};

// The driver requests, behind a seam: the system's ioctls, or a test's.
class DriverRequests {
public:
    virtual ~DriverRequests() = default;
    // Each fails (false) where the driver does not offer it.
    virtual bool lowLatency(int fd, bool& on) = 0;
    virtual bool setLowLatency(int fd, bool on) = 0;
    virtual bool lineErrors(int fd, LineErrorCounts& counts) = 0;
};

// TIOCGSERIAL / TIOCSSERIAL (ASYNC_LOW_LATENCY) and TIOCGICOUNT.
DriverRequests& systemDriverRequests();

// One holding of a port: low latency asked for when it opens and the
// driver's own setting given back when it closes; line errors counted from
// the open.
class DriverTuning {
public:
    explicit DriverTuning(DriverRequests& requests = systemDriverRequests())
        : requests_(requests) {}
    ~DriverTuning() { close(); }
    DriverTuning(const DriverTuning&) = delete;
    DriverTuning& operator=(const DriverTuning&) = delete;

    void open(int fd);
    void close();

    LowLatency lowLatency() const { return lowLatency_; }
    // Since the open; nothing where the driver does not count them.
    std::optional<LineErrorCounts> lineErrors() const;

private:
    DriverRequests& requests_;
    int fd_ = -1;
    LowLatency lowLatency_ = LowLatency::NotAsked;
    std::optional<LineErrorCounts> atOpen_;
};

}  // namespace quadrel
