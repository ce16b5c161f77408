// The transmitter as the user describes it: its type (which channel carries
// which stick function), its mode (which stick carries which function) and
// the reverse box of each of the first four channels.
#pragma once

#include <array>
#include <optional>

namespace quadrel {

enum class TransmitterType { JR = 1, HitecFutaba, MultiplexRobbe, SanwaAirtronics, ZhenHua };
enum class StickMode { One = 1, Two, Three, Four };
// A greyed box, which only a stored setting can give, shows the channel as
// a ticked one does.
enum class ReverseBox { Clear, Ticked, Greyed };

inline constexpr int kTransmitterTypes = 5;
inline constexpr int kStickModes = 4;
inline constexpr int kReverseBoxes = 4;

struct TransmitterSetup {
    // None chosen only after an unusual stored setting.
    std::optional<TransmitterType> type;
    std::optional<StickMode> mode;
    std::array<ReverseBox, kReverseBoxes> reverse{};

    bool operator==(const TransmitterSetup&) const = default;
};

}  // namespace quadrel
