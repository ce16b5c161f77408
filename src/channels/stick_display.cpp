#include "channels/stick_display.h"

namespace quadrel {
namespace {

// 100 - v; nothing for "-", which has no numeric value.
std::optional<ValueCell> complement(const ValueCell& v) {
    if (v.isAbsent()) return std::nullopt;
    return ValueCell::number(100.0 - v.numberOrZero());
}

// Which channel (1-based) feeds each stick function, per transmitter type.
// Zhen Hua (type 5) feeds function 3 with 100 - ch2 and is handled apart.
constexpr std::array<std::array<int, 4>, 4> kTypeRows = {{
    {1, 2, 3, 4},  // JR
    {3, 1, 2, 4},  // Hitec/Futaba
    {4, 1, 2, 3},  // Multiplex/Robbe
    {3, 2, 1, 4},  // Sanwa/Airtronics
}};

// Which stick function feeds each marker coordinate, per mode.
constexpr std::array<std::array<int, 4>, 4> kModeRows = {{
    {1, 2, 3, 4},  // Mode 1
    {3, 2, 1, 4},  // Mode 2
    {3, 4, 1, 2},  // Mode 3
    {1, 4, 3, 2},  // Mode 4
}};

// Keeps a coordinate within 0..100; "-" becomes 0 and empty stays empty.
ValueCell limited(const ValueCell& c) {
    if (c.isAbsent()) return ValueCell::number(0.0);
    if (c.isEmpty()) return c;
    const double v = c.numberOrZero();
    if (v < 0.0) return ValueCell::number(0.0);
    if (v > 100.0) return ValueCell::number(100.0);
    return c;
}

}  // namespace

float markerTwips(const ValueCell& coordinate, double boxEdge) {
    return static_cast<float>(coordinate.numberOrZero() / 100.0 * kStickTravel + boxEdge);
}

StickMarkers stickMarkers(std::array<ValueCell, 4> ch, const StickControls& controls,
                                 StickState& state) {
    // A clear reverse box shows the channel inverted; "-" stays "-".
    for (int k = 0; k < 4; ++k)
        if (controls.reverse[k] == 0)
            if (auto inverted = complement(ch[k])) ch[k] = *inverted;

    auto& f = state.StickFunction;
    if (controls.type >= 1 && controls.type <= 4) {
        const auto& row = kTypeRows[controls.type - 1];
        for (int slot = 0; slot < 4; ++slot) f[slot] = ch[row[slot] - 1];
    } else if (controls.type == 5) {
        f[0] = ch[0];
        f[1] = ch[2];
        if (auto v = complement(ch[1])) f[2] = *v;  // an absent ch2 leaves slot 3 as it was
        f[3] = ch[3];
    }

    auto& m = state.MarkerCoordinate;
    if (controls.mode >= 1 && controls.mode <= 4) {
        const auto& row = kModeRows[controls.mode - 1];
        for (int axis = 0; axis < 4; ++axis) m[axis] = f[row[axis] - 1];
    }
    for (auto& c : m) c = limited(c);

    StickMarkers markers;
    markers.Ball1.Top = markerTwips(m[0], kStickBoxTop);
    markers.Ball1.Left = markerTwips(m[1], kRightBoxLeft);
    markers.Ball2.Top = markerTwips(m[2], kStickBoxTop);
    markers.Ball2.Left = markerTwips(m[3], kLeftBoxLeft);
    return markers;
}

}  // namespace quadrel
