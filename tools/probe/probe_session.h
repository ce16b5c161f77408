// The main window's receive path and the link statistics, without a window:
// bytes arrive in batches with their arrival time, from a real port or from
// a capture played in virtual time, and the main window's timers (the
// watchdog and the delayed calibration) run when they fall due between
// batches, as they would in the program.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "capture_file.h"
#include "form/main_form.h"
#include "link/link_monitor.h"

namespace quadrel::probe {

class ProbeSession {
public:
    // `port` delivers the bytes of each receive event, on a line with these
    // settings. The session starts at time 0 as the program's main window
    // does once its splash is gone.
    ProbeSession(SerialComponent& port, const CommSettings& line);

    // Before a batch's receive events, with the time it arrived and the
    // number of bytes in it.
    void batchStart(std::int64_t atUs, std::size_t bytes);
    // One receive event: what the port's receive handler calls.
    void onComm() { form_.MSComm1_OnComm(); }
    // After a batch's receive events.
    void batchDone();

    // Each batch as a line of a capture, given to `sink` (the header first).
    void record(std::function<void(const std::string&)> sink);

    // What the port's driver tells beside the bytes.
    void driverSays(LowLatency lowLatency, std::optional<LineErrorCounts> lineErrors);
    // The port went away: the figures say so, and listening ends.
    void portAway(const std::string& reason) { monitor_.setPortAway(reason); }
    // Another program reads the port too; empty once it no longer does.
    void portShared(const std::string& reason) { monitor_.setPortShared(reason); }

    // The figures at `atUs`; the recording, if any, ends there.
    LinkReport finish(std::int64_t atUs);

    const MainForm& form() const { return form_; }

private:
    // Reads through to the port, keeping what each receive event yields.
    class Tap : public SerialComponent {
    public:
        explicit Tap(SerialComponent& port) : port_(port) {}
        std::vector<std::uint8_t> bytes;
        int CommEvent() const override { return port_.CommEvent(); }
        std::optional<std::uint8_t> Input() override;
        void setCommPort(std::int16_t port) override { port_.setCommPort(port); }
        std::int16_t CommPort() const override { return port_.CommPort(); }
        void setSettings(const std::string& s) override { port_.setSettings(s); }
        std::string Settings() const override { return port_.Settings(); }
        void setInputLen(std::int16_t len) override { port_.setInputLen(len); }
        void setRThreshold(std::int16_t t) override { port_.setRThreshold(t); }
        void setRTSEnable(bool on) override { port_.setRTSEnable(on); }
        void setDTREnable(bool on) override { port_.setDTREnable(on); }
        void setPortOpen(bool open) override { port_.setPortOpen(open); }
        bool PortOpen() const override { return port_.PortOpen(); }

    private:
        SerialComponent& port_;
    };
    struct NoCable : CableWindow {
        void show() override {}
        void hide() override {}
    };
    struct NoBeep : Beeper {
        void beep() override {}
    };
    struct Timer {
        TimerState* state;
        std::function<void()> onTick;
        std::uint64_t seenStarts;
        std::int64_t dueUs;
    };
    void runTimersUntil(std::int64_t atUs);
    void noteRestarts(std::int64_t atUs);

    Tap tap_;
    NoCable cable_;
    NoBeep beep_;
    MainForm form_;
    LinkMonitor monitor_;
    std::vector<Timer> timers_;
    std::int64_t nowUs_ = 0, batchUs_ = 0;
    std::function<void(const std::string&)> recorder_;
    CommSettings line_;
};

// A port that hands out the bytes it is given, one per receive event.
class FeedPort : public ReceiveOnlyPort {
public:
    std::span<const std::uint8_t> pending;
    std::optional<std::uint8_t> Input() override;
};

// A capture played into a fresh session at once, each batch at its own
// time; the figures at `untilUs`, else at the capture's end.
LinkReport replay(const sim::Capture& capture, std::optional<std::int64_t> untilUs = {});

// Raw bytes as they would arrive at the line's pace, as a capture.
sim::Capture captureOfRawBytes(std::vector<std::uint8_t> bytes, const CommSettings& line);

}  // namespace quadrel::probe
