// Time for tests: timers run on a clock that moves only when the test says,
// so every watchdog test is exact and never sleeps.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "controls/control_state.h"

namespace quadrel::testing {

class VirtualClock {
public:
    // Drives `timer`: `onTick` runs each time its interval runs out.
    void add(TimerState& timer, std::function<void()> onTick);

    // Moves time on by `ms`, firing due timers in time order (ties in the
    // order the timers were added). Restarts made since the last call count
    // from the current time.
    void advance(std::int64_t ms);

    std::int64_t now() const { return now_; }

private:
    struct Entry {
        TimerState* timer;
        std::function<void()> onTick;
        std::uint64_t seenStarts;
        std::int64_t due;
    };
    void sync();

    std::vector<Entry> entries_;
    std::int64_t now_ = 0;
};

}  // namespace quadrel::testing
