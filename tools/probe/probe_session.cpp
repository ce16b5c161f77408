#include "probe_session.h"

#include <algorithm>
#include <cmath>

#include "line_pace.h"

namespace quadrel::probe {

std::optional<std::uint8_t> ProbeSession::Tap::Input() {
    const auto byte = port_.Input();
    if (byte) bytes.push_back(*byte);
    return byte;
}

std::optional<std::uint8_t> FeedPort::Input() {
    if (pending.empty()) return std::nullopt;
    const std::uint8_t byte = pending.front();
    pending = pending.subspan(1);
    return byte;
}

ProbeSession::ProbeSession(SerialComponent& port, const CommSettings& line)
    : tap_(port), form_(tap_, cable_, beep_), line_(line) {
    form_.setLinkMonitor(&monitor_);
    monitor_.setLine(line);
    monitor_.reset(0);
    MainWindowState& ui = form_.state();
    const auto add = [this](TimerState& t, std::function<void()> onTick) {
        timers_.push_back({&t, std::move(onTick), t.starts(), t.Interval() * 1000LL});
    };
    add(ui.Timer1, [this] { form_.Timer1_Timer(); });
    add(ui.Timer2, [this] { form_.Timer2_Timer(); });
}

void ProbeSession::noteRestarts(std::int64_t atUs) {
    for (Timer& t : timers_) {
        if (t.state->starts() != t.seenStarts) t.dueUs = atUs + t.state->Interval() * 1000LL;
        t.seenStarts = t.state->starts();
    }
}

void ProbeSession::runTimersUntil(std::int64_t atUs) {
    // Restarts made by the last batch count from its arrival.
    noteRestarts(nowUs_);
    for (;;) {
        Timer* next = nullptr;
        for (Timer& t : timers_)
            if (t.state->Enabled() && t.state->Interval() > 0 && t.dueUs <= atUs &&
                (!next || t.dueUs < next->dueUs))
                next = &t;
        if (!next) break;
        nowUs_ = next->dueUs;
        next->dueUs += next->state->Interval() * 1000LL;  // it ticks until stopped
        next->onTick();
        noteRestarts(nowUs_);
    }
    nowUs_ = std::max(nowUs_, atUs);
}

void ProbeSession::batchStart(std::int64_t atUs, std::size_t bytes) {
    runTimersUntil(atUs);
    batchUs_ = nowUs_;
    monitor_.beginRead(batchUs_, bytes);
    tap_.bytes.clear();
}

void ProbeSession::driverSays(LowLatency lowLatency, std::optional<LineErrorCounts> lineErrors) {
    monitor_.setLowLatency(lowLatency);
    monitor_.setDriverLineErrors(lineErrors);
}

void ProbeSession::batchDone() {
    if (recorder_ && !tap_.bytes.empty()) recorder_(sim::captureBatchLine(batchUs_, tap_.bytes));
}

void ProbeSession::record(std::function<void(const std::string&)> sink) {
    recorder_ = std::move(sink);
    recorder_(sim::captureHeader(line_));
}

LinkReport ProbeSession::finish(std::int64_t atUs) {
    runTimersUntil(atUs);
    if (recorder_) recorder_(sim::captureEndLine(nowUs_));
    return monitor_.report(nowUs_);
}

LinkReport replay(const sim::Capture& capture, std::optional<std::int64_t> untilUs) {
    FeedPort port;
    ProbeSession session(port, capture.line.value_or(CommSettings{}));
    for (const sim::CaptureBatch& batch : capture.batches) {
        if (untilUs && batch.atUs > *untilUs) break;
        session.batchStart(batch.atUs, batch.size);
        port.pending = capture.bytesOf(batch);
        for (std::size_t i = 0; i < batch.size; ++i) session.onComm();
        session.batchDone();
    }
    return session.finish(untilUs.value_or(capture.lengthUs()));
}

sim::Capture captureOfRawBytes(std::vector<std::uint8_t> bytes, const CommSettings& line) {
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
