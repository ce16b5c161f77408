// The byte stream of a simulated interface as a schedule: each chunk is the
// bytes to send and the moment, from the start of the stream, to send them.
// Pure and deterministic: the same settings and seed give the same schedule,
// and nothing here waits or touches a device.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "capture_file.h"
#include "frame_encoder.h"
#include "line_pace.h"
#include "random_source.h"
#include "stick_motion.h"

namespace quadrel::sim {

using Nanos = std::chrono::nanoseconds;

// A typical PPM frame period of a transmitter's trainer signal.
inline constexpr double kDefaultFramePeriodMs = 22.5;

struct Faults {
    double noise = 0;       // random bytes inserted, per byte sent (0 to 1)
    double drop = 0;        // share of bytes lost (0 to 1)
    Nanos gapEvery{0};      // after this much sending, a silence...
    Nanos gapLength{0};     // ...this long; no gaps when either is zero
    double jitterMs = 0;    // each frame period off by up to this much either way
    int glitchChannel = 0;  // 1 to 8: one frame in a while carries a jump on it
    double glitchesPerSecond = 1;
    int burstBytes = 0;  // bytes below any sync value after a frame, now and then
    double burstsPerSecond = 1;
    // What a receiver reads from an inverted line, or at another baud rate
    // or parity; none given: the line's own.
    bool inverted = false;
    std::optional<int> receiverBaud;
    std::optional<Parity> receiverParity;
};

// When the stream changes to another frame kind.
struct FormatSwitch {
    FrameLayout to;
    std::optional<Nanos> afterTime;
    std::optional<long> afterFrames;
};

struct StreamSettings {
    FrameLayout layout;
    std::optional<FormatSwitch> formatSwitch;
    Motion motion = Motion::Mixed;
    int travelLow = 40;  // the range the motion covers, within the format's values
    int travelHigh = 220;
    LineSettings line;
    // Time from one frame's start to the next; a frame that takes longer on
    // the line is followed at once. 0 sends frames back to back.
    double framePeriodMs = kDefaultFramePeriodMs;
    Faults faults;
    std::uint64_t seed = 1;
    std::optional<long> frameCount;  // stop after this many frames
    std::optional<Nanos> duration;   // stop when the schedule reaches this time

    // A captured byte stream to send at the line's pace instead of frames,
    // or a capture with arrival times to send with its own timing.
    std::optional<std::vector<std::uint8_t>> replay;
    std::optional<Capture> capture;
    bool loop = false;
};

struct Chunk {
    Nanos at{0};
    std::vector<std::uint8_t> bytes;
    // For a generated frame: its kind and the values of the channels it
    // carries, which a receiver should show. Empty for replayed bytes and
    // for what a mismatched receiver reads.
    std::optional<FrameFormat> format;
    std::vector<int> channels;
};

class UartLine;

class StreamGenerator {
public:
    explicit StreamGenerator(StreamSettings settings);
    ~StreamGenerator();

    // The next chunk, or nothing when the stream has ended.
    std::optional<Chunk> next();

    long framesGenerated() const { return frames_; }

private:
    std::optional<Chunk> nextOnLine();
    Chunk nextFrame();
    Chunk nextReplayBlock();
    Chunk nextCaptureBatch();
    const FrameLayout& layoutNow() const;
    std::vector<std::uint8_t> withFaults(const std::vector<std::uint8_t>& clean);

    StreamSettings settings_;
    StickMotion motion_;
    RandomSource faultRandom_;
    // Each fault of its own, so that adding one leaves the others as they were.
    RandomSource jitterRandom_, burstRandom_;
    Nanos cursor_{0};
    Nanos nextGapAt_{0};
    Nanos nextGlitchAt_{0}, nextBurstAt_{0};
    std::unique_ptr<UartLine> uart_;
    std::optional<Chunk> ahead_;  // the chunk after the one a receiver is reading
    long frames_ = 0;
    std::size_t replayPosition_ = 0;
    std::size_t replaySent_ = 0;
    Nanos replayOrigin_{0};
};

}  // namespace quadrel::sim
