#include "output_sink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quadrel::sim {

namespace {

std::string systemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

void pause(int ms) {
    if (ms > 0) ::poll(nullptr, 0, ms);
}

// Standard output or a file: plain blocking writes.
class StreamSink : public OutputSink {
public:
    StreamSink(int fd, bool ownsFd, std::string name)
        : fd_(fd), ownsFd_(ownsFd), name_(std::move(name)) {}
    ~StreamSink() override {
        if (ownsFd_) ::close(fd_);
    }

    Offered offer(std::span<const std::uint8_t> bytes, int) override {
        Offered result;
        while (result.taken < bytes.size()) {
            const ssize_t n =
                ::write(fd_, bytes.data() + result.taken, bytes.size() - result.taken);
            if (n >= 0) {
                result.taken += static_cast<std::size_t>(n);
                continue;
            }
            if (errno == EINTR) break;  // a signal: let the caller look at it
            result.closed = true;
            // A reader that went away ends the stream, as it does for any filter.
            if (errno != EPIPE) result.error = systemError("cannot write to " + name_);
            break;
        }
        return result;
    }

private:
    int fd_;
    bool ownsFd_;
    std::string name_;
};

// A pseudo-terminal's master side or a serial device, written without
// blocking: what does not fit is left to the caller.
class TerminalSink : public OutputSink {
public:
    TerminalSink(int fd, bool isPty, std::string name)
        : fd_(fd), isPty_(isPty), name_(std::move(name)) {}
    ~TerminalSink() override { ::close(fd_); }

    Offered offer(std::span<const std::uint8_t> bytes, int waitMs) override {
        Offered result;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, waitMs) < 0) return result;  // interrupted
        if (p.revents & (POLLHUP | POLLERR)) {
            if (!isPty_) {
                result.closed = true;
                result.error = name_ + " hung up";
                return result;
            }
            // No reader on the pty: what it would buffer now would reach the
            // next reader stale, so send nothing, and forget what is queued.
            if (!readerGone_) ::tcflush(fd_, TCIOFLUSH);
            readerGone_ = true;
            pause(waitMs);
            return result;
        }
        readerGone_ = false;
        if (!(p.revents & POLLOUT)) return result;
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n >= 0) {
            result.taken = static_cast<std::size_t>(n);
        } else if (errno != EAGAIN && errno != EINTR && !(isPty_ && errno == EIO)) {
            result.closed = true;
            result.error = systemError("cannot write to " + name_);
        }
        return result;
    }

    void finish(int maxWaitMs, const std::function<bool()>& stopped) override {
        if (!isPty_) {
            ::tcdrain(fd_);  // the device sends what it holds
            return;
        }
        // Closing the master takes unread bytes away from the reader: wait
        // until it has read them, or has gone.
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 0) < 0 || (p.revents & POLLHUP)) return;
        const int look = ::open(name_.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (look < 0) return;
        // Written bytes reach the reader's queue a moment later, so the queue
        // must stay empty for a while before all is taken to be read; a queue
        // that does not shrink for a second has no reader taking from it.
        constexpr int kStepMs = 20;
        constexpr int kSteadySteps = 5;
        constexpr int kStalledSteps = 50;
        int emptySteps = 0, stalledSteps = 0, lastUnread = -1;
        for (int waited = 0; waited < maxWaitMs && !stopped(); waited += kStepMs) {
            int unread = 0;
            if (::ioctl(look, FIONREAD, &unread) != 0) break;
            emptySteps = unread == 0 ? emptySteps + 1 : 0;
            stalledSteps = unread > 0 && unread == lastUnread ? stalledSteps + 1 : 0;
            if (emptySteps >= kSteadySteps || stalledSteps >= kStalledSteps) break;
            lastUnread = unread;
            pause(kStepMs);
        }
        ::close(look);
    }

private:
    int fd_;
    bool isPty_;
    std::string name_;
    bool readerGone_ = false;
};

OpenedOutput openPty() {
    OpenedOutput out;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) {
        out.error = systemError("cannot create a pseudo-terminal");
        return out;
    }
    char path[128];
    termios raw{};
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 ||
        ::ptsname_r(master, path, sizeof path) != 0 || ::tcgetattr(master, &raw) != 0) {
        out.error = systemError("cannot set up the pseudo-terminal");
        ::close(master);
        return out;
    }
    // Bytes pass untouched: no echo, no line editing, no flow control.
    ::cfmakeraw(&raw);
    ::tcsetattr(master, TCSANOW, &raw);
    // Open and close the device side once, so that the master reports a
    // hang-up until a reader opens it; until then nothing is written.
    const int probe = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (probe >= 0) ::close(probe);
    out.sink = std::make_unique<TerminalSink>(master, true, path);
    out.ptyPath = path;
    return out;
}

speed_t speedFor(int baud) {
    static const std::pair<int, speed_t> speeds[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const auto& [rate, speed] : speeds)
        if (rate == baud) return speed;
    return B0;
}

OpenedOutput openDevice(const std::string& path, const LineSettings& line) {
    OpenedOutput out;
    const speed_t speed = speedFor(line.baud);
    if (speed == B0) {
        out.error = "a serial device cannot run at " + std::to_string(line.baud) + " baud";
        return out;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        out.error = systemError("cannot open " + path);
        return out;
    }
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        out.error = systemError(path + " is not a serial device");
        ::close(fd);
        return out;
    }
    ::cfmakeraw(&t);
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= sizes[line.dataBits - 5] | CLOCAL | CREAD;
    switch (line.parity) {
        case Parity::Even:
            t.c_cflag |= PARENB;
            break;
        case Parity::Odd:
            t.c_cflag |= PARENB | PARODD;
            break;
        case Parity::Mark:
            t.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::Space:
            t.c_cflag |= PARENB | CMSPAR;
            break;
        case Parity::None:
            break;
    }
    // termios has no 1.5 stop bits of its own: with five data bits the
    // two-stop-bit setting gives one and a half.
    if (line.stopBits != StopBits::One) t.c_cflag |= CSTOPB;
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        out.error = systemError("cannot set " + formatLineSettings(line) + " on " + path);
        ::close(fd);
        return out;
    }
    out.sink = std::make_unique<TerminalSink>(fd, false, path);
    return out;
}

}  // namespace

OpenedOutput openOutput(const OutputTarget& target, const LineSettings& line) {
    OpenedOutput out;
    switch (target.kind) {
        case OutputKind::Pty:
            return openPty();
        case OutputKind::Stdout:
            out.sink = std::make_unique<StreamSink>(STDOUT_FILENO, false, "standard output");
            return out;
        case OutputKind::File: {
            const int fd =
                ::open(target.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                out.error = systemError("cannot open " + target.path);
            else
                out.sink = std::make_unique<StreamSink>(fd, true, target.path);
            return out;
        }
        case OutputKind::Device:
            return openDevice(target.path, line);
    }
    return out;
}

}  // namespace quadrel::sim
