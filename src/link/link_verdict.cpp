// The verdict: the first trouble that explains what the figures show, in
// the order a user should look for it, with the evidence in one line.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "link/link_monitor.h"

namespace quadrel {
namespace {

constexpr double kIrregularShare = 0.10;  // of the frames late: irregular
constexpr double kSilenceSeconds = 1;
constexpr double kDropoutMs = 500;  // no frame for this long: the no-signal state

template <typename... Args>
std::string format(const char* pattern, Args... args) {
    char text[240];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// 1920 -> "1,920", 1001001 -> "1,001,001"
std::string thousands(double value) {
    std::string digits = std::to_string(std::llabs(std::llround(value)));
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return (value <= -0.5 ? "-" : "") + digits;
}

unsigned long long ull(std::uint64_t n) {
    return n;
}
const char* plural(std::uint64_t n) {
    return n == 1 ? "" : "s";
}

// The channel with the most of something, counted since the reset.
template <typename Count>
int worstChannel(const LinkReport& r, Count count) {
    int worst = 0;
    for (int k = 1; k < 8; ++k)
        if (count(r.channel[static_cast<std::size_t>(k)]) >
            count(r.channel[static_cast<std::size_t>(worst)]))
            worst = k;
    return worst;
}

}  // namespace

void LinkMonitor::judge(LinkReport& r, std::int64_t nowUs) const {
    const Sums ten = sum(nowUs, kBuckets * kBucketUs);
    const Sums two = sum(nowUs, 2'000'000);
    const double window = r.windowSeconds;
    const std::uint64_t framesNow = two.allFrames();
    const bool lineErrorsMany = ten.lineErrors >= 5 && ten.lineErrors * 20 >= ten.bytes;
    const double fps = r.framesPerSecond;
    const double periodMs = r.clock.periodMs;
    auto& verdict = r.verdict;
    auto& text = r.verdictText;

    if (!portAway_.empty()) {
        verdict = Verdict::PortAway;
        text = portAway_;
    } else if (!portShared_.empty()) {
        // The bytes it takes make every other figure wrong.
        verdict = Verdict::PortShared;
        text = portShared_;
        text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    } else if (r.silenceSeconds >= kSilenceSeconds) {
        verdict = Verdict::NoBytes;
        text = format(
            "No bytes for %.1f s: check the port, the cable and the transmitter's trainer output",
            r.silenceSeconds);
    } else if (r.seconds >= 1 && two.bytes >= 20 &&
               (framesNow == 0 || ten.steadyBytes * 4 < ten.bytes * 3 || lineErrorsMany)) {
        // What decodes from such bytes are bytes that happen to look like
        // syncs: frames that overlap, change their length or leave much
        // out, so that little of what arrives is steady frames. Framing
        // errors say the same from the driver's side.
        verdict = Verdict::NoFrames;
        const std::string errors = ten.lineErrors > 0
                                       ? format(" and %llu framing or parity error%s",
                                                ull(ten.lineErrors), plural(ten.lineErrors))
                                       : "";
        text = format(
            "Bytes arrive (%s/s)%s but no frames%s: wrong baud rate, an inverted signal, or not a "
            "PPM interface",
            thousands(r.bytesPerSecond).c_str(), errors.c_str(),
            framesNow + two.strays == 0 ? "" : ", only bytes that look like syncs");
    } else if (framesNow == 0) {
        verdict = Verdict::Waiting;
        text = "Waiting for data";
    } else if (ten.lost > ten.strayLost) {
        verdict = Verdict::LostSync;
        text = format(
            "Lost sync: %llu byte%s outside frames in %.0f s: a noisy signal or a loose plug",
            ull(ten.lost), plural(ten.lost), window);
    } else if (ten.syncLike > 0) {
        const int k = worstChannel(r, [](const ChannelFigures& c) { return c.syncLike; });
        verdict = Verdict::SyncLike;
        text = format(
            "Channel %d carries %d, which receivers take for a frame start: reduce that channel's "
            "travel (end points) on the transmitter",
            k + 1, track_[static_cast<std::size_t>(k)].syncLikeValue);
    } else if (r.clock.lost > 0) {
        verdict = Verdict::FramesLost;
        // A gap: longer than a few frames and than the adapter holds bytes.
        const bool gap =
            periodMs > 0 && r.intervals.maxMs >= 3 * periodMs + r.delivery.granularityMs;
        text = format("Frames lost: %llu of %llu in %.0f s%s: %s", ull(r.clock.lost),
                      ull(r.clock.expected), window,
                      gap ? format(", none for %.1f s", r.intervals.maxMs / 1000).c_str() : "",
                      gap || r.intervals.maxMs >= kDropoutMs
                          ? "a loose plug or an interface losing power"
                          : "the interface drops frames, or the signal is weak");
    } else if (r.intervals.count >= 20 && r.intervals.lateShare > kIrregularShare) {
        verdict = Verdict::Irregular;
        text = format(
            "Frames irregular: %.0f %% late by more than %.0f ms: a loose plug or a noisy "
            "signal",
            r.intervals.lateShare * 100, r.intervals.lateMs);
    } else if (ten.glitches > 0) {
        const int k = worstChannel(r, [](const ChannelFigures& c) { return c.glitches; });
        verdict = Verdict::Glitches;
        text = format(
            "Channel %d twitches: %llu one-frame jump%s in %.0f s: a noisy signal or a worn "
            "potentiometer",
            k + 1, ull(ten.glitches), plural(ten.glitches), window);
    } else if (r.seconds >= 2 && periodMs > 0 &&
               (1000 / periodMs < kFewestFramesPerSecond ||
                1000 / periodMs > kMostFramesPerSecond)) {
        verdict = Verdict::OffRate;
        const bool slow = 1000 / periodMs < kFewestFramesPerSecond;
        text = format("Frames %s: %.1f/s where a transmitter sends %.0f to %.0f: %s",
                      slow ? "slow" : "fast", fps, kFewestFramesPerSecond, kMostFramesPerSecond,
                      slow ? "the interface passes on only some of the frames"
                           : "not a transmitter's trainer signal");
    } else {
        verdict = Verdict::Good;
        text = format("Link good: %.1f frames/s, %d channels, %llu frame%s lost in %.0f s", fps,
                      r.channels, ull(r.clock.lostSinceReset), plural(r.clock.lostSinceReset),
                      r.seconds);
    }
}

}  // namespace quadrel
