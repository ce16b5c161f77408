// Time as the core counts it, from the program's start, and a one-shot
// timer held as the time it falls due. Whoever drives the core (a QTimer,
// a test's virtual clock) asks for the next due time and reports when it
// has come; nothing is polled.
#pragma once

#include <chrono>
#include <optional>

namespace quadrel {

using Time = std::chrono::microseconds;

class Deadline {
public:
    explicit constexpr Deadline(Time interval) : interval_(interval) {}

    // Starts the interval afresh.
    void restart(Time now) { due_ = now + interval_; }
    // Starts it unless it is running already: a running one keeps its time.
    void start(Time now) {
        if (!due_) restart(now);
    }
    void stop() { due_.reset(); }

    bool running() const { return due_.has_value(); }
    std::optional<Time> due() const { return due_; }
    bool dueBy(Time now) const { return due_ && *due_ <= now; }

private:
    Time interval_;
    std::optional<Time> due_;
};

// The earlier of two due times; nothing when neither is due.
inline std::optional<Time> earlier(std::optional<Time> a, std::optional<Time> b) {
    if (!a) return b;
    if (!b) return a;
    return std::min(*a, *b);
}

}  // namespace quadrel
