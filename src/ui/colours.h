// The fixed colours of the windows' design; everything else takes the
// palette's.
#pragma once

namespace quadrel {

struct Rgb {
    int red, green, blue;
    constexpr bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};
// The link's marks beside the port line: trouble to look at, and no verdict yet.
inline constexpr Rgb kAmber{255, 191, 0};
inline constexpr Rgb kGrey{160, 160, 160};

}  // namespace quadrel
