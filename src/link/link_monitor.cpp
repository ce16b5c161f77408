#include "link/link_monitor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quadrel {
namespace {

// Real interfaces send a frame every 18 to 22.5 ms: 44 to 56 frames a second.
constexpr double kSlowestFps = 40, kFastestFps = 60;
constexpr double kLateMs = 5;             // later than the usual interval by this much
constexpr double kIrregularShare = 0.10;  // of the frames late: irregular
constexpr std::int64_t kSilenceMs = 1000;
// No frame for this long and the program shows its no-signal state.
constexpr double kDropoutMs = 500;
constexpr int kGlitchJump = 10;    // a stick cannot jump this far and back in one frame
constexpr int kRestSpread = 3;     // a value that moves less than this in a second is at rest
constexpr int kStickChannels = 4;  // every transmitter sends at least its two sticks

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[200];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// 1920 -> "1,920"
std::string thousands(double value) {
    const long long n = std::llround(value);
    return n >= 1000 ? format("%lld,%03lld", n / 1000, n % 1000) : format("%lld", n);
}

int kindIndex(FrameKind kind) {
    return kind == FrameKind::Standard ? 0 : kind == FrameKind::Variant ? 1 : 2;
}

}  // namespace

void LinkMonitor::reset(std::int64_t nowMs) {
    std::string away = std::move(portAway_);  // still true after a reset
    *this = LinkMonitor();
    portAway_ = std::move(away);
    resetAt_ = nowMs;
    setTime(nowMs);
}

void LinkMonitor::setTime(std::int64_t nowMs) {
    now_ = nowMs;
    bucketStart_ = now_ - now_ % kBucketMs;
    bucketSlot_ = static_cast<std::size_t>((bucketStart_ / kBucketMs) % kBuckets);
}

LinkMonitor::Bucket& LinkMonitor::bucket() {
    Bucket& b = buckets_[bucketSlot_];
    if (b.start != bucketStart_) b = Bucket{bucketStart_};
    return b;
}

LinkMonitor::Window LinkMonitor::sum(std::int64_t nowMs, std::int64_t ms) const {
    Window w;
    for (const Bucket& b : buckets_) {
        if (b.start < 0 || b.start <= nowMs - ms || b.start > nowMs) continue;
        w.bytes += b.bytes, w.lost += b.lost, w.glitches += b.glitches;
        w.steadyBytes += b.steadyBytes;
        for (int k = 0; k < 3; ++k) w.frames[k] += b.frames[k];
    }
    return w;
}

void LinkMonitor::byteReceived(std::uint8_t raw) {
    // The byte at the window's oldest place leaves it; if no frame took it,
    // it belonged to none.
    if (inWindow(0) && recentCount_ >= 10) {
        RawByte& leaving = recent_[(recentCount_ - 10) % kRecentBytes];
        if (leaving.role == ByteRole::Pending) {
            leaving.role = ByteRole::Outside;
            // Before the first frame the stream is only being joined.
            if (synced_) {
                ++lostBytes_;
                ++bucket().lost;
            }
        }
    }
    inWindow_ = static_cast<std::uint16_t>(inWindow_ >> 1 | 1u << 9);
    recent_[recentCount_++ % kRecentBytes] = RawByte{raw, ByteRole::Pending};
    ++bytes_;
    ++bucket().bytes;
    lastByteAt_ = now_;
}

void LinkMonitor::windowCleared() {
    // Calibration drops what follows the oldest byte: no frame will have it,
    // but it was not lost on the line either. Nor is the frame it drops late:
    // the next interval is not the link's, unless a silence led up to it.
    if (lastByteAt_ >= 0 && now_ - lastByteAt_ < kDropoutMs) lastFrameAt_ = -1;
    for (int p = 1; p < 10; ++p)
        if (inWindow(p)) markWindow(p, ByteRole::Outside);
    inWindow_ &= 1u;
    synced_ = false;
}

void LinkMonitor::markWindow(int position, ByteRole role) { markWindow(position, position + 1, role); }

void LinkMonitor::markWindow(int from, int to, ByteRole role) {
    const std::uint32_t oldest = recentCount_ - 10;  // where position 0 stands in recent_
    for (int p = from; p < to; ++p)
        if (inWindow(p) && recentCount_ >= static_cast<std::uint32_t>(10 - p))
            recent_[(oldest + static_cast<std::uint32_t>(p)) % kRecentBytes].role = role;
}

