// Where quadrel-sim's bytes go: a pseudo-terminal it creates, standard
// output, a file or a serial device.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "line_pace.h"
#include "sim_options.h"

namespace quadrel::sim {

struct Offered {
    std::size_t taken = 0;
    bool closed = false;  // the output is gone for good
    std::string error;    // why, when that is a failure worth reporting
};

class OutputSink {
public:
    virtual ~OutputSink() = default;
    // Writes what the output takes of `bytes`, waiting up to `waitMs` for it
    // to take anything; never spins. What it does not take is the caller's.
    virtual Offered offer(std::span<const std::uint8_t> bytes, int waitMs) = 0;
    // At the end of a stream: gives a reader up to `maxWaitMs` to take what
    // was sent before the output closes, unless `stopped` says to hurry.
    virtual void finish(int /*maxWaitMs*/, const std::function<bool()>& /*stopped*/) {}
};

struct OpenedOutput {
    std::unique_ptr<OutputSink> sink;
    std::string ptyPath;  // the device side of a created pseudo-terminal
    std::string error;    // set when the output could not be opened
};

OpenedOutput openOutput(const OutputTarget& target, const LineSettings& line);

}  // namespace quadrel::sim
