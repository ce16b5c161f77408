// The two stick markers: reverse boxes, transmitter type and mode applied to
// channels 1 to 4, each axis limited to its box.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "channels/stick_display.h"
#include "frames.h"

namespace quadrel::testing {
namespace {

constexpr int kTicked = 1;
constexpr int kGreyed = 2;
constexpr int kClear = 0;

ValueCell n(double v) { return ValueCell::number(v); }
const ValueCell kAbsent = ValueCell::absent();

StickControls controls(int type, int mode, std::array<int, 4> reverse = {kTicked, kTicked, kTicked, kTicked}) {
    StickControls c;
    c.type = type;
    c.mode = mode;
    c.reverse = reverse;
    return c;
}

// Marker edges for axis values 0..100, in the order Ball1 vertical, Ball1
// horizontal, Ball2 vertical, Ball2 horizontal.
StickMarkers markersAt(double b1v, double b1h, double b2v, double b2h) {
    auto at = [](double v, double edge) { return static_cast<float>(v / 100.0 * 860.0 + edge); };
    StickMarkers m;
    m.Ball1 = {at(b1h, 1440), at(b1v, 240)};
    m.Ball2 = {at(b2h, 240), at(b2v, 240)};
    return m;
}

void expectMarkers(const StickMarkers& actual, const StickMarkers& expected) {
    EXPECT_FLOAT_EQ(actual.Ball1.Top, expected.Ball1.Top) << "Ball1.Top";
    EXPECT_FLOAT_EQ(actual.Ball1.Left, expected.Ball1.Left) << "Ball1.Left";
    EXPECT_FLOAT_EQ(actual.Ball2.Top, expected.Ball2.Top) << "Ball2.Top";
    EXPECT_FLOAT_EQ(actual.Ball2.Left, expected.Ball2.Left) << "Ball2.Left";
}

// Channels 10, 20, 30, 40 with every box ticked: where each one ends up.
struct Arrangement {
    int type, mode;
    std::array<double, 4> axes;  // Ball1 vertical, Ball1 horizontal, Ball2 vertical, Ball2 horizontal
};

class TypeAndMode : public ::testing::TestWithParam<Arrangement> {};

TEST_P(TypeAndMode, PutsEachChannelOnItsAxis) {
    const Arrangement& a = GetParam();
    StickState state;
    const StickMarkers m = UpdateStickPosition({n(10), n(20), n(30), n(40)}, controls(a.type, a.mode), state);
    expectMarkers(m, markersAt(a.axes[0], a.axes[1], a.axes[2], a.axes[3]));
}

// For the Zhen Hua type the third function is 100 minus channel 2: 80.
INSTANTIATE_TEST_SUITE_P(
    AllTypesAllModes, TypeAndMode,
    ::testing::Values(
        Arrangement{1, 1, {10, 20, 30, 40}}, Arrangement{1, 2, {30, 20, 10, 40}},
        Arrangement{1, 3, {30, 40, 10, 20}}, Arrangement{1, 4, {10, 40, 30, 20}},
        Arrangement{2, 1, {30, 10, 20, 40}}, Arrangement{2, 2, {20, 10, 30, 40}},
        Arrangement{2, 3, {20, 40, 30, 10}}, Arrangement{2, 4, {30, 40, 20, 10}},
        Arrangement{3, 1, {40, 10, 20, 30}}, Arrangement{3, 2, {20, 10, 40, 30}},
        Arrangement{3, 3, {20, 30, 40, 10}}, Arrangement{3, 4, {40, 30, 20, 10}},
        Arrangement{4, 1, {30, 20, 10, 40}}, Arrangement{4, 2, {10, 20, 30, 40}},
        Arrangement{4, 3, {10, 40, 30, 20}}, Arrangement{4, 4, {30, 40, 10, 20}},
        Arrangement{5, 1, {10, 30, 80, 40}}, Arrangement{5, 2, {80, 30, 10, 40}},
        Arrangement{5, 3, {80, 40, 10, 30}}, Arrangement{5, 4, {10, 40, 80, 30}}),
    [](const auto& info) {
        return "Type" + std::to_string(info.param.type) + "Mode" + std::to_string(info.param.mode);
    });

TEST(StickPosition, CentredChannelsCentreBothMarkersWhateverTheChoice) {
    for (int type = 1; type <= 5; ++type)
        for (int mode = 1; mode <= 4; ++mode)
            for (int box : {kClear, kTicked, kGreyed}) {
                StickState state;
                const StickMarkers m =
                    UpdateStickPosition({n(50), n(50), n(50), n(50)}, controls(type, mode, {box, box, box, box}), state);
                EXPECT_EQ(m.Ball1, (MarkerState{1870, 670})) << type << mode << box;
                EXPECT_EQ(m.Ball2, (MarkerState{670, 670})) << type << mode << box;
            }
}

TEST(StickPosition, ClearReverseBoxInvertsGreyedDoesNot) {
    StickState state;
    // JR, Mode 1: channel 1 drives Ball1 vertically.
    EXPECT_FLOAT_EQ(UpdateStickPosition({n(100), n(0), n(0), n(0)}, controls(1, 1, {kClear, 1, 1, 1}), state).Ball1.Top, 240);
    EXPECT_FLOAT_EQ(UpdateStickPosition({n(100), n(0), n(0), n(0)}, controls(1, 1, {kTicked, 1, 1, 1}), state).Ball1.Top, 1100);
    EXPECT_FLOAT_EQ(UpdateStickPosition({n(100), n(0), n(0), n(0)}, controls(1, 1, {kGreyed, 1, 1, 1}), state).Ball1.Top, 1100);

    // All boxes clear: each channel is inverted on its own axis.
    const StickMarkers m = UpdateStickPosition({n(10), n(20), n(30), n(40)}, controls(1, 1, {0, 0, 0, 0}), state);
    expectMarkers(m, markersAt(90, 80, 70, 60));
}

TEST(StickPosition, ExamplePositions) {
    StickState state;
    // JR, Mode 2, channel 3 at 25 with its box ticked: Ball1 vertical.
    EXPECT_FLOAT_EQ(UpdateStickPosition({n(0), n(0), n(25), n(0)}, controls(1, 2, {0, 0, kTicked, 0}), state).Ball1.Top, 455);
    // A coordinate of 33 keeps its fraction of a twip.
    EXPECT_FLOAT_EQ(UpdateStickPosition({n(33), n(0), n(0), n(0)}, controls(1, 1), state).Ball1.Top, 523.8f);
    // Zhen Hua, box 2 clear, channel 2 at 30: inverted to 70, then the
    // third function is 100 - 70 = 30 (Ball2 vertical in Mode 1).
    const StickMarkers m = UpdateStickPosition({n(0), n(30), n(0), n(0)}, controls(5, 1, {1, kClear, 1, 1}), state);
    EXPECT_FLOAT_EQ(m.Ball2.Top, 30 / 100.0 * 860 + 240);
    EXPECT_EQ(state.StickFunction[2], n(30));
}

TEST(StickPosition, AxesAreLimitedToTheirBoxes) {
    StickState state;
    const StickMarkers m = UpdateStickPosition({n(130), n(-20), n(100), n(0)}, controls(1, 1), state);
    expectMarkers(m, markersAt(100, 0, 100, 0));
    const StickMarkers inverted = UpdateStickPosition({n(130), n(-20), n(100), n(0)}, controls(1, 1, {0, 0, 0, 0}), state);
    expectMarkers(inverted, markersAt(0, 100, 0, 100));
}

TEST(StickPosition, AbsentChannelPutsItsAxisOnTheBoxEdge) {
    for (int type = 1; type <= 4; ++type)
        for (int mode = 1; mode <= 4; ++mode) {
            StickState state;
            UpdateStickPosition({n(60), n(60), n(60), n(60)}, controls(type, mode), state);
            const StickMarkers m = UpdateStickPosition({n(60), n(60), n(60), kAbsent}, controls(type, mode), state);
            const float edges[] = {m.Ball1.Top, m.Ball1.Left - 1200, m.Ball2.Top, m.Ball2.Left};
            // Exactly one axis, the one channel 4 drives, sits on the edge.
            EXPECT_EQ(std::count(std::begin(edges), std::end(edges), 240.0f), 1) << type << mode;
            EXPECT_EQ(std::count(std::begin(edges), std::end(edges), 756.0f), 3) << type << mode;
        }
}

TEST(StickPosition, ZhenHuaKeepsTheThirdFunctionWhenChannel2IsAbsent) {
    StickState state;
    UpdateStickPosition({n(10), n(30), n(20), n(40)}, controls(5, 1), state);  // third function: 70
    const StickMarkers m = UpdateStickPosition({n(15), kAbsent, n(25), n(45)}, controls(5, 1), state);
    expectMarkers(m, markersAt(15, 25, 70, 45));

    // The JR type has no such memory: the absent channel's axis goes to 0.
    const StickMarkers jr = UpdateStickPosition({n(15), kAbsent, n(25), n(45)}, controls(1, 1), state);
    expectMarkers(jr, markersAt(15, 0, 25, 45));
}

TEST(StickPosition, WithoutTypeOrModeTheLastArrangementStays) {
    StickState fresh;
    // Never a mode since start-up: both markers on their top-left corners.
    expectMarkers(UpdateStickPosition({n(10), n(20), n(30), n(40)}, controls(1, 0), fresh), markersAt(0, 0, 0, 0));
    StickState noType;
    expectMarkers(UpdateStickPosition({n(10), n(20), n(30), n(40)}, controls(0, 1), noType), markersAt(0, 0, 0, 0));

    StickState state;
    UpdateStickPosition({n(10), n(20), n(30), n(40)}, controls(1, 1), state);
    // No mode: the coordinates keep their values, the markers stay.
    expectMarkers(UpdateStickPosition({n(90), n(90), n(90), n(90)}, controls(1, 0), state), markersAt(10, 20, 30, 40));
    // No type: the functions keep their values (the ones just set to 90).
    expectMarkers(UpdateStickPosition({n(60), n(60), n(60), n(60)}, controls(0, 2), state), markersAt(90, 90, 90, 90));
}

// ------------------------------------------------ through the main window

class SticksOnTheWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ui().Option.setValue(1, true);  // JR
        ui().Mode.setValue(1, true);
        for (int k = 1; k <= 4; ++k) ui().Check(k).setValue(kTicked);
        h.wakeUp();
        // Learn 0..200 on every channel, so that 100 is the middle.
        h.receive(standardFrame({0, 0, 0, 0, 0, 0, 0, 0}) + standardFrame({200, 200, 200, 200, 200, 200, 200, 200}) +
                  bytes({255}));
    }
    MainWindowState& ui() { return h.ui(); }
    // Channels 1 to 4 after the waiting sync; the next sync shows them.
    void frame(int c1, int c2, int c3, int c4) { h.receive(bytes({c1, c2, c3, c4, 100, 100, 100, 100, 255})); }

