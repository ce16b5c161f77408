#include "serial/driver_tuning.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace quadrel {
namespace {

class SystemRequests : public DriverRequests {
public:
    bool lowLatency(int fd, bool& on) override {
        serial_struct s{};
        if (::ioctl(fd, TIOCGSERIAL, &s) != 0) return false;
        on = (s.flags & ASYNC_LOW_LATENCY) != 0;
        return true;
    }
    bool setLowLatency(int fd, bool on) override {
        serial_struct s{};
        if (::ioctl(fd, TIOCGSERIAL, &s) != 0) return false;
        s.flags = on ? (s.flags | ASYNC_LOW_LATENCY) : (s.flags & ~ASYNC_LOW_LATENCY);
        return ::ioctl(fd, TIOCSSERIAL, &s) == 0;
    }
    bool lineErrors(int fd, LineErrorCounts& counts) override {
        serial_icounter_struct c{};
        if (::ioctl(fd, TIOCGICOUNT, &c) != 0) return false;
        const auto n = [](int v) { return static_cast<std::uint64_t>(v < 0 ? 0 : v); };
        counts = {n(c.frame), n(c.parity), n(c.overrun) + n(c.buf_overrun), n(c.brk)};
        return true;
    }
};

}  // namespace

DriverRequests& systemDriverRequests() {
    static SystemRequests requests;
    return requests;
}

void DriverTuning::open(int fd) {
    close();
    fd_ = fd;
    bool on = false;
    if (!requests_.lowLatency(fd, on))
        lowLatency_ = LowLatency::Refused;
    else if (on)
        lowLatency_ = LowLatency::AlreadyOn;
    else
        lowLatency_ = requests_.setLowLatency(fd, true) ? LowLatency::On : LowLatency::Refused;
    LineErrorCounts counts;
    atOpen_.reset();
    if (requests_.lineErrors(fd, counts)) atOpen_ = counts;
}

void DriverTuning::close() {
    // Only what was switched on here goes back; a setting that was on
    // already is the driver's or another program's.
    if (fd_ >= 0 && lowLatency_ == LowLatency::On) requests_.setLowLatency(fd_, false);
    fd_ = -1;
    lowLatency_ = LowLatency::NotAsked;
    atOpen_.reset();
}

std::optional<LineErrorCounts> DriverTuning::lineErrors() const {
    LineErrorCounts now;
    if (fd_ < 0 || !atOpen_ || !requests_.lineErrors(fd_, now)) return std::nullopt;
    // The driver's counters run from boot; a reset of them counts from 0.
    const auto since = [](std::uint64_t n, std::uint64_t then) { return n >= then ? n - then : n; };
    return LineErrorCounts{since(now.framing, atOpen_->framing), since(now.parity, atOpen_->parity),
                           since(now.overrun, atOpen_->overrun),
                           since(now.breaks, atOpen_->breaks)};
}

}  // namespace quadrel
