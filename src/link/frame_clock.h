// The clock an interface sends its frames by, found from when they arrive.
// An adapter hands bytes over late, never early, by up to its granularity
// (a 16 ms latency timer holds them up to 16 ms), so arrival times scatter
// above the true ticks. Folding the arrival times of the last two seconds
// over a trial period gathers them into one narrow band only at the true
// period (or a fraction of it); the largest period that does so is the
// clock's. Each frame is then given its tick: frames that never came leave
// ticks empty, and those are the frames lost.
#pragma once

#include <array>
#include <cstdint>

namespace quadrel {

class FrameClock {
public:
    struct Tick {
        std::int64_t index = 0;  // ticks since the first frame; a tick may repeat
        int ticks = 0;           // since the frame before: 1 on time, 0 crowded, 2+ after a loss
        double lateUs = 0;       // after the tick the frame before puts it at
    };

    void reset() { *this = FrameClock(); }
    // A frame whose last byte arrived at `atUs`, by a delivery that may
    // hold bytes back up to `granularityUs` (negative while that is not
    // known: the frames are not folded until it is).
    Tick frame(std::int64_t atUs, double granularityUs);

    // The ticks from the last frame to one arriving at `atUs`, as frame()
    // would count them.
    int ticksTo(std::int64_t atUs) const;

    // The period, 0 before two frames; fitted once the fold has found it,
    // else the usual interval between frames.
    double periodUs() const { return periodUs_; }
    bool fitted() const { return fitted_; }

private:
    static constexpr int kKept = 128;  // the fold takes these and the new frame
    static constexpr std::int64_t kFitSpanUs = 2'000'000;
    static constexpr std::int64_t kRefitUs = 500'000;
    static constexpr int kFitFrames = 12;

    struct Seen {
        std::int64_t atUs = 0;
        std::int64_t index = 0;
    };
    const Seen& back(int i) const { return seen_[(count_ - 1 - static_cast<unsigned>(i)) % kKept]; }
    int kept() const { return count_ < kKept ? static_cast<int>(count_) : kKept; }
    // Both over the frames of the last two seconds before `atUs`.
    void fit(std::int64_t atUs, double granularityUs);
    double usualInterval(std::int64_t atUs, bool leavingGapsOut) const;
    // How far `refUs` lies into the band of the last `frames` arrivals.
    double intoBand(std::int64_t refUs, int frames) const;
    // The last two seconds' frames placed anew on a clock just found; the
    // index of a frame arriving at `atUs` on it.
    std::int64_t recount(std::int64_t atUs);
    // The time of tick 0 as the last frames place it.
    double tickZero() const;

    std::array<Seen, kKept> seen_{};
    unsigned count_ = 0;
    void regress(std::int64_t atUs, std::int64_t index);

    double periodUs_ = 0;
    double foldedUs_ = 0;  // as the last fold found it
    // The least-squares line through the arrivals against their ticks.
    struct Line {
        std::int64_t baseUs = 0, baseIndex = 0;
        double n = 0, k = 0, t = 0, kk = 0, kt = 0;
        double slope() const;
    };
    Line line_;
    double granularityUs_ = -1;
    bool fitted_ = false;
    bool foldTried_ = false;
    std::int64_t lastFitUs_ = 0;
};

}  // namespace quadrel
