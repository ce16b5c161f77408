// The virtual joystick, fed by the receiver's frames: each channel scaled
// over its calibrated range once that range is wide enough to be real (the
// range the bar shows, Res green), over 0..254 before; reversed where
// chosen; one report per frame of the axes that changed, none when nothing
// did. A button is pressed while its channel stands above the middle of
// that range. When the signal is lost each axis does what its failsafe
// says and every button is let go; three good frames in a row bring the
// sticks back.
#pragma once

#include <array>
#include <span>

#include "frames/frame_decoders.h"
#include "joystick/joystick_choices.h"
#include "receiver/channel_range.h"
#include "receiver/receiver.h"

namespace quadrel {

struct AxisValue {
    int axis = 0;  // 0 to 7: X, Y, Z, RX, RY, RZ, throttle, rudder
    int value = 0;

    bool operator==(const AxisValue&) const = default;
};

struct ButtonValue {
    int button = 0;  // 0 to 3: trigger, thumb, thumb 2, top
    bool pressed = false;

    bool operator==(const ButtonValue&) const = default;
};

// What the joystick last sent.
struct JoystickState {
    std::array<int, kJoystickAxes> axes{};  // all centred at first
    std::array<bool, kJoystickButtons> buttons{};

    bool operator==(const JoystickState&) const = default;
};

// The uinput device, or a test's stand-in.
class JoystickDevice {
public:
    virtual ~JoystickDevice() = default;
    // One report: the axes and buttons that changed, then a SYN_REPORT.
    virtual void report(std::span<const AxisValue> axes, std::span<const ButtonValue> buttons) = 0;
};

// A channel's raw value on an axis, before any reversing.
int axisValue(int raw, const ChannelRange& range);

class JoystickOutput : public FrameListener {
public:
    static constexpr int kFramesToRecover = 3;

    explicit JoystickOutput(JoystickDevice& device) : device_(device) {}

    void setChoices(const JoystickChoices& choices) { choices_ = choices; }
    const JoystickChoices& choices() const { return choices_; }

    // A complete frame, with every channel's range as of that frame.
    void frameComplete(const DecodedFrame& frame,
                       const std::array<ChannelRange, 8>& ranges) override;
    // The no-signal state began, or the port went away.
    void signalLost() override;

    bool inFailsafe() const { return failsafe_; }
    const JoystickState& sent() const { return sent_; }

private:
    void send(const JoystickState& wanted);

    JoystickDevice& device_;
    JoystickChoices choices_;
    JoystickState sent_;
    bool failsafe_ = false;
    int goodFrames_ = 0;
};

}  // namespace quadrel
