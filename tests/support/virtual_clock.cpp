#include "virtual_clock.h"

namespace quadrel::testing {

void VirtualClock::add(TimerState& timer, std::function<void()> onTick) {
    entries_.push_back({&timer, std::move(onTick), timer.starts(), now_ + timer.Interval()});
}

void VirtualClock::sync() {
    for (auto& e : entries_) {
        const bool restarted = e.timer->starts() != e.seenStarts;
        if (restarted) e.due = now_ + e.timer->Interval();
        e.seenStarts = e.timer->starts();
    }
}

void VirtualClock::advance(std::int64_t ms) {
    const std::int64_t target = now_ + ms;
    sync();
    while (true) {
        Entry* next = nullptr;
        for (auto& e : entries_)
            if (e.timer->Enabled() && e.timer->Interval() > 0 && e.due <= target && (!next || e.due < next->due)) next = &e;
        if (!next) break;
        now_ = next->due;
        // A timer keeps ticking every interval until something stops it.
        next->due = now_ + next->timer->Interval();
        next->onTick();
        sync();
    }
    now_ = target;
}

}  // namespace quadrel::testing
