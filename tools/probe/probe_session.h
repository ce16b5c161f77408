// The program's receiver and the link statistics, without a window: reads
// arrive with their arrival time, from a real port or from a capture played
// in virtual time, and the watchdog and the delayed calibration run when
// they fall due between reads, as they would in the program.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "capture_file.h"
#include "link/link_monitor.h"
#include "receiver/receiver.h"

namespace quadrel::probe {

class ProbeSession {
public:
    // Reads come on a line with these settings. The session starts at time
    // 0 as the program's receiver does once its splash is gone.
    explicit ProbeSession(const LineSettings& line);

    // A read, with the time it arrived; times never go back.
    void read(std::span<const std::uint8_t> bytes, std::int64_t atUs);

    // Each read as a line of a capture, given to `sink` (the header first).
    void record(std::function<void(const std::string&)> sink);

    // What the port's driver tells beside the bytes.
    void driverSays(LowLatency lowLatency, std::optional<LineErrorCounts> lineErrors);
    // The port went away: the figures say so, and listening ends.
    void portAway(const std::string& reason) { monitor_.setPortAway(reason); }
    // Another program reads the port too; empty once it no longer does.
    void portShared(const std::string& reason) { monitor_.setPortShared(reason); }

    // The figures at `atUs`; the recording, if any, ends there.
    LinkReport finish(std::int64_t atUs);

    const Receiver& receiver() const { return receiver_; }

private:
    struct NoCable : CableWindow {
        void show() override {}
        void hide() override {}
    };
    struct NoBeep : Beeper {
        void beep() override {}
    };
    // The time of a read at `atUs`, the time so far if that is later.
    Time advanceTo(std::int64_t atUs);

    NoCable cable_;
    NoBeep beep_;
    Receiver receiver_;
    LinkMonitor monitor_;
    Time now_{0};
    std::function<void(const std::string&)> recorder_;
    LineSettings line_;
};

// A capture played into a fresh session at once, each batch at its own
// time; the figures at `untilUs`, else at the capture's end.
LinkReport replay(const sim::Capture& capture, std::optional<std::int64_t> untilUs = {});

// Raw bytes as they would arrive at the line's pace, as a capture.
sim::Capture captureOfRawBytes(std::vector<std::uint8_t> bytes, const LineSettings& line);

}  // namespace quadrel::probe
