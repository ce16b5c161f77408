// The port's line settings and their text form "baud,parity,data,stop".
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quadrel {

enum class StopBits { One, OneAndHalf, Two };

struct CommSettings {
    int baud = 19200;
    char parity = 'N';  // E, M, N, O or S
    int dataBits = 8;   // 5 to 8
    StopBits stopBits = StopBits::One;

    bool operator==(const CommSettings&) const = default;
};

// Reads "19200,N,8,1": four comma-separated fields, parity in either case.
// Nothing when a field is missing, extra or out of range.
std::optional<CommSettings> parseCommSettings(std::string_view text);

// "19200,N,8,1"; stop bits 1.5 read "1.5".
std::string formatCommSettings(const CommSettings& s);

}  // namespace quadrel
