#include "probe_session.h"

#include <algorithm>

#include "stream_generator.h"

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
        session.batchStart(batch.atUs, batch.bytes.size());
        port.pending = batch.bytes;
        for (std::size_t i = 0; i < batch.bytes.size(); ++i) session.onComm();
        session.batchDone();
    }
    return session.finish(untilUs.value_or(capture.lengthUs()));
}

sim::Capture captureOfRawBytes(std::vector<std::uint8_t> bytes, const CommSettings& line) {
    sim::StreamSettings settings;
    settings.line = line;
    settings.replay = std::move(bytes);
    sim::StreamGenerator stream(std::move(settings));
    sim::Capture capture;
    capture.line = line;
    while (auto chunk = stream.next()) {
        const auto at = std::chrono::duration_cast<std::chrono::microseconds>(chunk->at).count();
        capture.endUs = at + std::chrono::duration_cast<std::chrono::microseconds>(
                                 sim::lineTime(chunk->bytes.size(), line))
                                 .count();
        capture.batches.push_back({at, std::move(chunk->bytes)});
    }
    return capture;
}

}  // namespace quadrel::probe
