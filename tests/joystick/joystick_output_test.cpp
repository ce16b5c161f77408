// The joystick fed frames in order: where each axis lands, what a reverse
// box and a calibrated range do, and the failsafe from the moment the
// signal is lost until three good frames bring the sticks back.
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"
#include "joystick/joystick_output.h"

namespace quadrel::testing {
namespace {

struct Reports : JoystickDevice {
    std::vector<std::vector<AxisValue>> seen;
    std::vector<std::vector<ButtonValue>> pressed;
    void report(std::span<const AxisValue> axes, std::span<const ButtonValue> buttons) override {
        seen.emplace_back(axes.begin(), axes.end());
        pressed.emplace_back(buttons.begin(), buttons.end());
    }
};

DecodedFrame frameOf(std::vector<int> values) {
    DecodedFrame f;
    for (std::size_t k = 0; k < values.size(); ++k)
        f.values[k] = static_cast<std::uint8_t>(values[k]);
    f.presentChannels = static_cast<int>(values.size());
    return f;
}

constexpr std::array<ChannelRange, 8> kUnlearnt{};  // Res red: 0..254

TEST(JoystickOutput, ValuesLandOnTheAxesAsChosen) {
    struct Case {
        const char* name;
        int raw;
        ChannelRange range;
        bool reversed;
        int axis;
    };
    // clang-format off
    const Case cases[] = {
        {"0 at the low end",           0,   {}, false, kAxisMin},
        {"127 in the middle",          127, {}, false, 0},
        {"254 at the high end",        254, {}, false, kAxisMax},
        {"reversed",                   0,   {}, true,  kAxisMax},
        {"a learnt range's low end",   60,  {60, 200}, false, kAxisMin},
        {"a learnt range's middle",    130, {60, 200}, false, 0},
        {"a learnt range's high end",  200, {60, 200}, false, kAxisMax},
        {"a range too narrow: 0..254", 130, {60, 159}, false, 774},
    };
    // clang-format on
    for (const Case& c : cases) {
        Reports device;
        JoystickOutput out(device);
        JoystickChoices choices = defaultJoystickChoices(TransmitterType::JR);
        choices.axes[1].reversed = c.reversed;
        out.setChoices(choices);
        std::array<ChannelRange, 8> ranges{};
        ranges[1] = c.range;
        out.frameComplete(frameOf({127, c.raw}), ranges);
        EXPECT_EQ(out.sent().axes[1], c.axis) << c.name;
    }
}

// A button follows its channel over the same range an axis would; the
// failsafe lets it go.
TEST(JoystickOutput, AButtonIsPressedAboveItsChannelsMiddle) {
    struct Case {
        const char* name;
        int raw;
        ChannelRange range;
        bool pressed;
    };
    // clang-format off
    const Case cases[] = {
        {"254",                          254, {},        true},
        {"128: just above 0..254's middle", 128, {},     true},
        {"127: the middle",              127, {},        false},
        {"0",                            0,   {},        false},
        {"above a learnt range's middle", 140, {60, 200}, true},
        {"below it",                     120, {60, 200}, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        Reports device;
        JoystickOutput out(device);
        JoystickChoices choices = defaultJoystickChoices(TransmitterType::JR);
        choices.buttons[1] = 6;  // the thumb button follows channel 6
        out.setChoices(choices);
        std::array<ChannelRange, 8> ranges{};
        ranges[5] = c.range;
        out.frameComplete(frameOf({127, 127, 127, 127, 127, c.raw}), ranges);
        EXPECT_EQ(out.sent().buttons, (std::array<bool, 4>{false, c.pressed, false, false}))
            << c.name;
        out.signalLost();
        EXPECT_EQ(out.sent().buttons, (std::array<bool, 4>{})) << c.name;
    }
}

TEST(JoystickOutput, OneReportPerFrameThatChangesSomething) {
    Reports device;
    JoystickOutput out(device);
    out.setChoices(defaultJoystickChoices(TransmitterType::JR));
    out.frameComplete(frameOf({127, 127, 127, 127}), kUnlearnt);  // all centred already
    EXPECT_TRUE(device.seen.empty());
    out.frameComplete(frameOf({254, 127, 0, 127}), kUnlearnt);
    out.frameComplete(frameOf({254, 127, 0, 127}), kUnlearnt);
    ASSERT_EQ(device.seen.size(), 1u);
    EXPECT_EQ(device.seen[0], (std::vector<AxisValue>{{0, kAxisMax}, {2, kAxisMin}}));
    EXPECT_TRUE(device.pressed[0].empty());        // no button has a channel
    out.frameComplete(frameOf({254}), kUnlearnt);  // the channels a frame lacks hold
    EXPECT_EQ(out.sent().axes[2], kAxisMin);
}

TEST(JoystickOutput, FailsafeFromTheLostSignalUntilThreeGoodFrames) {
    Reports device;
    JoystickOutput out(device);
    JoystickChoices choices = defaultJoystickChoices(TransmitterType::HitecFutaba);  // throttle: 3
    choices.axes[0].failsafe = Failsafe::Hold;
    choices.axes[1].failsafe = Failsafe::Value;
    choices.axes[1].failsafeValue = 1000;
    out.setChoices(choices);
    const DecodedFrame sticks = frameOf({254, 254, 254, 254});
    out.frameComplete(sticks, kUnlearnt);
    out.signalLost();
    EXPECT_TRUE(out.inFailsafe());
    EXPECT_EQ(out.sent().axes, (std::array<int, 8>{kAxisMax, 1000, kAxisMin, 0, 0, 0, 0, 0}));
    out.signalLost();  // still lost: no second report
    EXPECT_EQ(device.seen.size(), 2u);
    out.frameComplete(sticks, kUnlearnt);
    out.frameComplete(sticks, kUnlearnt);
    out.signalLost();  // lost again: the count starts over
    out.frameComplete(sticks, kUnlearnt);
    out.frameComplete(sticks, kUnlearnt);
    EXPECT_TRUE(out.inFailsafe());
    out.frameComplete(sticks, kUnlearnt);
    EXPECT_FALSE(out.inFailsafe());
    EXPECT_EQ(out.sent().axes,
              (std::array<int, 8>{kAxisMax, kAxisMax, kAxisMax, kAxisMax, 0, 0, 0, 0}));
}

TEST(JoystickOutput, TheThrottleGoesLowForEveryType) {
    // clang-format off
    const std::pair<std::optional<TransmitterType>, int> throttles[] = {
        {TransmitterType::JR, 1}, {TransmitterType::HitecFutaba, 3},
        {TransmitterType::MultiplexRobbe, 4}, {TransmitterType::SanwaAirtronics, 3},
        {TransmitterType::ZhenHua, 1}, {std::nullopt, 0}};
    // clang-format on
    for (const auto& [type, throttle] : throttles)
        for (int a = 0; a < kJoystickAxes; ++a) {
            const AxisChoice low{a + 1, false, Failsafe::Value, kAxisMin};
            const AxisChoice centre{a + 1, false, Failsafe::Centre, 0};
            EXPECT_EQ(defaultJoystickChoices(type).axes[static_cast<std::size_t>(a)],
                      throttle == a + 1 ? low : centre)
                << a;
        }
}

// Behind the receiver: the failsafe begins exactly with the no-signal state
// and ends with the third frame after it.
TEST(JoystickOutput, FollowsTheReceiversSignalState) {
    ReceiverHarness h;
    Reports device;
    JoystickOutput out(device);
    out.setChoices(defaultJoystickChoices(TransmitterType::JR));
    h.receiver.setFrameListener(&out);
    const Bytes frame = bytes({255, 200, 0, 127, 127, 127, 127, 127, 127});
    const int throttle = axisValue(200, {});
    h.receive(frame);
    EXPECT_EQ(out.sent().axes[0], throttle);
    h.clock.advance(499);
    EXPECT_FALSE(out.inFailsafe());
    h.clock.advance(1);
    ASSERT_TRUE(h.view().noSignal);
    EXPECT_TRUE(out.inFailsafe());
    EXPECT_EQ(out.sent().axes[0], kAxisMin);  // JR: channel 1 is the throttle
    h.receive(frame + frame);
    EXPECT_TRUE(out.inFailsafe());
    h.receive(frame);
    EXPECT_FALSE(out.inFailsafe());
    EXPECT_EQ(out.sent().axes[0], throttle);
}

}  // namespace
}  // namespace quadrel::testing
