#include "serial/port_settings.h"

#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>

#include "settings/numeric_text.h"
#include "settings/plain_text.h"

namespace quadrel {
namespace {

constexpr std::string_view kParityLetters = "EMNOS";  // in the order of Parity

std::optional<int> wholeNumber(std::string_view s) {
    int v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// A number read from stored text, when it is a whole one an int holds.
std::optional<int> wholeValue(double v) {
    if (std::floor(v) != v || v < INT_MIN || v > INT_MAX) return std::nullopt;
    return static_cast<int>(v);
}

std::optional<StopBits> stopBitsOf(std::string_view text) {
    if (text == "1") return StopBits::One;
    if (text == "1.5") return StopBits::OneAndHalf;
    if (text == "2") return StopBits::Two;
    return std::nullopt;
}

std::optional<Parity> parityOf(std::string_view field) {
    if (field.size() != 1) return std::nullopt;
    return parityOfLetter(field[0]);
}

std::optional<LineSettings> storedLine(double baud, std::string_view parity, double dataBits,
                                       std::string_view stopBits) {
    const auto b = wholeValue(baud);
    const auto p = parityOf(parity);
    const auto d = wholeValue(dataBits);
    const auto s = stopBitsOf(stopBits);
    if (!b || !p || !d || !s) return std::nullopt;
    return LineSettings{*b, *p, *d, *s};
}

}  // namespace

char parityLetter(Parity parity) {
    return kParityLetters[static_cast<std::size_t>(parity)];
}

std::optional<Parity> parityOfLetter(char letter) {
    const auto at =
        kParityLetters.find(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    if (at == std::string_view::npos) return std::nullopt;
    return static_cast<Parity>(at);
}

const char* stopBitsText(StopBits stopBits) {
    switch (stopBits) {
        case StopBits::OneAndHalf:
            return "1.5";
        case StopBits::Two:
            return "2";
        case StopBits::One:
            break;
    }
    return "1";
}

std::string formatLineSettings(const LineSettings& line) {
    return std::to_string(line.baud) + ',' + parityLetter(line.parity) + ',' +
           std::to_string(line.dataBits) + ',' + stopBitsText(line.stopBits);
}

bool portTakes(const LineSettings& line) {
    return line.baud > 0 && line.dataBits >= 5 && line.dataBits <= 8;
}

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    const auto fields = splitFields<4>(text, ',');
    if (!fields) return std::nullopt;
    const auto baud = wholeNumber(trimmed((*fields)[0]));
    const auto parity = parityOf(trimmed((*fields)[1]));
    const auto dataBits = wholeNumber(trimmed((*fields)[2]));
    const auto stopBits = stopBitsOf(trimmed((*fields)[3]));
    if (!baud || !parity || !dataBits || !stopBits) return std::nullopt;
    const LineSettings line{*baud, *parity, *dataBits, *stopBits};
    if (!portTakes(line)) return std::nullopt;
    return line;
}

std::optional<LineSettings> readStoredLineSettings(std::string_view text) {
    // "19200,N,8,1.5": by position it would take its parity from the "8".
    if (const auto fields = splitFields<4>(text, ','); fields && (*fields)[3] == "1.5")
        return storedLine(numericValue((*fields)[0]), (*fields)[1], numericValue((*fields)[2]),
                          "1.5");
    const std::size_t n = text.size();
    if (n < 6) return std::nullopt;
    return storedLine(numericValue(text.substr(0, n - 6)), text.substr(n - 5, 1),
                      numericValue(text.substr(n - 3, 1)), text.substr(n - 1, 1));
}

std::string portCaption(int port, const LineSettings& line) {
    return " Comms Port " + std::to_string(port) + ": " + formatLineSettings(line);
}

std::string portFailureText(int port) {
    return "Unable to open COM " + std::to_string(port) + "!";
}

}  // namespace quadrel
