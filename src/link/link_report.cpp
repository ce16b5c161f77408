// The report: the figures over the last second and the last ten seconds,
// each channel's, the last bytes, and the verdict.
#include <algorithm>
#include <cmath>

#include "link/link_monitor.h"

namespace quadrel {
namespace {
constexpr int kRestSpread = 3;  // a value that moves less than this in a second is at rest
}  // namespace

std::string lowLatencyText(LowLatency state) {
    switch (state) {
        case LowLatency::On:
            return "on";
        case LowLatency::AlreadyOn:
            return "on already";
        case LowLatency::Refused:
            return "not offered";
        case LowLatency::NotAsked:
            break;
    }
    return "-";
}

std::string lineErrorsText(const LineErrorFigures& e) {
    if (!e.reported) return "not reported by this adapter";
    const LineErrorCounts& c = e.counts;
    return "framing " + std::to_string(c.framing) + ", parity " + std::to_string(c.parity) +
           ", overrun " + std::to_string(c.overrun) + ", break " + std::to_string(c.breaks);
}

LinkReport LinkMonitor::report(std::int64_t nowUs) const {
    LinkReport r;
    constexpr std::int64_t kWindowUs = kBuckets * kBucketUs;
    r.seconds = static_cast<double>(nowUs - resetAt_) / 1e6;
    r.windowSeconds = std::min(r.seconds, kWindowUs / 1e6);
    r.silenceSeconds =
        static_cast<double>(nowUs - (lastByteAt_ >= 0 ? lastByteAt_ : resetAt_)) / 1e6;
    // The buckets of the last second: the current one counts only as far as
    // it has run.
    const Sums second = sum(nowUs, 1'000'000);
    const double covered = static_cast<double>(1'000'000 - kBucketUs + nowUs % kBucketUs) / 1e6;
    const double span = std::max(0.1, std::min(r.seconds, covered));
    r.bytesPerSecond = static_cast<double>(second.bytes) / span;
    for (int k = 0; k < 3; ++k)
        r.framesPerSecondByKind[static_cast<std::size_t>(k)] =
            static_cast<double>(second.frames[static_cast<std::size_t>(k)]) / span;
    r.channels = channels_;
    r.channelCountChanges = channelChanges_;
    r.bytes = bytes_, r.frames = frames_, r.lostBytes = lostBytes_, r.shortFrames = shortFrames_;
    r.syncLikeValues = syncLike_, r.glitches = glitches_, r.strayFrames = stray_;
    r.lowLatency = lowLatency_;
    r.lineErrors.reported = driver_.has_value();
    r.lineErrors.counts = driver_.value_or(LineErrorCounts{});
    r.delivery = delivery_.figures();

    // The frames of the last ten seconds, newest first; whole frames a
    // second from those of the last second, which counts do not give:
    // 44.4 frames/s is a frame every 22.5 ms.
    std::vector<FrameSeen> recent;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(seenCount_, kFrames); ++i) {
        const FrameSeen& f = seen_[(seenCount_ - 1 - i) % kFrames];
        if (f.atUs <= nowUs - kWindowUs) break;
        recent.push_back(f);
    }
    double lastSecondMs = 0;
    int lastSecond = 0;
    std::int64_t firstTickInSecond = 0;
    for (const FrameSeen& f : recent)
        if (f.atUs > nowUs - 1'000'000) {
            firstTickInSecond = f.tick;
            if (f.afterAnother) lastSecondMs += f.intervalMs, ++lastSecond;
        }
    if (clock_.fitted() && lastSecond > 0) {
        // On the clock's ticks, which arrival times blur by the delivery.
        const double ticks = static_cast<double>(recent.front().tick - firstTickInSecond);
        r.framesPerSecond =
            ticks > 0 ? 1e6 / clock_.periodUs() * std::min(1.0, lastSecond / ticks) : 0;
    } else {
        r.framesPerSecond = lastSecond > 0 && lastSecondMs > 0
                                ? 1000.0 * lastSecond / lastSecondMs
                                : static_cast<double>(second.allFrames()) / span;
    }

    ClockFigures& c = r.clock;
    c.periodMs = clock_.periodUs() / 1000;
    c.fitted = clock_.fitted();
    const Sums ten = sum(nowUs, kWindowUs);
    if (!recent.empty()) {
        const std::int64_t ticks = recent.front().tick - recent.back().tick + 1;
        c.expected = static_cast<std::uint64_t>(std::max<std::int64_t>(ticks, 0));
        const std::uint64_t came = recent.size() + ten.excused;
        c.lost = c.expected > came ? c.expected - came : 0;
        const std::int64_t all = seen_[(seenCount_ - 1) % kFrames].tick - firstTick_ + 1;
        const std::uint64_t cameAll = frames_ + excused_;
        c.lostSinceReset = static_cast<std::uint64_t>(all) > cameAll
                               ? static_cast<std::uint64_t>(all) - cameAll
                               : 0;
    }

    IntervalFigures& f = r.intervals;
    f.lateMs = std::max(r.delivery.granularityMs, 1.0) + 5;
    std::vector<float> intervals;
    int late = 0;
    for (const FrameSeen& s : recent) {
        if (!s.afterAnother) continue;
        intervals.push_back(s.intervalMs);
        if (s.ticks > 0 && s.lateMs > f.lateMs) ++late;
    }
    f.count = static_cast<int>(intervals.size());
    if (!intervals.empty()) {
        f.lastMs = intervals.front();
        double total = 0;
        for (float ms : intervals) {
            total += ms;
            const int bin = std::clamp(static_cast<int>(ms / IntervalFigures::kBinMs), 0,
                                       IntervalFigures::kBins - 1);
            ++f.histogram[static_cast<std::size_t>(bin)];
        }
        f.meanMs = total / static_cast<double>(intervals.size());
        std::sort(intervals.begin(), intervals.end());
        f.minMs = intervals.front();
        f.maxMs = intervals.back();
        f.p99Ms =
            intervals[std::min(intervals.size() - 1,
                               static_cast<std::size_t>(std::ceil(intervals.size() * 0.99)) - 1)];
        f.lateShare = static_cast<double>(late) / static_cast<double>(intervals.size());
    }

    for (int k = 0; k < 8; ++k) {
        const ChannelTrack& t = track_[static_cast<std::size_t>(k)];
        ChannelFigures ch;
        ch.seen = t.count > 0;
        ch.min = ch.seen ? t.lowest : 0;
        ch.max = ch.seen ? t.highest : 0;
        ch.last = t.last;
        ch.glitches = static_cast<int>(t.glitches);
        ch.syncLike = static_cast<int>(t.syncLike);
        int lo = 256, hi = -1, samples = 0;
        const std::uint32_t kept = std::min<std::uint32_t>(t.count, kHistory);
        for (std::uint32_t i = 0; i < kept; ++i) {
            const std::size_t at = (t.count - 1 - i) % kHistory;
            if (t.historyAt[at] <= nowUs - 1'000'000) break;
            lo = std::min<int>(lo, t.history[at]), hi = std::max<int>(hi, t.history[at]), ++samples;
        }
        ch.noise = samples >= 2 && hi - lo < kRestSpread ? hi - lo : -1;
        r.channel[static_cast<std::size_t>(k)] = ch;
    }

    for (std::uint64_t i = bytes_ > kRecentBytes ? bytes_ - kRecentBytes : 0; i < bytes_; ++i)
        r.recent.push_back(at(i).raw);
    judge(r, nowUs);
    return r;
}

}  // namespace quadrel
