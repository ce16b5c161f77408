#include "stream_generator.h"

#include <algorithm>
#include <cmath>

namespace quadrel::sim {

namespace {
// Faults draw from their own sequence, so switching them on leaves the
// motion, and so the frames, as they were.
constexpr std::uint64_t kFaultSeedSalt = 0xF0F0'1234'5678'9ABCull;
// Replayed bytes go out in blocks of about this long.
constexpr double kReplayBlockSeconds = 0.01;
}  // namespace

StreamGenerator::StreamGenerator(StreamSettings settings)
    : settings_(std::move(settings)),
      motion_(settings_.motion, settings_.seed),
      faultRandom_(settings_.seed ^ kFaultSeedSalt),
      nextGapAt_(settings_.faults.gapEvery) {}

const FrameLayout& StreamGenerator::layoutNow() const {
    const auto& change = settings_.formatSwitch;
    if (!change) return settings_.layout;
    const bool switched = (change->afterTime && cursor_ >= *change->afterTime) ||
                          (change->afterFrames && frames_ >= *change->afterFrames);
    return switched ? change->to : settings_.layout;
}

std::optional<Chunk> StreamGenerator::next() {
    const Faults& faults = settings_.faults;
    if (faults.gapEvery > Nanos{0} && faults.gapLength > Nanos{0} && cursor_ >= nextGapAt_) {
        cursor_ += faults.gapLength;
        replayOrigin_ += faults.gapLength;
        nextGapAt_ = cursor_ + faults.gapEvery;
    }
    if (settings_.duration && cursor_ >= *settings_.duration) return std::nullopt;
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
    chunk.channels.assign(values.begin(), values.begin() + carriedChannels(layout));
    chunk.bytes = withFaults(encodeFrame(layout, values));

    const auto period = std::chrono::duration_cast<Nanos>(
        std::chrono::duration<double, std::milli>(settings_.framePeriodMs));
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
