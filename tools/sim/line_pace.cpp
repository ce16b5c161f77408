#include "line_pace.h"

#include <cmath>

namespace quadrel::sim {

double bitsPerByte(const LineSettings& line) {
    const int parityBits = line.parity == Parity::None ? 0 : 1;
    const double stopBits = line.stopBits == StopBits::One   ? 1
                            : line.stopBits == StopBits::Two ? 2
                                                             : 1.5;
    return 1 + line.dataBits + parityBits + stopBits;
}

double bytesPerSecond(const LineSettings& line) {
    return line.baud / bitsPerByte(line);
}

std::chrono::nanoseconds lineTime(std::size_t bytes, const LineSettings& line) {
    return std::chrono::nanoseconds(
        std::llround(static_cast<double>(bytes) * 1e9 / bytesPerSecond(line)));
}

}  // namespace quadrel::sim
