#include "link/frame_clock.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quadrel {
namespace {

// What the host's own scheduling adds to arrival times.
constexpr double kSchedulingUs = 1500;
// Trial periods: every frame rate an interface may send, and slower ones;
// eight channels and a sync pulse take 10 ms at the least.
constexpr double kShortestTrialUs = 10'000, kLongestTrialUs = 100'000, kTrialStepUs = 10;
// The most of the period that the band of arrival times may take.
constexpr double kWidestBandShare = 0.7;
// Frames that may fall outside the band: a late read, a busy host.
constexpr int kOutlierShare = 10;  // one in ten
// Frames the band is judged against to place the next tick: a few only,
// so that a clock drifting slowly with the sticks is followed.
constexpr int kPhaseFrames = 16;

// However far apart two frames are, a count that fits.
int ticksOf(double ticks) {
    return ticks >= 0 ? static_cast<int>(std::min(ticks, 1e8)) : 0;  // NaN too
}

// The narrowest arc of the circle of `period` that holds all but `allowed`
// of the times folded over it, or the whole circle when no arc of `band`
// does.
template <std::size_t N>
double foldedSpread(const std::array<double, N>& at, std::size_t n, double period, int allowed,
                    double band) {
    std::array<double, N> folded;
    // Times are never negative: the remainder by a multiply, many times
    // cheaper than fmod.
    const double perPeriod = 1 / period;
    for (std::size_t i = 0; i < n; ++i) {
        const double r = at[i] - std::floor(at[i] * perPeriod) * period;
        folded[i] = r < 0 ? 0 : r >= period ? 0 : r;
    }
    const std::size_t held = n - static_cast<std::size_t>(allowed);
    // Most trial periods scatter the times all round: counted by sectors,
    // no run of sectors as long as the band holds enough of them.
    constexpr int kSectors = 32;
    std::array<int, kSectors> sectors{};
    for (std::size_t i = 0; i < n; ++i)
        ++sectors[std::clamp(static_cast<int>(folded[i] / period * kSectors), 0, kSectors - 1)];
    const int run = std::min(kSectors, static_cast<int>(band / period * kSectors) + 2);
    int most = 0;
    for (int first = 0; first < kSectors; ++first) {
        int inRun = 0;
        for (int i = 0; i < run; ++i) inRun += sectors[(first + i) % kSectors];
        most = std::max(most, inRun);
    }
    if (most < static_cast<int>(held)) return period;
    std::sort(folded.begin(), folded.begin() + static_cast<std::ptrdiff_t>(n));
    double narrowest = period;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = i + held - 1;  // the arc's last time, around the circle
        const double arc = j < n ? folded[j] - folded[i] : folded[j - n] + period - folded[i];
        narrowest = std::min(narrowest, arc);
    }
    return narrowest;
}

}  // namespace

FrameClock::Tick FrameClock::frame(std::int64_t atUs, double granularityUs) {
    Tick tick;
    // Frames that overlap can end out of order; time does not go back.
    if (count_ > 0) atUs = std::max(atUs, back(0).atUs);
    if (count_ > 0) {
        const bool wasFitted = fitted_;
        // Folding is costly: twice a second. Until the first fold, the
        // usual interval of the frames so far.
        if (granularityUs >= 0 && count_ >= kFitFrames &&
            (!foldTried_ || atUs - lastFitUs_ >= kRefitUs))
            fit(atUs, granularityUs);
        if (!foldTried_) periodUs_ = usualInterval(atUs, false);
        granularityUs_ = granularityUs;
        const Seen last = back(0);
        tick.ticks = ticksTo(atUs);
        if (tick.ticks > 0)
            tick.lateUs = static_cast<double>(atUs - last.atUs) - tick.ticks * periodUs_;
        tick.index = last.index + tick.ticks;
        if (fitted_ && !wasFitted) {
            tick.index = recount(atUs);
            tick.ticks =
                static_cast<int>(std::clamp<std::int64_t>(tick.index - last.index, 0, 100'000'000));
        }
    }
    seen_[count_++ % kKept] = Seen{atUs, tick.index};
    // A frame held back past the next tick, and the one after it, stand off
    // the line.
    if (fitted_ && tick.ticks == 1) regress(atUs, tick.index);
    return tick;
}

