// Why a link fails: figures counted from the same bytes and frames the
// receive handler sees, and a one-line verdict with its evidence. Fed by
// the main window's receive path, a read at a time: each byte is stamped
// from its read's arrival time and its place in the read, at the line's
// pace, and a frame at its own last byte, so that timing survives an
// adapter that hands bytes over in batches. Times are microseconds from
// whoever delivers the bytes (a real clock, or a virtual one in tests).
// Nothing is allocated per byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frames/frame_decoders.h"
#include "link/delivery.h"
#include "link/frame_clock.h"
#include "serial/driver_tuning.h"
#include "serial/port_settings.h"

namespace quadrel {

// What a byte turned out to be, for the raw view.
enum class ByteRole : std::uint8_t { Pending, Sync, Unread, Channel, EndMark, Outside };

struct RawByte {
    std::uint8_t value = 0;  // as it arrived, before any un-mirroring
    ByteRole role = ByteRole::Pending;
};

enum class Verdict {
    PortAway,
    NoBytes,
    NoFrames,
    Irregular,
    LostSync,
    Glitches,
    OffRate,
    Good,
    Waiting,
    SyncLike,
    FramesLost,
    PortShared
};

// Real transmitters send a frame every 18 to about 27 ms (radios that send
// more channels send slower frames): 37 to 56 frames a second.
inline constexpr double kFewestFramesPerSecond = 37, kMostFramesPerSecond = 56;

struct IntervalFigures {
    static constexpr int kBins = 12;  // 0-5, 5-10, ... 50-55, 55+ ms
    static constexpr double kBinMs = 5.0;
    int count = 0;  // intervals in the window
    double lastMs = 0, minMs = 0, meanMs = 0, p99Ms = 0, maxMs = 0;
    double lateShare = 0;  // later than the frame clock by more than lateMs
    double lateMs = 0;     // the delivery's granularity plus 5 ms
    std::array<int, kBins> histogram{};
};

// The clock the frames keep, and the frames it expected that never came.
struct ClockFigures {
    double periodMs = 0;                   // 0 until known
    bool fitted = false;                   // found from the frames' ticks, not just their mean
    std::uint64_t expected = 0, lost = 0;  // over the window (up to 10 s)
    std::uint64_t lostSinceReset = 0;
};

struct LineErrorFigures {
    bool reported = false;   // the driver counts them
    LineErrorCounts counts;  // since the port opened, and events the port raised
};

struct ChannelFigures {
    bool seen = false;
    int min = 0, max = 0, last = 0;
    int noise = -1;    // spread over the last second while at rest; -1 while moving
    int glitches = 0;  // one-frame spikes away from the line through both neighbours
    int syncLike = 0;  // values a receiver takes for a frame start
};

struct LinkReport {
    double seconds = 0;         // since the statistics were reset
    double windowSeconds = 0;   // what the ten-second figures cover so far
    double silenceSeconds = 0;  // since the last byte (or the reset)
    double bytesPerSecond = 0;  // over the last second
    double framesPerSecond = 0;
    std::array<double, 3> framesPerSecondByKind{};  // standard, variant, Zhen Hua
    int channels = 0;                               // in the last frame
    std::uint64_t channelCountChanges = 0;
    std::uint64_t bytes = 0, frames = 0;
    std::uint64_t lostBytes = 0;       // bytes that belonged to no frame of the interface's
    std::uint64_t shortFrames = 0;     // frames cut short by an end mark
    std::uint64_t syncLikeValues = 0;  // channel values a receiver takes for a sync
    std::uint64_t glitches = 0;
    std::uint64_t strayFrames = 0;  // frames made of other frames' bytes, or of none
    LineErrorFigures lineErrors;
    LowLatency lowLatency = LowLatency::NotAsked;
    DeliveryFigures delivery;
    ClockFigures clock;
    IntervalFigures intervals;
    std::array<ChannelFigures, 8> channel{};
    std::vector<RawByte> recent;  // the last bytes, oldest first
    Verdict verdict = Verdict::Waiting;
    std::string verdictText;
};

// As the Link Monitor and the probe say them: "on", "on already", "not
// offered", "-" where no port was asked; "framing 0, parity 0, overrun 0,
// break 0" or "not reported by this adapter".
std::string lowLatencyText(LowLatency state);
std::string lineErrorsText(const LineErrorFigures& errors);

class LinkMonitor {
public:
    static constexpr int kRecentBytes = 64;

