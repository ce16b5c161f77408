#include "port_choice.h"

#include "serial/port_messages.h"
#include "serial/port_settings.h"
#include "settings/numeric_text.h"
#include "settings/settings_file.h"

namespace quadrel::probe {

PortChoice choosePort(const ProbeOptions& o, const std::filesystem::path& settingsFile) {
    // Read as the program's start-up reads them, with the same defaults.
    const SettingsFile stored(settingsFile);
    const auto number = [&](const char* key, const char* otherwise) {
        return static_cast<int>(
            numericValueOfFirstCharacter(stored.read(kPortSection, key, otherwise)));
    };
    PortChoice c;
    c.port.port = number("Port", "1");
    // One the port would refuse leaves the usual settings.
    const auto line = readStoredLineSettings(stored.read(kPortSection, "Settings", "19200,N,8,1"));
    if (line && portTakes(*line)) c.port.line = *line;
    c.port.rts = number("RTS", "1") == 1;
    c.port.dtr = number("DTR", "0") == 1;
    for (int n = 1; n <= 9; ++n) {
        std::string path = stored.read("Devices", "COM" + std::to_string(n), "");
        if (!path.empty()) c.devices[n] = std::move(path);
    }
    if (o.source == ProbeOptions::Source::Port) c.port.port = o.port;
    if (o.source == ProbeOptions::Source::Device) c.port.port = 1;  // named in messages only
    if (o.line) c.port.line = *o.line;
    return c;
}

std::string portAwayMessage(const ProbeOptions& o, const PortChoice& choice,
                            const std::string& device) {
    const std::string named =
        o.source == ProbeOptions::Source::Device ? device : portLabel(choice.port.port, device);
    return named + " went away (unplugged, or its power failed); the probe stopped";
}

}  // namespace quadrel::probe
