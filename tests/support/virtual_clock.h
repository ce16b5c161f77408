// Time for tests: deadlines fall due only when the test moves the clock, so
// every watchdog test is exact and never sleeps.
#pragma once

#include <cstdint>
#include <functional>

#include "receiver/deadline.h"

namespace quadrel::testing {

class VirtualClock {
public:
    // `advance` runs what fell due by the time given: a Receiver's or a
    // Program's.
    explicit VirtualClock(std::function<void(Time)> advance) : advance_(std::move(advance)) {}

    void advance(std::int64_t ms) {
        now_ += std::chrono::milliseconds(ms);
        advance_(now_);
    }
    Time now() const { return now_; }

private:
    std::function<void(Time)> advance_;
    Time now_{0};
};

}  // namespace quadrel::testing
