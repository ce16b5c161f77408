// The Zhen Hua cable's wiring as the cable window draws it: a DB9 serial
// connector and the transmitter's S-Video socket, both seen from the solder
// side, and the wires between them. Plain data in twips, so the drawing can
// be checked without painting it.
#pragma once

#include <array>

#include "ui/colours.h"

namespace quadrel::cable {

enum class ShapeKind { Circle, Square, Rectangle };

// An outline in the foreground colour, one pixel wide, not filled.
struct Shape {
    const char* name;
    ShapeKind kind;
    int left, top, width, height;
};

struct Line {
    const char* name;
    int x1, y1, x2, y2;
    Rgb colour;
    int width;  // pixels
    bool dotted;
};

inline constexpr std::array<Shape, 16> kShapes{{
    // DB9 pins 5 to 1 (long row) and 9 to 6 (short row), top to bottom.
    {"Shape8", ShapeKind::Circle, 2880, 1185, 135, 135},
    {"Shape9", ShapeKind::Circle, 2880, 1425, 135, 135},
    {"Shape10", ShapeKind::Circle, 2880, 1665, 135, 135},
    {"Shape11", ShapeKind::Circle, 2880, 1905, 135, 135},
    {"Shape12", ShapeKind::Circle, 2880, 2145, 135, 135},
    {"Shape13", ShapeKind::Circle, 3120, 1305, 135, 135},
    {"Shape14", ShapeKind::Circle, 3120, 1545, 135, 135},
    {"Shape15", ShapeKind::Circle, 3120, 1785, 135, 135},
    {"Shape16", ShapeKind::Circle, 3120, 2025, 135, 135},
    // The S-Video socket: outline, notch, key and four pins.
    {"Shape1", ShapeKind::Circle, 360, 1185, 1095, 1095},
    {"Shape6", ShapeKind::Square, 840, 1185, 135, 135},
    {"Shape7", ShapeKind::Rectangle, 720, 1905, 375, 255},
    {"Shape2", ShapeKind::Circle, 600, 1425, 135, 135},
    {"Shape3", ShapeKind::Circle, 1080, 1425, 135, 135},
    {"Shape4", ShapeKind::Circle, 480, 1665, 135, 135},
    {"Shape5", ShapeKind::Circle, 1200, 1665, 135, 135},
}};

inline constexpr std::array<Line, 17> kLines{{
    // The DB9 shell.
    {"Line3", 2760, 945, 2760, 2505, kBlack, 1, false},
    {"Line4", 3360, 1185, 3360, 2265, kBlack, 1, false},
    {"Line1", 2760, 945, 3360, 1185, kBlack, 1, false},
    {"Line2", 3360, 2265, 2760, 2505, kBlack, 1, false},
    // DB9 pin 5 to the S-Video pin upper right.
    {"Line8", 2940, 1245, 1560, 1245, kGreen, 3, false},
    {"Line7", 1140, 1485, 1560, 1245, kGreen, 3, false},
    // DB9 pin 3 to the S-Video pin upper left.
    {"Line14", 2925, 1725, 1725, 1725, kRed, 3, false},
    {"Line16", 1560, 1590, 1755, 1725, kRed, 3, false},
    {"Line15", 840, 1605, 1560, 1605, kRed, 3, false},
    {"Line17", 840, 1620, 660, 1500, kRed, 3, false},
    // DB9 pin 2 to the S-Video pin lower left.
    {"Line12", 2940, 1965, 885, 1965, kWhite, 3, false},
    {"Line9", 540, 1725, 885, 1965, kWhite, 3, false},
    // DB9 pin 7 to the S-Video pin lower right.
    {"Line6", 3180, 1845, 1605, 1845, kBlack, 3, false},
    {"Line5", 1260, 1725, 1650, 1845, kBlack, 3, false},
    // The alternative: DB9 pin 4 joined to the red wire, and its legend.
    {"Line10", 2940, 1485, 1800, 1485, kRed, 1, true},
    {"Line11", 1545, 1605, 1830, 1485, kRed, 1, true},
    {"Line13", 240, 2520, 780, 2520, kRed, 1, true},
}};

}  // namespace quadrel::cable
