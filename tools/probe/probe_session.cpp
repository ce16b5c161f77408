#include "probe_session.h"

#include <algorithm>
#include <cmath>

#include "line_pace.h"

namespace quadrel::probe {

ProbeSession::ProbeSession(const LineSettings& line) : receiver_(cable_, beep_), line_(line) {
    receiver_.setLinkMonitor(&monitor_);
    monitor_.setLine(line);
    monitor_.reset(0);
}

Time ProbeSession::advanceTo(std::int64_t atUs) {
    now_ = std::max(now_, Time(atUs));
    receiver_.advance(now_);
    return now_;
}

void ProbeSession::read(std::span<const std::uint8_t> bytes, std::int64_t atUs) {
    const Time at = advanceTo(atUs);
    receiver_.feed(bytes, at);
    if (recorder_ && !bytes.empty()) recorder_(sim::captureBatchLine(at.count(), bytes));
}

void ProbeSession::driverSays(LowLatency lowLatency, std::optional<LineErrorCounts> lineErrors) {
    monitor_.setLowLatency(lowLatency);
    monitor_.setDriverLineErrors(lineErrors);
}

void ProbeSession::record(std::function<void(const std::string&)> sink) {
    recorder_ = std::move(sink);
    recorder_(sim::captureHeader(line_));
}

LinkReport ProbeSession::finish(std::int64_t atUs) {
    const Time at = advanceTo(atUs);
    if (recorder_) recorder_(sim::captureEndLine(at.count()));
    return monitor_.report(at.count());
}

LinkReport replay(const sim::Capture& capture, std::optional<std::int64_t> untilUs) {
    ProbeSession session(capture.line.value_or(LineSettings{}));
    for (const sim::CaptureBatch& batch : capture.batches) {
        if (untilUs && batch.atUs > *untilUs) break;
        session.read(capture.bytesOf(batch), batch.atUs);
    }
    return session.finish(untilUs.value_or(capture.lengthUs()));
}

sim::Capture captureOfRawBytes(std::vector<std::uint8_t> bytes, const LineSettings& line) {
    // Blocks of what the line carries in 10 ms, back to back at its pace;
    // 64 bytes at least, so that a slow line's capture is not a batch a byte.
    const double perSecond = sim::bytesPerSecond(line);
    const std::size_t block = std::max<std::size_t>(64, static_cast<std::size_t>(perSecond / 100));
    sim::Capture capture;
    capture.line = line;
    capture.bytes = std::move(bytes);
    for (std::size_t at = 0; at < capture.bytes.size(); at += block) {
        const std::size_t size = std::min(block, capture.bytes.size() - at);
        const auto doneUs = static_cast<std::int64_t>(
            std::llround(static_cast<double>(at + size) * 1e6 / perSecond));
        capture.batches.push_back({doneUs, at, size});
    }
    capture.endUs = capture.batches.empty() ? 0 : capture.batches.back().atUs;
    return capture;
}

}  // namespace quadrel::probe