void FrameClock::regress(std::int64_t atUs, std::int64_t index) {
    // The fold finds the period to a few microseconds; the line through
    // all frames since it was found, to a fraction of one. A period that
    // changed starts the line afresh.
    if (line_.n > 0 && std::abs(line_.slope() - foldedUs_) > foldedUs_ * 0.005) line_ = Line();
    if (line_.n == 0) line_.baseUs = atUs, line_.baseIndex = index;
    const double k = static_cast<double>(index - line_.baseIndex);
    const double t = static_cast<double>(atUs - line_.baseUs);
    line_.n += 1, line_.k += k, line_.t += t, line_.kk += k * k, line_.kt += k * t;
    if (line_.n >= 2 * kFitFrames && line_.slope() > 0) periodUs_ = line_.slope();
}

double FrameClock::Line::slope() const {
    const double spread = n * kk - k * k;
    return spread > 0 ? (n * kt - k * t) / spread : 0;
}

int FrameClock::ticksTo(std::int64_t atUs) const {
    if (count_ == 0) return 0;
    if (periodUs_ <= 0) return 1;
    const Seen& last = back(0);
    const double since = static_cast<double>(atUs - last.atUs);
    if (!fitted_) {
        // No band to place ticks by. Where the delivery shows single frames
        // (an interface that jitters), the interval tells; where it does not
        // or is not known yet, only a gap longer than it holds bytes back.
        if (granularityUs_ < 0) return 1;
        // Jitter can make an interval half as long again: a lost frame
        // only from two thirds on.
        if (granularityUs_ * 2 < periodUs_)
            return std::max(1, ticksOf(std::floor(since / periodUs_ + 1.0 / 3)));
        return std::max(1, ticksOf(std::round((since - granularityUs_) / periodUs_)));
    }
    // Counted from the clock's ticks, not from the last frame: a frame held
    // back past the next tick makes the one after it look early, and the
    // count comes right again.
    const double index = std::floor((atUs - tickZero() + kSchedulingUs) / periodUs_);
    return ticksOf(index - static_cast<double>(last.index));
}

double FrameClock::tickZero() const {
    // Where the last frames put tick 0. Arrivals are late, never early, so
    // the earliest is nearest the truth; one given a tick too many (held
    // back past the next tick) stands a period early and is left out.
    std::array<double, kPhaseFrames> zero;
    const int n = std::min(kept(), kPhaseFrames);
    for (int i = 0; i < n; ++i)
        zero[static_cast<std::size_t>(i)] =
            static_cast<double>(back(i).atUs) - static_cast<double>(back(i).index) * periodUs_;
    std::array<double, kPhaseFrames> sorted = zero;
    std::nth_element(sorted.begin(), sorted.begin() + n / 2, sorted.begin() + n);
    const double lowest =
        sorted[static_cast<std::size_t>(n / 2)] - std::max(0.0, granularityUs_) - kSchedulingUs;
    double earliest = std::numeric_limits<double>::infinity();
    for (int i = 0; i < n; ++i)
        if (zero[static_cast<std::size_t>(i)] >= lowest)
            earliest = std::min(earliest, zero[static_cast<std::size_t>(i)]);
    return earliest;
}

double FrameClock::intoBand(std::int64_t refUs, int frames) const {
    // The arrivals of the last frames, folded over the period, lie in one
    // band that starts at the true ticks: arrivals are late, never early.
    // The band starts after the widest gap around the circle.
    std::array<double, kKept + 1> phases;
    std::size_t n = 0;
    phases[n++] = 0;  // `refUs` itself
    for (int i = 0; i < std::min(kept(), frames); ++i) {
        const double r = std::fmod(static_cast<double>(back(i).atUs - refUs), periodUs_);
        phases[n++] = r < 0 ? r + periodUs_ : r;
    }
    std::sort(phases.begin(), phases.begin() + static_cast<std::ptrdiff_t>(n));
    double start = phases[0], widest = phases[0] + periodUs_ - phases[n - 1];
    for (std::size_t i = 1; i < n; ++i)
        if (phases[i] - phases[i - 1] > widest)
            widest = phases[i] - phases[i - 1], start = phases[i];
    return std::fmod(periodUs_ - start, periodUs_);
}