ByteRole LinkMonitor::roleInWindow(int position) const {
    if (!inWindow(position) || recentCount_ < static_cast<std::uint32_t>(10 - position))
        return ByteRole::Pending;
    return recent_[(recentCount_ - 10 + position) % kRecentBytes].role;
}

void LinkMonitor::frameDecoded(FrameKind kind, const DecodedFrame& frame, int length) {
    const int first = kind == FrameKind::Variant ? 2 : 1;
    // A sync that an earlier frame read as a channel (or skipped) makes a
    // frame out of that frame's bytes: a sync-like channel value, or bytes
    // that were never frames.
    const ByteRole was = roleInWindow(0);
    if (was == ByteRole::Channel || was == ByteRole::Unread) {
        ++stray_;
    } else {
        // Steady: a frame of its own, with at least the four stick channels,
        // as many as the frame of its own before. A line read at the wrong
        // baud rate or inverted gives few of them, whatever it decodes to.
        if (frame.presentChannels >= kStickChannels && frame.presentChannels == ownChannels_)
            bucket().steadyBytes += static_cast<std::uint32_t>(length);
        ownChannels_ = frame.presentChannels;
    }
    // The sync, the byte nobody reads, the channels, then whatever else the
    // frame takes.
    const int end = std::min(length, 10);
    const int listStart = std::min(first, end);
    const int listEnd = std::min(first + frame.presentChannels, end);
    markWindow(0, ByteRole::Sync);
    markWindow(1, listStart, ByteRole::Unread);
    markWindow(listStart, listEnd, ByteRole::Channel);
    markWindow(std::max(listStart, listEnd), end, ByteRole::Unread);
    // Only a frame with fewer than eight channels has its list ended by a
    // byte; after eight the next byte is not read.
    if (frame.presentChannels < 8 && first + frame.presentChannels < 10 &&
        kind != FrameKind::ZhenHua)
        markWindow(first + frame.presentChannels, ByteRole::EndMark);

    synced_ = true;
    ++frames_;
    ++bucket().frames[static_cast<std::size_t>(kindIndex(kind))];
    if (lastFrameAt_ >= 0) recordInterval(now_ - lastFrameAt_);
    lastFrameAt_ = now_;

    const int present = frame.presentChannels;
    if (frames_ > 1 && present != channels_) ++channelChanges_;
    usualRun_ = present == channels_ ? usualRun_ + 1 : 0;
    if (usualRun_ >= 3) usualChannels_ = present;
    if (present < usualChannels_) ++shortFrames_;
    channels_ = present;
    // Values the receiver will take for a sync when they reach the oldest place.
    const int syncLike = kind == FrameKind::Standard ? 239 : kind == FrameKind::Variant ? 239 : 256;
    for (int k = 0; k < present; ++k)
        if (frame.values[static_cast<std::size_t>(k)] >= syncLike) ++syncLike_;
    recordChannels(frame, present);
}

void LinkMonitor::recordInterval(std::int64_t ms) {
    const std::size_t i = intervalCount_++ % kIntervals;
    intervalAt_[i] = now_;
    intervalMs_[i] = static_cast<float>(ms);
}

void LinkMonitor::recordChannels(const DecodedFrame& frame, int present) {
    for (int k = 0; k < present; ++k) {
        const std::uint8_t v = frame.values[static_cast<std::size_t>(k)];
        ChannelTrack& t = track_[static_cast<std::size_t>(k)];
        t.lowest = std::min(t.lowest, v);
        t.highest = std::max(t.highest, v);
        t.history[t.count++ % kHistory] = Sample{now_, v};
        const int before = t.before, middle = t.middle;
        t.before = t.middle;
        t.middle = v;
        // The neighbours agree when they are far closer to each other than
        // to the middle, so that a glitch shows while the stick moves too.
        const int jump = std::min(std::abs(middle - before), std::abs(middle - v));
        if (jump >= kGlitchJump && std::abs(before - v) * 4 < jump && t.count >= 3) {
            ++t.glitches;
            ++glitches_;
            ++bucket().glitches;
        }
    }
}

