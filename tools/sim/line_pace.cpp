#include "line_pace.h"

#include <cmath>

#include "number_text.h"

namespace quadrel::sim {

double bitsPerByte(const LineSettings& line) {
    const int parityBits = line.parity == Parity::None ? 0 : 1;
    return 1 + line.dataBits + parityBits + line.stopHalfBits / 2.0;
}

double bytesPerSecond(const LineSettings& line) {
    return line.baud / bitsPerByte(line);
}

std::chrono::nanoseconds lineTime(std::size_t bytes, const LineSettings& line) {
    return std::chrono::nanoseconds(
        std::llround(static_cast<double>(bytes) * 1e9 / bytesPerSecond(line)));
}

namespace {
constexpr std::string_view kParityLetters = "NEOMS";
}  // namespace

std::optional<LineSettings> parseLineSettings(std::string_view text) {
    const auto fields = splitFields(text, ',');
    if (fields.size() != 4) return std::nullopt;
    LineSettings line;
    const auto baud = parseWhole(fields[0]);
    if (!baud || *baud < 50 || *baud > 4'000'000) return std::nullopt;
    line.baud = static_cast<int>(*baud);

    if (fields[1].size() != 1) return std::nullopt;
    const char letter = static_cast<char>(fields[1][0] & ~0x20);  // upper case
    const auto parity = kParityLetters.find(letter);
    if (parity == std::string_view::npos) return std::nullopt;
    line.parity = static_cast<Parity>(parity);

    const auto data = parseWhole(fields[2]);
    if (!data || *data < 5 || *data > 8) return std::nullopt;
    line.dataBits = static_cast<int>(*data);

    if (fields[3] == "1")
        line.stopHalfBits = 2;
    else if (fields[3] == "1.5")
        line.stopHalfBits = 3;
    else if (fields[3] == "2")
        line.stopHalfBits = 4;
    else
        return std::nullopt;
    return line;
}

std::string lineSettingsText(const LineSettings& line) {
    const char* stop = line.stopHalfBits == 3 ? "1.5" : line.stopHalfBits == 4 ? "2" : "1";
    return std::to_string(line.baud) + ',' + kParityLetters[static_cast<int>(line.parity)] + ',' +
           std::to_string(line.dataBits) + ',' + stop;
}

}  // namespace quadrel::sim
