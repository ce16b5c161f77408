// The command line of quadrel-probe, read without touching any file or
// port: the caller opens the port or reads the capture.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tool_command.h"

#include "serial/port_settings.h"

namespace quadrel::probe {

struct ProbeOptions {
    // Where the bytes come from; Stored: the port the settings file names,
    // as the program opens it.
    enum class Source { Stored, Port, Device, Replay };
    Source source = Source::Stored;
    int port = 0;                      // Port: 1 is COM1
    std::string path;                  // Device: the device; Replay: the capture file
    std::optional<LineSettings> line;  // --settings
    std::optional<double> seconds;     // how long to listen
    bool json = false;
    bool find = false;  // search for the settings instead of listening
    std::optional<std::string> recordPath;
    std::optional<int> expectChannels;
    std::optional<double> minFps;
    std::optional<double> maxIntervalMs;
};

using ProbeCommand = sim::ToolCommand<ProbeOptions>;

// `args` without the program name. Accepts "--name value" and "--name=value".
ProbeCommand parseProbeOptions(const std::vector<std::string_view>& args);

std::string probeHelpText();

}  // namespace quadrel::probe