LinkReport LinkMonitor::report(std::int64_t nowMs) const {
    LinkReport r;
    r.seconds = (nowMs - resetAt_) / 1000.0;
    r.silenceSeconds = (nowMs - (lastByteAt_ >= 0 ? lastByteAt_ : resetAt_)) / 1000.0;
    // The buckets of the last second: the current one counts only as far as
    // it has run.
    const Window second = sum(nowMs, 1000);
    const double covered = (1000 - kBucketMs + nowMs % kBucketMs) / 1000.0;
    const double span = std::max(0.1, std::min(r.seconds, covered));
    r.bytesPerSecond = second.bytes / span;
    for (int k = 0; k < 3; ++k)
        r.framesPerSecondByKind[static_cast<std::size_t>(k)] =
            second.frames[static_cast<std::size_t>(k)] / span;
    // Whole frames a second from the intervals of the last second, which
    // counts do not give: 44.4 frames/s is a frame every 22.5 ms.
    double lastSecondMs = 0;
    int lastSecondCount = 0;
    for (std::uint32_t i = 0; i < std::min<std::uint32_t>(intervalCount_, kIntervals); ++i) {
        const std::size_t at = (intervalCount_ - 1 - i) % kIntervals;
        if (intervalAt_[at] <= nowMs - 1000) break;
        lastSecondMs += intervalMs_[at], ++lastSecondCount;
    }
    r.framesPerSecond = lastSecondCount > 0 && lastSecondMs > 0
                            ? 1000.0 * lastSecondCount / lastSecondMs
                            : (second.frames[0] + second.frames[1] + second.frames[2]) / span;
    r.channels = channels_;
    r.channelCountChanges = channelChanges_;
    r.bytes = bytes_, r.frames = frames_, r.lostBytes = lostBytes_, r.shortFrames = shortFrames_;
    r.syncLikeValues = syncLike_, r.lineErrors = lineErrors_, r.glitches = glitches_;
    r.strayFrames = stray_;

    // Intervals of the last ten seconds.
    std::vector<float> recent;
    const std::uint32_t kept = std::min<std::uint32_t>(intervalCount_, kIntervals);
    for (std::uint32_t i = 0; i < kept; ++i) {
        const std::size_t at = (intervalCount_ - 1 - i) % kIntervals;
        if (intervalAt_[at] <= nowMs - kBuckets * kBucketMs) break;
        recent.push_back(intervalMs_[at]);
    }
    IntervalFigures& f = r.intervals;
    f.count = static_cast<int>(recent.size());
    if (!recent.empty()) {
        f.lastMs = recent.front();
        double total = 0;
        for (float ms : recent) {
            total += ms;
            const int bin = std::min(IntervalFigures::kBins - 1,
                                     static_cast<int>(ms / IntervalFigures::kBinMs));
            ++f.histogram[static_cast<std::size_t>(bin)];
        }
        f.meanMs = total / recent.size();
        std::sort(recent.begin(), recent.end());
        f.minMs = recent.front();
        f.maxMs = recent.back();
        f.p99Ms = recent[std::min(recent.size() - 1,
                                  static_cast<std::size_t>(std::ceil(recent.size() * 0.99)) - 1)];
        const double median = recent[recent.size() / 2];
        const auto late = std::count_if(recent.begin(), recent.end(),
                                        [&](float ms) { return ms > median + kLateMs; });
        f.lateShare = static_cast<double>(late) / recent.size();
    }

    for (int k = 0; k < 8; ++k) {
        const ChannelTrack& t = track_[static_cast<std::size_t>(k)];
        const auto& history = t.history;
        const std::uint32_t count = t.count;
        ChannelFigures c;
        c.seen = count > 0;
        c.min = c.seen ? t.lowest : 0;
        c.max = c.seen ? t.highest : 0;
        c.last = t.middle;
        c.glitches = static_cast<int>(t.glitches);
        int lo = 256, hi = -1, samples = 0;
        for (std::uint32_t i = 0; i < std::min<std::uint32_t>(count, kHistory); ++i) {
            const Sample& s = history[(count - 1 - i) % kHistory];
            if (s.time <= nowMs - 1000) break;
            lo = std::min<int>(lo, s.value), hi = std::max<int>(hi, s.value), ++samples;
        }
        c.noise = samples >= 2 && hi - lo < kRestSpread ? hi - lo : -1;
        r.channel[static_cast<std::size_t>(k)] = c;
    }

    for (std::uint32_t i = recentCount_ > kRecentBytes ? recentCount_ - kRecentBytes : 0;
         i < recentCount_; ++i)
        r.recent.push_back(recent_[i % kRecentBytes]);
    judge(r, nowMs);
    return r;
}

