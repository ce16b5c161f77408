#include "app/command_line.h"

#include "quadrel_version.h"

namespace quadrel {
namespace {

bool isSet(const char* value) {
    return value && *value;
}

}  // namespace

std::string programVersionLine() {
    return "Quadrel " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string helpText() {
    return "Usage: quadrel [--help | --version]\n"
           "Tests a serial PPM interface for RC transmitters: shows the channels that\n"
           "arrive on the serial port live, with their range, resolution and the two\n"
           "stick positions.\n"
           "\n"
           "  -h, --help     print this help and exit\n"
           "  -v, --version  print the version and exit\n"
           "\n"
           "Settings: $XDG_CONFIG_HOME/Quadrel.ini (by default ~/.config/Quadrel.ini);\n"
           "section [Devices] maps port numbers to devices, e.g. COM1=/dev/ttyUSB0.\n"
           "File > Exit, the close box, Ctrl+C, SIGTERM and SIGHUP all end the program\n"
           "and save the reverse boxes, mode and transmitter type.\n"
           "Qt's own options (-platform, -style, ...) are accepted.\n";
}

StartDecision decideStart(const std::vector<std::string>& args,
                          const std::function<const char*(const char*)>& env) {
    bool platformGiven = false;
    for (const std::string& a : args) {
        if (a == "-h" || a == "--help") return {StartDecision::Action::PrintAndExit, helpText(), 0};
        if (a == "-v" || a == "--version")
            return {StartDecision::Action::PrintAndExit, programVersionLine() + "\n", 0};
        if (a == "-platform" || a == "--platform") platformGiven = true;
    }
    if (!platformGiven && !isSet(env("DISPLAY")) && !isSet(env("WAYLAND_DISPLAY")) &&
        !isSet(env("QT_QPA_PLATFORM")))
        return {StartDecision::Action::PrintAndExit,
                "quadrel: needs a graphical session to open its window (neither DISPLAY nor "
                "WAYLAND_DISPLAY is set)\n",
                1};
    return {};
}

}  // namespace quadrel
