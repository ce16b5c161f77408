// Runs a step whose failure must not stop what called it: a window that
// throws while the receive path or exit goes on. Whatever it threw is
// dropped.
#pragma once

namespace quadrel {

template <typename Step>
void quietly(Step&& step) noexcept {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace quadrel
