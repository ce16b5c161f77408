// What the program does with its command line before any window opens:
// --help and --version need no display; without one it says so and stops.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quadrel {

// "Quadrel 1.2.2": the version the About window shows.
std::string programVersionLine();
std::string helpText();

struct StartDecision {
    enum class Action { OpenWindow, PrintAndExit };
    Action action = Action::OpenWindow;
    std::string text;  // printed before exiting: to stdout when exitCode is 0, else stderr
    int exitCode = 0;
};

// `args` without the program name; `env` looks up an environment variable
// (nullptr when unset). Options Qt knows (-platform, -style...) pass
// through to it.
StartDecision decideStart(const std::vector<std::string>& args,
                          const std::function<const char*(const char*)>& env);

}  // namespace quadrel
