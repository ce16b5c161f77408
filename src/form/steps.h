// Start-up and applying port settings go on past a failing step: the step
// is abandoned, the failure reported, and the next step runs.
#pragma once

#include <exception>
#include <string>

namespace quadrel {

template <typename Report, typename Step>
void runStep(const Report& report, Step&& step) {
    try {
        step();
    } catch (const std::exception& e) {
        report(std::string(e.what()));
    }
}

// Exit and the receive path skip a failing step silently, whatever it threw.
template <typename Step>
void runStepQuietly(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace quadrel
