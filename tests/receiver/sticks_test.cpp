// The two stick markers: reverse boxes, transmitter type and mode applied to
// channels 1 to 4, each axis limited to its box.
#include <gtest/gtest.h>

#include "harness.h"
#include "receiver/sticks.h"

namespace quadrel::testing {
namespace {

constexpr double kAbsent = -999;  // the channel is absent from the frame ("-")
constexpr std::array<int, 4> kTicked{1, 1, 1, 1};

std::array<std::optional<double>, 4> channels(std::array<double, 4> v) {
    std::array<std::optional<double>, 4> out;
    for (int k = 0; k < 4; ++k)
        if (v[k] != kAbsent) out[k] = v[k];
    return out;
}

// Type and mode 0 choose none.
TransmitterSetup setup(std::array<int, 4> reverse, int type, int mode) {
    TransmitterSetup s;
    for (int k = 0; k < 4; ++k) s.reverse[k] = static_cast<ReverseBox>(reverse[k]);
    if (type) s.type = static_cast<TransmitterType>(type);
    if (mode) s.mode = static_cast<StickMode>(mode);
    return s;
}

// The markers against axis values 0..100: right stick down, right across,
// left down, left across.
void expectAxes(const StickPositions& p, std::array<double, 4> axes) {
    const double shown[] = {p.right.down, p.right.across, p.left.down, p.left.across};
    for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(shown[i], axes[i]) << "axis " << i + 1;
}

struct Arrangement {
    int type, mode;
    std::array<double, 4> axes;
};

// Channels 10, 20, 30, 40 with every box ticked; for the Zhen Hua type the
// third function is 100 minus channel 2: 80.
// clang-format off
const Arrangement kArrangements[] = {
    {1, 1, {10, 20, 30, 40}}, {1, 2, {30, 20, 10, 40}}, {1, 3, {30, 40, 10, 20}}, {1, 4, {10, 40, 30, 20}},
    {2, 1, {30, 10, 20, 40}}, {2, 2, {20, 10, 30, 40}}, {2, 3, {20, 40, 30, 10}}, {2, 4, {30, 40, 20, 10}},
    {3, 1, {40, 10, 20, 30}}, {3, 2, {20, 10, 40, 30}}, {3, 3, {20, 30, 40, 10}}, {3, 4, {40, 30, 20, 10}},
    {4, 1, {30, 20, 10, 40}}, {4, 2, {10, 20, 30, 40}}, {4, 3, {10, 40, 30, 20}}, {4, 4, {30, 40, 10, 20}},
    {5, 1, {10, 30, 80, 40}}, {5, 2, {80, 30, 10, 40}}, {5, 3, {80, 40, 10, 30}}, {5, 4, {10, 40, 80, 30}},
};
// clang-format on

class TypeAndMode : public ::testing::TestWithParam<Arrangement> {};

TEST_P(TypeAndMode, PutsEachChannelOnItsAxis) {
    const Arrangement& a = GetParam();
    Sticks sticks;
    sticks.update(channels({10, 20, 30, 40}), setup(kTicked, a.type, a.mode));
    expectAxes(sticks.positions(), a.axes);
}

INSTANTIATE_TEST_SUITE_P(AllTypesAllModes, TypeAndMode, ::testing::ValuesIn(kArrangements),
                         [](const auto& info) {
                             return "Type" + std::to_string(info.param.type) + "Mode" +
                                    std::to_string(info.param.mode);
                         });

struct StickCase {
    const char* name;
    std::array<int, 4> reverse;
    int type, mode;
    std::array<double, 4> before;  // a frame before, or nothing when all negative
    std::array<double, 4> now;
    std::array<double, 4> axes;
};

// clang-format off
const StickCase kCases[] = {
    {"ClearBoxesInvertEveryChannel", {0, 0, 0, 0}, 1, 1, {-1, -1, -1, -1}, {10, 20, 30, 40}, {90, 80, 70, 60}},
    {"GreyedBoxesDoNotInvert", {2, 2, 2, 2}, 1, 1, {-1, -1, -1, -1}, {10, 20, 30, 40}, {10, 20, 30, 40}},
    {"AxesLimitedToTheBox", kTicked, 1, 1, {-1, -1, -1, -1}, {130, -20, 100, 0}, {100, 0, 100, 0}},
    {"AbsentChannelOnTheBoxEdge", kTicked, 2, 3, {60, 60, 60, 60}, {60, 60, 60, kAbsent}, {60, 0, 60, 60}},
    {"ZhenHuaKeepsTheThirdFunctionWithoutChannel2", kTicked, 5, 1, {10, 30, 20, 40}, {15, kAbsent, 25, 45},
     {15, 25, 70, 45}},
    {"NoModeSinceStartTopLeftCorners", kTicked, 1, 0, {-1, -1, -1, -1}, {10, 20, 30, 40}, {0, 0, 0, 0}},
    {"NoTypeSinceStartTopLeftCorners", kTicked, 0, 1, {-1, -1, -1, -1}, {10, 20, 30, 40}, {0, 0, 0, 0}},
};
// clang-format on

void PrintTo(const StickCase& c, std::ostream* os) {
    *os << c.name;
}

class StickDisplay : public ::testing::TestWithParam<StickCase> {};

TEST_P(StickDisplay, MarkersStandWhereTheChannelsSay) {
    const StickCase& c = GetParam();
    Sticks sticks;
    if (c.before[0] >= 0) sticks.update(channels(c.before), setup(c.reverse, c.type, c.mode));
    sticks.update(channels(c.now), setup(c.reverse, c.type, c.mode));
    expectAxes(sticks.positions(), c.axes);
}

INSTANTIATE_TEST_SUITE_P(Table, StickDisplay, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quadrel::testing
