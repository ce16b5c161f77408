// The pace of a serial line: how many bytes a second it carries for a baud
// rate and a character framing.
#pragma once

#include <chrono>
#include <cstddef>

#include "serial/port_settings.h"

namespace quadrel::sim {

// "19200,N,8,1", read and written as the program reads and writes it.
using LineSettings = LineSettings;

// Bits on the wire for one byte: a start bit, the data bits, a parity bit
// unless the parity is none, and the stop bits.
double bitsPerByte(const LineSettings& line);
double bytesPerSecond(const LineSettings& line);

// How long the line takes to carry `bytes` bytes.
std::chrono::nanoseconds lineTime(std::size_t bytes, const LineSettings& line);

}  // namespace quadrel::sim