    // Starts counting afresh at `nowUs`.
    void reset(std::int64_t nowUs);
    // The line's settings, for the time a byte takes on it.
    void setLine(const LineSettings& line);

    // From the receive path: a read of `bytes` bytes that arrived at
    // `atUs`; then per byte, in order, the byte as it arrived and any frame
    // it completed (the window as the decoder found it, and whether its
    // bytes were read in the cable format). A calibration empties the
    // window.
    void beginRead(std::int64_t atUs, std::size_t bytes);
    void byteReceived(std::uint8_t raw);
    void frameDecoded(FrameKind kind, const DecodedFrame& frame, const FrameWindow& window,
                      bool readAsCable);
    void windowCleared(const FrameWindow& window);

    // Line errors: the driver's counts since the port opened (nothing
    // where it does not count them).
    void setDriverLineErrors(std::optional<LineErrorCounts> counts);
    void setLowLatency(LowLatency state) { lowLatency_ = state; }
    // Why the port is gone, while it is; empty once it is back. And that
    // another program reads it too, while it does.
    void setPortAway(std::string reason) { portAway_ = std::move(reason); }
    void setPortShared(std::string reason) { portShared_ = std::move(reason); }

    LinkReport report(std::int64_t nowUs) const;

private:
    static constexpr std::int64_t kBucketUs = 100'000;
    static constexpr int kBuckets = 100;  // ten seconds
    static constexpr int kFrames = 4096;
    static constexpr int kHistory = 512;  // per channel, about two seconds of frames

    struct Bucket {
        std::int64_t start = -1;
        std::uint32_t bytes = 0, lost = 0, strayLost = 0, glitches = 0, syncLike = 0;
        std::uint32_t steadyBytes = 0;  // in frames of their own that carry the usual channels
        std::uint32_t excused = 0;      // frames a calibration dropped from the window
        std::uint32_t strays = 0, lineErrors = 0;
        std::array<std::uint32_t, 3> frames{};
    };
    struct Sums {  // over the buckets of the last `us`
        std::uint64_t bytes = 0, lost = 0, strayLost = 0, glitches = 0, syncLike = 0;
        std::uint64_t steadyBytes = 0, excused = 0, strays = 0, lineErrors = 0;
        std::array<std::uint64_t, 3> frames{};
        std::uint64_t allFrames() const { return frames[0] + frames[1] + frames[2]; }
    };
    Sums sum(std::int64_t nowUs, std::int64_t us) const;
    Bucket& bucket();

    struct Slot {  // a received byte
        RawByte raw;
        std::int64_t stampUs = 0;    // when it came off the line
        std::int64_t arrivalUs = 0;  // when its read arrived
        std::uint32_t read = 0;
    };
    Slot& at(std::uint64_t index) { return ring_[index % kRecentBytes]; }
    const Slot& at(std::uint64_t index) const { return ring_[index % kRecentBytes]; }
    // The received byte at window position p, if one stands there.
    std::optional<std::uint64_t> indexAt(int position) const;
    void mark(int from, int to, ByteRole role);  // positions from..to-1
    void markOutside(int from, int to, bool stray);

