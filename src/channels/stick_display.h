// Where the two stick markers stand: the reverse boxes, the transmitter type
// (which channel carries which stick function) and the mode (which stick
// and axis shows each function) applied to channels 1 to 4.
#pragma once

#include <array>

#include "channels/value_cell.h"
#include "controls/control_state.h"

namespace quadrel {

struct StickControls {
    std::array<int, 4> reverse{};  // Check1..Check4: 0 clear, 1 ticked, 2 greyed
    int type = 0;                  // chosen Option1..Option5, 0 for none
    int mode = 0;                  // chosen Mode1..Mode4, 0 for none
};

// Kept from one frame to the next: a slot that a frame does not assign
// keeps its previous value.
struct StickState {
    std::array<ValueCell, 4> StickFunction{};
    // 1: Ball1 vertical, 2: Ball1 horizontal, 3: Ball2 vertical, 4: Ball2 horizontal.
    std::array<ValueCell, 4> MarkerCoordinate{};

    bool operator==(const StickState&) const = default;
};

struct StickMarkers {
    MarkerState Ball1;  // right stick
    MarkerState Ball2;  // left stick
};

// Twips inside the stick frame: the boxes' top-left corners and the travel.
inline constexpr double kStickBoxTop = 240.0;
inline constexpr double kLeftBoxLeft = 240.0;
inline constexpr double kRightBoxLeft = 1440.0;
inline constexpr double kStickTravel = 860.0;

// Runs the stick display for one frame. `channelPosition` holds the bar
// values of channels 1 to 4 (or "-" for an absent channel).
StickMarkers stickMarkers(std::array<ValueCell, 4> channelPosition, const StickControls& controls,
                          StickState& state);

// A marker's top or left edge for a coordinate 0..100 (empty counts as 0).
float markerTwips(const ValueCell& coordinate, double boxEdge);

}  // namespace quadrel
