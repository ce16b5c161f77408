// The command line of quadrel-sim, read into settings without touching any
// file or device: the caller opens the output and reads a replay file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stream_generator.h"
#include "tool_command.h"

namespace quadrel::sim {

enum class OutputKind { Pty, Stdout, File, Device };

struct OutputTarget {
    OutputKind kind = OutputKind::Pty;
    std::string path;  // file or device
};

struct SimOptions {
    OutputTarget output;
    StreamSettings stream;  // the replay bytes are left to the caller
    std::optional<std::string> replayPath;
    std::optional<std::uint64_t> seed;  // none: the caller picks one
    bool lineGiven = false;             // --line or --baud: not a capture's own settings
    bool fast = false;                  // as fast as the reader takes the bytes
    bool quiet = false;                 // no summary line on standard error
};

using ParsedOptions = ToolCommand<SimOptions>;

// `args` without the program name. Accepts "--name value" and "--name=value".
ParsedOptions parseOptions(const std::vector<std::string_view>& args);

std::string helpText();

// One line for standard error: what the stream carries and at what pace.
std::string describeStream(const SimOptions& options);

}  // namespace quadrel::sim