    struct Shape;
    // Whose frame it is: the interface's own, or made of bytes of other
    // frames (a channel value that looks like a sync) or of none.
    enum class Origin { Own, SyncLike, Stray };
    Origin originOf(const Shape& shape, FrameKind kind, const DecodedFrame& frame,
                    const FrameWindow& window);
    void acceptFrame(const Shape& shape, FrameKind kind, const DecodedFrame& frame,
                     const FrameWindow& window, bool switchesFormat);
    // Where the frame stands on the interface's clock.
    FrameClock::Tick timeFrame(const Shape& shape, std::uint64_t sync);
    // The cable format came or went: the stream is joined afresh.
    void rejoin(std::uint64_t sync);
    void countChannels(int present);
    void recordChannels(const DecodedFrame& frame);
    void forgetNeighbours();
    void countSyncLike(int channel, std::uint8_t value);
    void judge(LinkReport& r, std::int64_t nowUs) const;

    std::int64_t now_ = 0, resetAt_ = 0, lastByteAt_ = -1;
    double byteUs_ = 1e6 * 10 / 19200;
    std::array<Bucket, kBuckets> buckets_{};
    std::int64_t bucketStart_ = 0;
    std::size_t bucketSlot_ = 0;

    // The read being received.
    std::int64_t readAt_ = 0, lastStamp_ = 0;
    std::size_t readLeft_ = 0;
    std::uint32_t reads_ = 0;

    std::uint64_t bytes_ = 0, frames_ = 0, lostBytes_ = 0, shortFrames_ = 0, syncLike_ = 0;
    std::uint64_t channelChanges_ = 0, glitches_ = 0, stray_ = 0, excused_ = 0;
    std::optional<LineErrorCounts> driver_;  // counted by the driver
    LowLatency lowLatency_ = LowLatency::NotAsked;
    std::string portAway_, portShared_;

    // The frames of the interface's own.
    int channels_ = 0;            // in the last one
    int usualChannels_ = 0;       // in three or more in a row; 0 until then
    int run_ = 0;                 // frames in a row with `channels_`
    int shortInRun_ = 0;          // of them counted short
    bool synced_ = false;         // one was found since the window was last emptied
    std::uint64_t nextSync_ = 0;  // where the next one's sync belongs
    std::optional<FrameKind> kind_;
    std::uint64_t switchedAt_ = 0;  // bytes before it were read in the other format
    // A short frame's end mark, until the frame it starts shows whether it
    // was the next sync or a channel value that looks like one.
    struct EndMark {
        std::uint64_t index = 0;
        int channel = 0;
        std::uint8_t value = 0;
    };
    std::optional<EndMark> endMark_;
    // The end mark of a frame made of a sync-like value and the bytes after
    // it: the next value of the frame it broke into.
    std::optional<std::uint64_t> syncLikeEnd_;
    int syncLikeChannel_ = 1;  // the channel of the last sync-like value

    FrameClock clock_;
    Delivery delivery_;
    struct FrameSeen {
        std::int64_t atUs = 0;
        std::int64_t tick = 0;
        float intervalMs = 0;  // since the frame before, if there was one
        float lateMs = 0;      // after the tick the frame before set
        int ticks = 0;         // since the frame before
        bool afterAnother = false;
    };
    std::array<FrameSeen, kFrames> seen_{};
    std::uint32_t seenCount_ = 0;
    std::int64_t firstTick_ = 0;
    bool intervalBroken_ = false;  // a calibration dropped the frame before

    struct ChannelTrack {
        std::uint32_t count = 0;  // values received since the reset
        int neighbours = 0;       // of the last two values, how many follow each other
        std::uint8_t lowest = 255, highest = 0, last = 0;
        std::uint8_t before = 0, middle = 0;  // the last two values, the newest last
        int away = 0;            // twice how far the value before `middle` is off its line
        bool candidate = false;  // it is a spike unless `middle` is off farther
        std::uint32_t glitches = 0, syncLike = 0;
        std::uint8_t syncLikeValue = 0;
        std::array<std::int64_t, kHistory> historyAt{};
        std::array<std::uint8_t, kHistory> history{};
    };
    std::array<ChannelTrack, 8> track_{};

    std::array<Slot, kRecentBytes> ring_{};
    // Bit p: a received byte stands at window position p.
    std::uint16_t inWindow_ = 0;
    bool inWindow(int position) const { return inWindow_ >> position & 1u; }
};

}  // namespace quadrel
