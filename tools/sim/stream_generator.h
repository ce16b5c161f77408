// The byte stream of a simulated interface as a schedule: each chunk is the
// bytes to send and the moment, from the start of the stream, to send them.
// Pure and deterministic: the same settings and seed give the same schedule,
// and nothing here waits or touches a device.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "frame_encoder.h"
#include "line_pace.h"
#include "random_source.h"
#include "stick_motion.h"

namespace quadrel::sim {

using Nanos = std::chrono::nanoseconds;

// A typical PPM frame period of a transmitter's trainer signal.
inline constexpr double kDefaultFramePeriodMs = 22.5;

struct Faults {
    double noise = 0;    // random bytes inserted, per byte sent (0 to 1)
    double drop = 0;     // share of bytes lost (0 to 1)
    Nanos gapEvery{0};   // after this much sending, a silence...
    Nanos gapLength{0};  // ...this long; no gaps when either is zero
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

    // A captured byte stream to send at the line's pace instead of frames.
    std::optional<std::vector<std::uint8_t>> replay;
    bool loop = false;
};

struct Chunk {
    Nanos at{0};
    std::vector<std::uint8_t> bytes;
    // For a generated frame: its kind and the values of the channels it
    // carries, which a receiver should show. Empty for replayed bytes.
    std::optional<FrameFormat> format;
    std::vector<int> channels;
};

class StreamGenerator {
public:
    explicit StreamGenerator(StreamSettings settings);

    // The next chunk, or nothing when the stream has ended.
    std::optional<Chunk> next();

    long framesGenerated() const { return frames_; }

private:
    Chunk nextFrame();
    Chunk nextReplayBlock();
    const FrameLayout& layoutNow() const;
    std::vector<std::uint8_t> withFaults(const std::vector<std::uint8_t>& clean);

    StreamSettings settings_;
    StickMotion motion_;
    RandomSource faultRandom_;
    Nanos cursor_{0};
    Nanos nextGapAt_{0};
    long frames_ = 0;
    std::size_t replayPosition_ = 0;
    std::size_t replaySent_ = 0;
    Nanos replayOrigin_{0};
};

}  // namespace quadrel::sim