void LinkMonitor::judge(LinkReport& r, std::int64_t nowMs) const {
    const Window tenSeconds = sum(nowMs, kBuckets * kBucketMs);
    // What the ten-second figures cover so far.
    const double windowSeconds = std::min(r.seconds, kBuckets * kBucketMs / 1000.0);
    const Window twoSeconds = sum(nowMs, 2000);
    const std::uint64_t recentFrames =
        twoSeconds.frames[0] + twoSeconds.frames[1] + twoSeconds.frames[2];
    if (!portAway_.empty()) {
        r.verdict = Verdict::PortAway;
        r.verdictText = portAway_;
    } else if (r.silenceSeconds * 1000 >= kSilenceMs) {
        r.verdict = Verdict::NoBytes;
        r.verdictText = format(
            "No bytes for %.1f s: check the port, the cable and the transmitter's trainer output",
            r.silenceSeconds);
    } else if (r.seconds >= 1 && twoSeconds.bytes >= 20 &&
               (recentFrames == 0 || tenSeconds.steadyBytes * 4 < tenSeconds.bytes * 3)) {
        // What decodes from such bytes are bytes that happen to look like
        // syncs: frames that overlap, change their length or leave much out,
        // so that little of what arrives is steady frames.
        r.verdict = Verdict::NoFrames;
        r.verdictText = format(
            "Bytes arrive (%s/s) but no frames%s: wrong baud rate, an inverted signal, or not a "
            "PPM interface",
            thousands(r.bytesPerSecond).c_str(),
            recentFrames == 0 ? "" : ", only bytes that look like syncs");
    } else if (recentFrames == 0) {
        r.verdict = Verdict::Waiting;
        r.verdictText = "Waiting for data";
    } else if (tenSeconds.lost > 0) {
        r.verdict = Verdict::LostSync;
        r.verdictText = format(
            "Lost sync: %llu byte%s outside frames in %.0f s: a noisy signal or a loose plug",
            static_cast<unsigned long long>(tenSeconds.lost), tenSeconds.lost == 1 ? "" : "s",
            windowSeconds);
    } else if (r.intervals.maxMs >= kDropoutMs) {
        r.verdict = Verdict::Irregular;
        r.verdictText = format(
            "Frames irregular: none for %.1f s in the last %.0f s: a loose plug or an interface "
            "losing power",
            r.intervals.maxMs / 1000, windowSeconds);
    } else if (r.intervals.count >= 20 && r.intervals.lateShare > kIrregularShare) {
        r.verdict = Verdict::Irregular;
        r.verdictText = format(
            "Frames irregular: %.0f %% late by more than %.0f ms: a loose plug or a noisy signal",
            r.intervals.lateShare * 100, kLateMs);
    } else if (tenSeconds.glitches > 0) {
        int worst = 0;
        for (int k = 1; k < 8; ++k)
            if (r.channel[static_cast<std::size_t>(k)].glitches >
                r.channel[static_cast<std::size_t>(worst)].glitches)
                worst = k;
        r.verdict = Verdict::Glitches;
        r.verdictText = format(
            "Channel %d twitches: %llu one-frame jump%s in %.0f s: a noisy signal or a worn "
            "potentiometer",
            worst + 1, static_cast<unsigned long long>(tenSeconds.glitches),
            tenSeconds.glitches == 1 ? "" : "s", windowSeconds);
    } else if (r.seconds >= 2 &&
               (r.framesPerSecond < kSlowestFps || r.framesPerSecond > kFastestFps)) {
        r.verdict = Verdict::OffRate;
        r.verdictText = format(
            "Frames at %.1f/s where a transmitter sends 44 to 56: %s", r.framesPerSecond,
            r.framesPerSecond < kSlowestFps ? "frames are being lost" : "not a trainer signal");
    } else {
        r.verdict = Verdict::Good;
        r.verdictText =
            format("Link good: %.1f frames/s, %d channels, %llu lost in %.0f s", r.framesPerSecond,
                   r.channels, static_cast<unsigned long long>(r.lostBytes), r.seconds);
    }
}

}  // namespace quadrel
