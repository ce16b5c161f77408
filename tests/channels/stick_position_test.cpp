// The two stick markers: reverse boxes, transmitter type and mode applied to
// channels 1 to 4, each axis limited to its box.
#include <gtest/gtest.h>

#include "channels/stick_display.h"
#include "harness.h"

namespace quadrel::testing {
namespace {

constexpr double kAbsent = -999;  // the channel is absent from the frame ("-")
constexpr std::array<int, 4> kTicked{1, 1, 1, 1};

std::array<ValueCell, 4> channels(std::array<double, 4> v) {
    std::array<ValueCell, 4> out;
    for (int k = 0; k < 4; ++k) out[k] = v[k] == kAbsent ? ValueCell::absent() : ValueCell::number(v[k]);
    return out;
}

// The markers against axis values 0..100: Ball1 vertical, Ball1 horizontal,
// Ball2 vertical, Ball2 horizontal.
void expectAxes(const StickMarkers& m, std::array<double, 4> axes) {
    const float twips[] = {m.Ball1.Top, m.Ball1.Left, m.Ball2.Top, m.Ball2.Left};
    const double edges[] = {240, 1440, 240, 240};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR((twips[i] - edges[i]) / 8.6, axes[i], 1e-4) << "axis " << i + 1;
}

struct Arrangement {
    int type, mode;
    std::array<double, 4> axes;
};

// Channels 10, 20, 30, 40 with every box ticked; for the Zhen Hua type the
// third function is 100 minus channel 2: 80.
const Arrangement kArrangements[] = {
    {1, 1, {10, 20, 30, 40}}, {1, 2, {30, 20, 10, 40}}, {1, 3, {30, 40, 10, 20}}, {1, 4, {10, 40, 30, 20}},
    {2, 1, {30, 10, 20, 40}}, {2, 2, {20, 10, 30, 40}}, {2, 3, {20, 40, 30, 10}}, {2, 4, {30, 40, 20, 10}},
    {3, 1, {40, 10, 20, 30}}, {3, 2, {20, 10, 40, 30}}, {3, 3, {20, 30, 40, 10}}, {3, 4, {40, 30, 20, 10}},
    {4, 1, {30, 20, 10, 40}}, {4, 2, {10, 20, 30, 40}}, {4, 3, {10, 40, 30, 20}}, {4, 4, {30, 40, 10, 20}},
    {5, 1, {10, 30, 80, 40}}, {5, 2, {80, 30, 10, 40}}, {5, 3, {80, 40, 10, 30}}, {5, 4, {10, 40, 80, 30}},
};

class TypeAndMode : public ::testing::TestWithParam<Arrangement> {};

TEST_P(TypeAndMode, PutsEachChannelOnItsAxis) {
    const Arrangement& a = GetParam();
    StickState state;
    expectAxes(stickMarkers(channels({10, 20, 30, 40}), {kTicked, a.type, a.mode}, state), a.axes);
}

INSTANTIATE_TEST_SUITE_P(AllTypesAllModes, TypeAndMode, ::testing::ValuesIn(kArrangements), [](const auto& info) {
    return "Type" + std::to_string(info.param.type) + "Mode" + std::to_string(info.param.mode);
});

struct StickCase {
    const char* name;
    std::array<int, 4> reverse;
    int type, mode;
    std::array<double, 4> before;  // a frame before, or nothing when all negative
    std::array<double, 4> now;
    std::array<double, 4> axes;
};

const StickCase kCases[] = {
    {"ClearBoxesInvertEveryChannel", {0, 0, 0, 0}, 1, 1, {-1, -1, -1, -1}, {10, 20, 30, 40}, {90, 80, 70, 60}},
    {"GreyedBoxesDoNotInvert", {2, 2, 2, 2}, 1, 1, {-1, -1, -1, -1}, {10, 20, 30, 40}, {10, 20, 30, 40}},
    {"AxesLimitedToTheBox", kTicked, 1, 1, {-1, -1, -1, -1}, {130, -20, 100, 0}, {100, 0, 100, 0}},
    {"FractionOfATwipKept", kTicked, 1, 1, {-1, -1, -1, -1}, {33, 0, 0, 0}, {33, 0, 0, 0}},
    {"AbsentChannelOnTheBoxEdge", kTicked, 2, 3, {60, 60, 60, 60}, {60, 60, 60, kAbsent}, {60, 0, 60, 60}},
    {"ZhenHuaKeepsTheThirdFunctionWithoutChannel2", kTicked, 5, 1, {10, 30, 20, 40}, {15, kAbsent, 25, 45},
     {15, 25, 70, 45}},
    {"NoModeSinceStartTopLeftCorners", kTicked, 1, 0, {-1, -1, -1, -1}, {10, 20, 30, 40}, {0, 0, 0, 0}},
    {"NoTypeSinceStartTopLeftCorners", kTicked, 0, 1, {-1, -1, -1, -1}, {10, 20, 30, 40}, {0, 0, 0, 0}},
};

void PrintTo(const StickCase& c, std::ostream* os) { *os << c.name; }

class Sticks : public ::testing::TestWithParam<StickCase> {};

TEST_P(Sticks, MarkersStandWhereTheChannelsSay) {
    const StickCase& c = GetParam();
    StickState state;
    if (c.before[0] >= 0) stickMarkers(channels(c.before), {c.reverse, c.type, c.mode}, state);
    expectAxes(stickMarkers(channels(c.now), {c.reverse, c.type, c.mode}, state), c.axes);
}

INSTANTIATE_TEST_SUITE_P(Table, Sticks, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// On the window: the boxes and options are read at every frame, and only then.
TEST(Sticks, ChoicesOnTheWindowTakeEffectWithTheNextFrame) {
    MainFormHarness h;
    h.ui().Option.setValue(1, true);
    h.ui().Mode.setValue(1, true);
    for (int k = 1; k <= 4; ++k) h.ui().Check(k).setValue(1);
    h.wakeUp();
    // Ranges 0..200, then 50, 100, 150, 200: bars 25, 50, 75, 100.
    const Bytes shown = bytes({255, 50, 100, 150, 200});
    h.receive(bytes({255, 0, 0, 0, 0, 255, 200, 200, 200, 200}) + shown + shown);
    expectAxes({h.ui().Ball1, h.ui().Ball2}, {25, 50, 75, 100});
    h.ui().Check(1).setValue(0);
    h.ui().Mode.setValue(2, true);
    expectAxes({h.ui().Ball1, h.ui().Ball2}, {25, 50, 75, 100});
    h.receive(shown);  // Mode 2, channel 1 inverted
    expectAxes({h.ui().Ball1, h.ui().Ball2}, {75, 50, 75, 100});
}

}  // namespace
}  // namespace quadrel::testing
