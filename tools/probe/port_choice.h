// The port quadrel-probe opens: the one the program would open, with its
// line settings and control lines from the settings file, unless the
// command line names another.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "probe_options.h"
#include "serial/port_settings.h"

namespace quadrel::probe {

struct PortChoice {
    PortSettings port;
    std::map<int, std::string> devices;  // section "Devices"
};

PortChoice choosePort(const ProbeOptions& options, const std::filesystem::path& settingsFile);

// What the probe says when the port it listens to goes away: the device as
// the user named it, and that the probe stopped.
std::string portAwayMessage(const ProbeOptions& options, const PortChoice& choice,
                            const std::string& device);

}  // namespace quadrel::probe
