// Where the two stick markers stand, from channels 1 to 4: the reverse boxes
// first, then the transmitter type gives each stick function its channel,
// then the mode gives each marker axis its function.
#pragma once

#include <array>
#include <optional>

#include "receiver/transmitter.h"

namespace quadrel {

// A stick's place, 0 to 100 across and down its box; 50, 50 is the middle.
struct StickPosition {
    double across = 50.0;
    double down = 50.0;

    bool operator==(const StickPosition&) const = default;
};

struct StickPositions {
    StickPosition left;
    StickPosition right;

    bool operator==(const StickPositions&) const = default;
};

// The channel that carries stick function 1, the throttle, for a type;
// nothing when no type is chosen.
std::optional<int> throttleChannel(std::optional<TransmitterType> type);

class Sticks {
public:
    // `channels` are the bar values of channels 1 to 4, nothing for an
    // absent channel. A function or axis that the type or mode leaves
    // unassigned keeps what it had.
    void update(std::array<std::optional<double>, 4> channels, const TransmitterSetup& setup);

    const StickPositions& positions() const { return positions_; }

private:
    // What each stick function and marker axis held after the last frame;
    // never assigned counts as 0.
    std::array<double, 4> functions_{};
    std::array<double, 4> axes_{};  // right down, right across, left down, left across
    StickPositions positions_;
};

}  // namespace quadrel
