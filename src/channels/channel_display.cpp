#include "channels/channel_display.h"

#include <charconv>
#include <cmath>

namespace quadrel {

float barValue(int v, int min, int max) {
    const double scaled = 100.0 * (v - min) / ((max + 0.00001) - min) + 0.25;
    return static_cast<float>(std::floor(scaled));
}

void setDecimal(std::string& out, int n) {
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
    (void)ec;  // an int always fits
    out.assign(buf, end);
}

}  // namespace quadrel
