#include "stream_generator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "uart_line.h"

namespace quadrel::sim {

namespace {
// Faults draw from their own sequence, so switching them on leaves the
// motion, and so the frames, as they were.
constexpr std::uint64_t kFaultSeedSalt = 0xF0F0'1234'5678'9ABCull;
constexpr std::uint64_t kJitterSeedSalt = 0x0123'4567'89AB'CDEFull;
constexpr std::uint64_t kBurstSeedSalt = 0x5A5A'0F0F'3C3C'9696ull;
// Replayed bytes go out in blocks of about this long.
constexpr double kReplayBlockSeconds = 0.01;
// How far a glitch throws a channel: far more than a stick moves in a frame.
constexpr int kGlitchJump = 64;

Nanos every(double perSecond) {
    return std::chrono::duration_cast<Nanos>(std::chrono::duration<double>(1.0 / perSecond));
}

double nanos(Nanos t) {
    return static_cast<double>(t.count());
}

}  // namespace

StreamGenerator::StreamGenerator(StreamSettings settings)
    : settings_(std::move(settings)),
      motion_(settings_.motion, settings_.seed),
      faultRandom_(settings_.seed ^ kFaultSeedSalt),
      jitterRandom_(settings_.seed ^ kJitterSeedSalt),
      burstRandom_(settings_.seed ^ kBurstSeedSalt),
      nextGapAt_(settings_.faults.gapEvery) {
    const Faults& f = settings_.faults;
    if (f.glitchChannel > 0) nextGlitchAt_ = every(f.glitchesPerSecond);
    if (f.burstBytes > 0) nextBurstAt_ = every(f.burstsPerSecond);
    LineSettings receiver = settings_.line;
    receiver.baud = f.receiverBaud.value_or(receiver.baud);
    receiver.parity = f.receiverParity.value_or(receiver.parity);
    if (f.inverted || receiver != settings_.line)
        uart_ = std::make_unique<UartLine>(settings_.line, receiver, f.inverted);
}

StreamGenerator::~StreamGenerator() = default;

const FrameLayout& StreamGenerator::layoutNow() const {
    const auto& change = settings_.formatSwitch;
    if (!change) return settings_.layout;
    const bool switched = (change->afterTime && cursor_ >= *change->afterTime) ||
                          (change->afterFrames && frames_ >= *change->afterFrames);
    return switched ? change->to : settings_.layout;
}

std::optional<Chunk> StreamGenerator::next() {
    if (!uart_) return nextOnLine();
    // What the receiver reads of a chunk is known once the line is known up
    // to the next one.
    if (!ahead_) ahead_ = nextOnLine();
    if (!ahead_) return std::nullopt;
    Chunk chunk = std::move(*ahead_);
    ahead_ = nextOnLine();
    uart_->send(nanos(chunk.at), chunk.bytes);
    chunk.bytes =
        uart_->receive(ahead_ ? nanos(ahead_->at) : std::numeric_limits<double>::infinity());
    chunk.format.reset();
    chunk.channels.clear();
    return chunk;
}

std::optional<Chunk> StreamGenerator::nextOnLine() {
    const Faults& faults = settings_.faults;
    if (faults.gapEvery > Nanos{0} && faults.gapLength > Nanos{0} && cursor_ >= nextGapAt_) {
        cursor_ += faults.gapLength;
        replayOrigin_ += faults.gapLength;
        nextGapAt_ = cursor_ + faults.gapEvery;
    }
    if (settings_.duration && cursor_ >= *settings_.duration) return std::nullopt;
    if (settings_.capture) {
        const auto& batches = settings_.capture->batches;
        if (batches.empty() || (!settings_.loop && replayPosition_ >= batches.size()))
            return std::nullopt;
        return nextCaptureBatch();
    }
    if (settings_.replay) {
        const auto& data = *settings_.replay;
        if (data.empty() || (!settings_.loop && replayPosition_ >= data.size()))
            return std::nullopt;
        return nextReplayBlock();
    }
    if (settings_.frameCount && frames_ >= *settings_.frameCount) return std::nullopt;
    return nextFrame();
}

Chunk StreamGenerator::nextFrame() {
    const FrameLayout& layout = layoutNow();
    const StickPositions positions = motion_.at(std::chrono::duration<double>(cursor_).count());
    Chunk chunk;
    chunk.at = cursor_;
    chunk.format = layout.format;
    std::vector<int> values(kMaxChannels);
    for (int k = 0; k < kMaxChannels; ++k)
        values[k] = sendableValue(
            layout.format, travelValue(positions[k], settings_.travelLow, settings_.travelHigh));
    const Faults& faults = settings_.faults;
    if (faults.glitchChannel > 0 && cursor_ >= nextGlitchAt_) {
        int& v = values[static_cast<std::size_t>(faults.glitchChannel - 1)];
        v = sendableValue(layout.format, v + kGlitchJump <= highestValue(layout.format)
                                             ? v + kGlitchJump
                                             : v - kGlitchJump);
        nextGlitchAt_ += every(faults.glitchesPerSecond);
    }
    chunk.channels.assign(values.begin(), values.begin() + carriedChannels(layout));
    chunk.bytes = withFaults(encodeFrame(layout, values));
    if (faults.burstBytes > 0 && cursor_ >= nextBurstAt_) {
        // Below any sync value, so that no byte of it starts a frame.
        for (int i = 0; i < faults.burstBytes; ++i)
            chunk.bytes.push_back(static_cast<std::uint8_t>(burstRandom_.next() % kZhenHuaSync));
        nextBurstAt_ += every(faults.burstsPerSecond);
    }

    double periodMs = settings_.framePeriodMs;
    if (faults.jitterMs > 0) periodMs += jitterRandom_.between(-faults.jitterMs, faults.jitterMs);
    const auto period = std::chrono::duration_cast<Nanos>(
        std::chrono::duration<double, std::milli>(std::max(0.0, periodMs)));
    cursor_ += std::max(period, lineTime(chunk.bytes.size(), settings_.line));
    ++frames_;
    return chunk;
}

Chunk StreamGenerator::nextReplayBlock() {
    const auto& data = *settings_.replay;
    const auto blockSize = static_cast<std::size_t>(
        std::max(1.0, std::floor(bytesPerSecond(settings_.line) * kReplayBlockSeconds)));
    std::vector<std::uint8_t> block;
    while (block.size() < blockSize) {
        if (replayPosition_ >= data.size()) {
            if (!settings_.loop) break;
            replayPosition_ = 0;
        }
        block.push_back(data[replayPosition_++]);
    }
    Chunk chunk;
    chunk.at = cursor_;
    // The line time of the captured bytes, whatever the faults make of them;
    // counted from the start so that rounding does not add up.
    replaySent_ += block.size();
    cursor_ = replayOrigin_ + lineTime(replaySent_, settings_.line);
    chunk.bytes = withFaults(block);
    return chunk;
}

Chunk StreamGenerator::nextCaptureBatch() {
    const Capture& capture = *settings_.capture;
    if (replayPosition_ >= capture.batches.size()) {  // looping: from the start again
        replayPosition_ = 0;
        replayOrigin_ += std::chrono::microseconds(std::max<std::int64_t>(capture.lengthUs(), 1));
    }
    const CaptureBatch& batch = capture.batches[replayPosition_++];
    Chunk chunk;
    chunk.at = replayOrigin_ + std::chrono::microseconds(batch.atUs);
    const auto bytes = capture.bytesOf(batch);
    chunk.bytes = withFaults({bytes.begin(), bytes.end()});
    cursor_ = chunk.at;
    return chunk;
}

std::vector<std::uint8_t> StreamGenerator::withFaults(const std::vector<std::uint8_t>& clean) {
    const Faults& faults = settings_.faults;
    if (faults.noise <= 0 && faults.drop <= 0) return clean;
    std::vector<std::uint8_t> out;
    out.reserve(clean.size() * 2);
    for (std::uint8_t b : clean) {
        if (faults.drop <= 0 || !faultRandom_.chance(faults.drop)) out.push_back(b);
        if (faults.noise > 0 && faultRandom_.chance(faults.noise))
            out.push_back(faultRandom_.byte());
    }
    return out;
}

}  // namespace quadrel::sim
