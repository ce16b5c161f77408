// Colour values as the windows were designed with them: red in the low
// byte, blue in the high byte (0x0000FF is red).
#pragma once

#include <cstdint>

namespace quadrel {

using ColorValue = std::uint32_t;
inline constexpr ColorValue kBlack = 0x000000;
inline constexpr ColorValue kWhite = 0xFFFFFF;
inline constexpr ColorValue kRed = 0x0000FF;
inline constexpr ColorValue kGreen = 0x00FF00;
inline constexpr ColorValue kBlue = 0xFF0000;

}  // namespace quadrel
