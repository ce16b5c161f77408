// Window lengths are designed in twips (1/1440 inch); at 96 dots per inch
// fifteen twips make one pixel. Qt's high-DPI scaling does the rest.
#pragma once

#include <cmath>

namespace quadrel {

inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

struct TwipsRect {
    double left, top, width, height;
};

}  // namespace quadrel
