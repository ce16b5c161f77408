// The pace of a serial line: how many bytes a second it carries for a baud
// rate and a character framing.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quadrel::sim {

enum class Parity { None, Even, Odd, Mark, Space };

struct LineSettings {
    int baud = 19200;
    Parity parity = Parity::None;
    int dataBits = 8;
    int stopHalfBits = 2;  // in half bits: 2 is one stop bit, 3 one and a half, 4 two

    bool operator==(const LineSettings&) const = default;
};

// Bits on the wire for one byte: a start bit, the data bits, a parity bit
// unless the parity is none, and the stop bits.
double bitsPerByte(const LineSettings& line);
double bytesPerSecond(const LineSettings& line);

// How long the line takes to carry `bytes` bytes.
std::chrono::nanoseconds lineTime(std::size_t bytes, const LineSettings& line);

// "19200,N,8,1": baud, parity (N, E, O, M or S), data bits (5 to 8) and
// stop bits (1, 1.5 or 2), as the program's port settings write them.
std::optional<LineSettings> parseLineSettings(std::string_view text);
std::string lineSettingsText(const LineSettings& line);

}  // namespace quadrel::sim