std::int64_t FrameClock::recount(std::int64_t atUs) {
    // The frames of the last two seconds were given their ticks before the
    // clock was found: count the ticks from the oldest of them again, and
    // place them on the clock for the frames to come.
    int oldest = 0;
    while (oldest + 1 < kept() && atUs - back(oldest + 1).atUs <= kFitSpanUs) ++oldest;
    const double into = intoBand(atUs, oldest + 1);
    const auto tickOf = [&](std::int64_t t) {
        return static_cast<std::int64_t>(std::clamp(
            std::floor((static_cast<double>(t - atUs) + into + kSchedulingUs) / periodUs_), -1e12,
            1e12));
    };
    const std::int64_t now = back(oldest).index + tickOf(atUs) - tickOf(back(oldest).atUs);
    for (int i = 0; i <= oldest; ++i)
        seen_[(count_ - 1 - static_cast<unsigned>(i)) % kKept].index =
            now + tickOf(back(i).atUs) - tickOf(atUs);
    return now;
}

double FrameClock::usualInterval(std::int64_t atUs, bool leavingGapsOut) const {
    std::array<double, kKept> intervals;
    std::size_t n = 0;
    for (std::int64_t later = atUs; static_cast<int>(n) < kept(); ++n) {
        const std::int64_t earlier = back(static_cast<int>(n)).atUs;
        if (atUs - earlier > kFitSpanUs) break;
        intervals[n] = static_cast<double>(later - earlier);
        later = earlier;
    }
    if (n == 0) return periodUs_;
    double limit = std::numeric_limits<double>::infinity();
    if (leavingGapsOut) {
        // The mean of the intervals up to half as long again as the median:
        // jitter averages out, lost frames do not count.
        std::array<double, kKept> sorted = intervals;
        std::nth_element(sorted.begin(), sorted.begin() + n / 2, sorted.begin() + n);
        limit = sorted[n / 2] * 1.5;
    }
    double sum = 0;
    std::size_t used = 0;
    for (std::size_t i = 0; i < n; ++i)
        if (intervals[i] <= limit) sum += intervals[i], ++used;
    return used > 0 ? sum / static_cast<double>(used) : periodUs_;
}

void FrameClock::fit(std::int64_t atUs, double granularityUs) {
    lastFitUs_ = atUs;
    // The arrivals of the last two seconds, this one first, relative to it.
    std::array<double, kKept + 1> at;
    std::size_t n = 0;
    at[n++] = 0;
    for (int i = 0; i < kept() && atUs - back(i).atUs <= kFitSpanUs; ++i)
        at[n++] = static_cast<double>(atUs - back(i).atUs);
    // Too few of late (after a gap): the clock stays as it was.
    if (static_cast<int>(n) < kFitFrames) return;
    foldTried_ = true;
    const double band = granularityUs + kSchedulingUs;
    const int allowed = static_cast<int>(n) / kOutlierShare;
    double best = 0;
    {
        // Frames come no more often than the clock ticks, so its period is
        // at most their mean interval; arrival times bunched by a coarse
        // delivery fold well over its multiples too, which this rules out.
        // From there down, the first band found is the true period's, not
        // one of its fractions. The band holds over a few trial steps
        // around it: the middle of them is taken.
        const double longest =
            std::min(kLongestTrialUs, at[n - 1] / static_cast<double>(n - 1) * 1.01 + kTrialStepUs);
        double first = 0;
        // A band wider than most of the period leaves too narrow a gap to
        // tell the ticks apart by, whatever the host adds.
        const double shortest = std::max(kShortestTrialUs, band / kWidestBandShare);
        for (double p = longest; p > shortest; p -= kTrialStepUs) {
            if (foldedSpread(at, n, p, allowed, band) <= band) {
                if (first == 0) first = p;
                best = (first + p) / 2;
            } else if (first > 0) {
                break;
            }
        }
    }
    // On a true clock most frames follow the one before on the next tick;
    // a period that puts a tick or more between nearly all of them is a
    // pattern in the intervals, not the interface's clock.
    if (best > 0) {
        int next = 0;
        for (std::size_t i = 0; i + 1 < n; ++i)
            next += std::lround((at[i + 1] - at[i]) / best) == 1;
        if (next * 3 < static_cast<int>(n - 1)) best = 0;
    }
    fitted_ = best > 0;
    if (fitted_) {
        foldedUs_ = best;
        periodUs_ = line_.n >= 2 * kFitFrames && std::abs(line_.slope() - best) <= best * 0.005
                        ? line_.slope()
                        : best;
    } else {
        line_ = Line();
        // No band: a jittering interface, or a delivery too coarse to show
        // the ticks. Its usual interval then; a coarse delivery bunches
        // frames up, so that only the mean of all intervals is true.
        const double usual = usualInterval(atUs, true);
        periodUs_ = granularityUs * 2 < usual ? usual : usualInterval(atUs, false);
    }
}

}  // namespace quadrel
