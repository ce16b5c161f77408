// Why a link fails: figures counted from the same bytes and frames the
// receive handler sees, and a one-line verdict with its evidence. Fed by
// the main window's receive path; the time of each batch of bytes comes from
// whoever delivers them (a real clock, or a virtual one in tests). Nothing
// is allocated per byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "frames/frame_decoders.h"

namespace quadrel {

// What a byte turned out to be, for the raw view.
enum class ByteRole : std::uint8_t { Pending, Sync, Unread, Channel, EndMark, Outside };

struct RawByte {
    std::uint8_t value = 0;  // as it arrived, before any un-mirroring
    ByteRole role = ByteRole::Pending;
};

enum class Verdict { PortAway, NoBytes, NoFrames, Irregular, LostSync, Glitches, OffRate, Good, Waiting };

struct IntervalFigures {
    static constexpr int kBins = 12;  // 0-5, 5-10, ... 50-55, 55+ ms
    static constexpr double kBinMs = 5.0;
    int count = 0;  // intervals in the window
    double lastMs = 0, minMs = 0, meanMs = 0, p99Ms = 0, maxMs = 0;
    double lateShare = 0;  // late by more than 5 ms against the median
    std::array<int, kBins> histogram{};
};

struct ChannelFigures {
    bool seen = false;
    int min = 0, max = 0, last = 0;
    int noise = -1;    // spread over the last second while at rest; -1 while moving
    int glitches = 0;  // one-frame jumps away from two neighbours that agree
};

struct LinkReport {
    double seconds = 0;         // since the statistics were reset
    double silenceSeconds = 0;  // since the last byte (or the reset)
    double bytesPerSecond = 0;  // over the last second
    double framesPerSecond = 0;
    std::array<double, 3> framesPerSecondByKind{};  // standard, variant, Zhen Hua
    int channels = 0;                               // in the last frame
    std::uint64_t channelCountChanges = 0;
    std::uint64_t bytes = 0, frames = 0;
    std::uint64_t lostBytes = 0;       // bytes that belonged to no frame
    std::uint64_t shortFrames = 0;     // frames cut short by an end mark
    std::uint64_t syncLikeValues = 0;  // channel values the receiver will take for a sync
    std::uint64_t lineErrors = 0;      // framing, parity, overrun and break events
    std::uint64_t glitches = 0;
    std::uint64_t strayFrames = 0;  // frames whose sync an earlier frame read as its own byte
    IntervalFigures intervals;
    std::array<ChannelFigures, 8> channel{};
    std::vector<RawByte> recent;  // the last bytes, oldest first
    Verdict verdict = Verdict::Waiting;
    std::string verdictText;
};

class LinkMonitor {
public:
    static constexpr int kRecentBytes = 64;

    // Starts counting afresh at `nowMs`.
    void reset(std::int64_t nowMs);
    // The arrival time of the bytes that follow.
    void setTime(std::int64_t nowMs);

    // From the receive path, in this order per byte: the byte as it arrived,
    // then any frame it completed (`length` bytes from the window's oldest
    // place belong to it). A calibration empties the window.
    void byteReceived(std::uint8_t raw);
    void frameDecoded(FrameKind kind, const DecodedFrame& frame, int length);
    void windowCleared();
    void lineError() { ++lineErrors_; }
    // Why the port is gone, while it is; empty once it is back.
    void setPortAway(std::string reason) { portAway_ = std::move(reason); }

    LinkReport report(std::int64_t nowMs) const;

private:
    static constexpr int kBucketMs = 100;
    static constexpr int kBuckets = 100;  // ten seconds
    static constexpr int kIntervals = 4096;
    static constexpr int kHistory = 512;  // per channel, about two seconds of frames

    struct Bucket {
        std::int64_t start = -1;
        std::uint32_t bytes = 0, lost = 0, glitches = 0;
        std::uint32_t steadyBytes = 0;  // in frames of their own that carry the usual channels
        std::array<std::uint32_t, 3> frames{};
    };
    struct Window {  // sums over the buckets of the last `ms`
        std::uint64_t bytes = 0, lost = 0, glitches = 0, steadyBytes = 0;
        std::array<std::uint64_t, 3> frames{};
    };
    Window sum(std::int64_t nowMs, std::int64_t ms) const;
    struct Sample {
        std::int64_t time = 0;
        std::uint8_t value = 0;
    };

    Bucket& bucket();
    void recordInterval(std::int64_t ms);
    void recordChannels(const DecodedFrame& frame, int present);
    void markWindow(int position, ByteRole role);
    void markWindow(int from, int to, ByteRole role);  // positions from..to-1
    ByteRole roleInWindow(int position) const;
    void judge(LinkReport& r, std::int64_t nowMs) const;

    std::int64_t now_ = 0, resetAt_ = 0, lastByteAt_ = -1, lastFrameAt_ = -1;
    std::array<Bucket, kBuckets> buckets_{};
    // The bucket of now_, worked out once per time rather than per byte.
    std::int64_t bucketStart_ = 0;
    std::size_t bucketSlot_ = 0;
    std::uint64_t bytes_ = 0, frames_ = 0, lostBytes_ = 0, shortFrames_ = 0, syncLike_ = 0;
    std::uint64_t lineErrors_ = 0, channelChanges_ = 0, glitches_ = 0, stray_ = 0;
    int channels_ = 0, usualChannels_ = 0, usualRun_ = 0, ownChannels_ = -1;
    bool synced_ = false;   // a frame was found since the window was last emptied
    std::string portAway_;

    // Arrival time and length of recent intervals between frames.
    std::array<std::int64_t, kIntervals> intervalAt_{};
    std::array<float, kIntervals> intervalMs_{};
    std::uint32_t intervalCount_ = 0;

    // Per channel: the values received since the reset.
    struct ChannelTrack {
        std::uint32_t count = 0;
        std::uint8_t lowest = 255, highest = 0;
        std::uint8_t before = 0, middle = 0;  // the last two values, the newest last
        std::uint32_t glitches = 0;
        std::array<Sample, kHistory> history{};
    };
    std::array<ChannelTrack, 8> track_{};

    // The last bytes with their roles; the newest ten stand in the frame
    // window, position 9 being the newest.
    std::array<RawByte, kRecentBytes> recent_{};
    std::uint32_t recentCount_ = 0;
    // Bit p: a received byte stands at window position p.
    std::uint16_t inWindow_ = 0;
    bool inWindow(int position) const { return inWindow_ >> position & 1u; }
};

}  // namespace quadrel
