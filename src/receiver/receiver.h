// The receiver: every read of the port goes in whole, with the time it
// arrived; frames are found in the byte stream, each channel's range is
// learnt, and what the main window shows comes out as plain data. It owns
// calibration, the Zhen Hua cable format and the no-signal watchdog.
//
// A read is taken as its bytes one at a time, in order; only what the last
// frame of a read leaves on screen is worked out, since nothing earlier
// would ever be seen.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "frames/frame_chain.h"
#include "frames/frame_decoders.h"
#include "receiver/channel_range.h"
#include "receiver/deadline.h"
#include "receiver/sticks.h"
#include "receiver/transmitter.h"

namespace quadrel {

class LinkMonitor;

inline constexpr int kChannels = 8;

// What the desktop does for the receiver: the system beep and the cable's
// wiring window. The program passes Qt adapters; tests pass fakes.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

class CableWindow {
public:
    virtual ~CableWindow() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
};

// One channel row: "-" where a value or width is empty.
struct ChannelRow {
    std::optional<int> value;  // the channel's raw value in the last frame
    std::optional<int> width;  // its range's width; green from kWideRange on
    float bar = 0.0f;          // where the value stands in the range, 0 to 100

    bool operator==(const ChannelRow&) const = default;
};

struct ReceiverView {
    std::array<ChannelRow, kChannels> rows;
    StickPositions sticks;
    TransmitterSetup setup;
    bool noSignal = true;
    bool cableFormat = false;  // the stream is read as the Zhen Hua cable's

    bool operator==(const ReceiverView&) const = default;
};

// Told of each frame on the wire the moment it is complete (its eighth
// channel, the next frame's sync, the cable packet's fourth channel), once,
// with the channels' ranges as of that frame; frames are found as the
// frame chain finds them, so a sync-like channel byte never passes for a
// frame. And of the no-signal state. The joystick listens.
class FrameListener {
public:
    virtual ~FrameListener() = default;
    virtual void frameComplete(const DecodedFrame& frame,
                               const std::array<ChannelRange, 8>& ranges) = 0;
    virtual void signalLost() = 0;
};

class Receiver {
public:
    // The watchdog, no more than 500 ms between bytes that restart it.
    static constexpr Time kSilenceLimit = std::chrono::milliseconds(500);
    // The delayed calibration, a second after it is asked for.
    static constexpr Time kCalibrationDelay = std::chrono::seconds(1);

    // The watchdog and the delayed calibration run from `start`.
    Receiver(CableWindow& cable, Beeper& beeper, Time start = Time(0));

    // Counts what arrives for the link statistics; none by default.
    void setLinkMonitor(LinkMonitor* link) { link_ = link; }
    void setFrameListener(FrameListener* listener) { frames_ = listener; }

    // A read of the port that arrived at `now`. Nothing thrown by the
    // windows escapes it.
    void feed(std::span<const std::uint8_t> bytes, Time now) noexcept;

    // "Calibrate": the rows blanked, the ranges and the frame window
    // forgotten.
    void calibrate();
    // "Recalibrate": the ranges and the frame window only.
    void recalibrate();
    // A calibration with a beep, a second from now unless one is pending.
    void calibrateLater(Time now) { calibration_.start(now); }

    // Runs out kSilenceLimit after the last byte that restarts it: no
    // signal, until data returns.
    Deadline& watchdog() { return watchdog_; }
    const Deadline& watchdog() const { return watchdog_; }
    const Deadline& delayedCalibration() const { return calibration_; }
    // When the watchdog or the delayed calibration falls due next.
    std::optional<Time> nextDeadline() const {
        return earlier(watchdog_.due(), calibration_.due());
    }
    // Runs, in time order, what fell due by `now`; the watchdog first on a tie.
    void advance(Time now);
    void onNoSignal();
    void onCalibrationDue();

    void setType(std::optional<TransmitterType> type) { view_.setup.type = type; }
    void setMode(std::optional<StickMode> mode) { view_.setup.mode = mode; }
    void setReverse(int channel, ReverseBox box) { view_.setup.reverse.at(channel - 1) = box; }

    const ReceiverView& view() const { return view_; }
    const FrameWindow& frameWindow() const { return window_; }
    const ChannelRange& range(int channel) const { return ranges_.at(channel - 1); }

private:
    void take(std::uint8_t byte, Time now);
    void wakeUp(Time now);
    void decode(FrameKind kind);
    // A frame the chain found complete, with the ranges as of that frame.
    void announce(const DecodedFrame& frame);
    void noteFrame(const DecodedFrame& frame);
    void showFrames();
    void blankRows();
    void enterCableFormat();
    void leaveCableFormat();

    CableWindow& cable_;
    Beeper& beeper_;
    LinkMonitor* link_ = nullptr;
    FrameListener* frames_ = nullptr;
    FrameChain chain_;  // the frames the listener hears

    ReceiverView view_;
    FrameWindow window_;
    std::array<ChannelRange, kChannels> ranges_{};
    Deadline watchdog_{kSilenceLimit};
    Deadline calibration_{kCalibrationDelay};

    // What the stick display reads of channels 1 to 4: each bar's value,
    // nothing while the last frame lacks the channel. Never shown is 0.
    std::array<std::optional<double>, 4> stickInputs_{0.0, 0.0, 0.0, 0.0};
    Sticks sticks_;

    // A channel's value in the last frame that carried it, with its range
    // as of that frame: what its row shows.
    struct ShownValue {
        std::uint8_t value = 0;
        ChannelRange range;
    };
    std::array<ShownValue, kChannels> shown_{};
    // Channels of the read's last frame, not yet shown; -1 when none.
    int pendingChannels_ = -1;
    // The most channels of any frame of the read.
    int pendingWidest_ = 0;
};

}  // namespace quadrel