    MainFormHarness h;
};

TEST_F(SticksOnTheWindow, ChoicesTakeEffectWithTheNextFrame) {
    frame(50, 100, 150, 200);  // bars 25, 50, 75, 100
    EXPECT_EQ(ui().Ball1, (MarkerState{1440 + 430, 240 + 215}));
    EXPECT_EQ(ui().Ball2, (MarkerState{240 + 860, 240 + 645}));

    ui().Check(1).setValue(kClear);
    ui().Mode.setValue(2, true);
    EXPECT_EQ(ui().Ball1, (MarkerState{1440 + 430, 240 + 215}));  // not before a frame

    frame(50, 100, 150, 200);
    // Mode 2: Ball1 vertical is channel 3 (75), Ball2 vertical channel 1, now inverted (75).
    EXPECT_FLOAT_EQ(ui().Ball1.Top, 240 + 645);
    EXPECT_FLOAT_EQ(ui().Ball2.Top, 240 + 645);
}

TEST_F(SticksOnTheWindow, ThreeChannelFramePutsTheFourthAxisOnTheEdge) {
    frame(50, 100, 150, 200);
    ASSERT_FLOAT_EQ(ui().Ball2.Left, 240 + 860);
    h.receive(bytes({50, 100, 150, 255, 1, 2, 3, 4, 5}));  // channel 4 absent
    EXPECT_EQ(text(ui().In(4).Caption), "-");
    EXPECT_FLOAT_EQ(ui().Ball2.Left, 240);
    EXPECT_FLOAT_EQ(ui().Ball1.Top, 240 + 215);
}

}  // namespace
}  // namespace quadrel::testing
