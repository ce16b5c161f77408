#include "settings/comm_settings.h"

#include <array>
#include <cctype>
#include <charconv>

namespace quadrel {
namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

std::optional<int> wholeNumber(std::string_view s) {
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

}  // namespace

std::optional<CommSettings> parseCommSettings(std::string_view text) {
    std::array<std::string_view, 4> fields;
    std::size_t count = 0;
    while (true) {
        const auto comma = text.find(',');
        if (count == fields.size()) return std::nullopt;
        fields[count++] = trim(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (count != fields.size()) return std::nullopt;

    CommSettings s;
    const auto baud = wholeNumber(fields[0]);
    if (!baud || *baud <= 0) return std::nullopt;
    s.baud = *baud;

    if (fields[1].size() != 1) return std::nullopt;
    s.parity = static_cast<char>(std::toupper(static_cast<unsigned char>(fields[1][0])));
    if (std::string_view("EMNOS").find(s.parity) == std::string_view::npos) return std::nullopt;

    const auto data = wholeNumber(fields[2]);
    if (!data || *data < 5 || *data > 8) return std::nullopt;
    s.dataBits = *data;

    if (fields[3] == "1")
        s.stopBits = StopBits::One;
    else if (fields[3] == "1.5")
        s.stopBits = StopBits::OneAndHalf;
    else if (fields[3] == "2")
        s.stopBits = StopBits::Two;
    else
        return std::nullopt;
    return s;
}

std::string formatCommSettings(const CommSettings& s) {
    const char* stop = s.stopBits == StopBits::One   ? "1"
                       : s.stopBits == StopBits::Two ? "2"
                                                     : "1.5";
    return std::to_string(s.baud) + ',' + s.parity + ',' + std::to_string(s.dataBits) + ',' + stop;
}

}  // namespace quadrel
