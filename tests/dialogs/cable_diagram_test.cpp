// The cable window's wiring diagram: every wire must start and end on the
// pins the cable actually joins, or the user solders it wrong.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "dialogs/cable_diagram.h"

namespace quadrel::cable {
namespace {

const Shape& shape(std::string_view name) {
    for (const Shape& s : kShapes)
        if (name == s.name) return s;
    throw std::invalid_argument(std::string(name));
}

const Line& line(std::string_view name) {
    for (const Line& l : kLines)
        if (name == l.name) return l;
    throw std::invalid_argument(std::string(name));
}

bool onPin(const Shape& pin, int x, int y) {
    const double r = pin.width / 2.0;
    const double dx = x - (pin.left + r), dy = y - (pin.top + r);
    return dx * dx + dy * dy <= r * r;
}

TEST(CableDiagram, EachWireRunsFromItsDb9PinToItsSVideoPin) {
    struct End {
        const char* line;
        bool first;  // the line's first point, else its second
        const char* pin;
        unsigned colour;
    };
    const End ends[] = {
        {"Line8", true, "Shape8", kGreen},     // DB9 pin 5
        {"Line7", true, "Shape3", kGreen},     // S-Video upper right
        {"Line14", true, "Shape10", kRed},     // DB9 pin 3
        {"Line17", false, "Shape2", kRed},     // S-Video upper left
        {"Line12", true, "Shape11", kWhite},   // DB9 pin 2
        {"Line9", true, "Shape4", kWhite},     // S-Video lower left
        {"Line6", true, "Shape15", kBlack},    // DB9 pin 7
        {"Line5", true, "Shape5", kBlack},     // S-Video lower right
        {"Line10", true, "Shape9", kRed},      // DB9 pin 4, the alternative
    };
    for (const End& e : ends) {
        SCOPED_TRACE(e.line);
        const Line& l = line(e.line);
        EXPECT_EQ(l.colour, e.colour);
        EXPECT_TRUE(e.first ? onPin(shape(e.pin), l.x1, l.y1) : onPin(shape(e.pin), l.x2, l.y2));
    }
}

}  // namespace
}  // namespace quadrel::cable
