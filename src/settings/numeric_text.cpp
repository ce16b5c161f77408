#include "settings/numeric_text.h"

#include <charconv>
#include <cmath>

namespace quadrel {

double numericValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const std::size_t start = i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return 0.0;

    double value = 0.0;
    const auto [end, ec] =
        std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::fixed);
    if (ec != std::errc() || !std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

double numericValueOfFirstCharacter(std::string_view text) {
    return numericValue(text.substr(0, 1));
}

std::string plainNumber(double value) {
    if (value == 0.0) return "0";  // no "-0"
    char buffer[400];              // the longest double in fixed notation fits
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) return "0";
    return std::string(buffer, end);
}

}  // namespace quadrel
