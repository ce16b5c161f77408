// The command-line conventions quadrel-sim and quadrel-probe share: what a
// command line asked for, "--help", "--name value" and "--name=value", and
// the answers a tool gives before it runs.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "quadrel_version.h"

namespace quadrel::sim {

template <typename Options>
struct ToolCommand {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    Options options;
    std::string error;  // for Action::Error: what is wrong, in one line

    ToolCommand& askedForHelp() {
        action = Action::Help;
        return *this;
    }
    ToolCommand& askedForVersion() {
        action = Action::Version;
        return *this;
    }
    // --help and --version, wherever they stand, win over the rest.
    bool answered(std::string_view arg) {
        if (arg == "--help" || arg == "-h") return askedForHelp(), true;
        if (arg == "--version") return askedForVersion(), true;
        return false;
    }
};

// "--name..." without its dashes; nothing for an argument that is no option.
inline std::optional<std::string_view> optionName(std::string_view arg) {
    if (!arg.starts_with("--")) return std::nullopt;
    return arg.substr(2);
}

// The help or "quadrel-sim 1.2.2" on standard output (status 0), or the
// error with a hint on standard error (status 2); nothing when the tool is
// to run.
template <typename Options>
std::optional<int> answerBeforeRunning(const ToolCommand<Options>& c, const char* tool,
                                       const std::string& help) {
    if (c.action == ToolCommand<Options>::Action::Help) {
        std::fputs(help.c_str(), stdout);
        return 0;
    }
    if (c.action == ToolCommand<Options>::Action::Version) {
        std::printf("%s %d.%d.%d\n", tool, kVersionMajor, kVersionMinor, kVersionRevision);
        return 0;
    }
    if (c.action == ToolCommand<Options>::Action::Error) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for the options.\n", tool, c.error.c_str(),
                     tool);
        return 2;
    }
    return std::nullopt;
}

}  // namespace quadrel::sim
