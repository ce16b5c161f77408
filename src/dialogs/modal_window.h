// A window that exists at most once: created on first use, shown and hidden
// any number of times, discarded by its close box. A modal showing does not
// wait in a nested event loop: whoever shows it hands over what to do once
// it hides or is discarded.
#pragma once

#include <functional>
#include <utility>

namespace quadrel {

class ModalWindow {
public:
    bool exists() const { return exists_; }
    bool visible() const { return visible_; }
    bool modal() const { return modal_; }

    // True when the window had to be created now (its loading is due).
    bool create() { return !std::exchange(exists_, true); }

    void showModal(std::function<void()> whenHidden) {
        visible_ = true;
        modal_ = true;
        whenHidden_ = std::move(whenHidden);
    }

    // Off the screen, while whoever waits for it still waits.
    void conceal() { visible_ = false; }

    // The window has gone from the screen: whoever waited goes on, and may
    // show it again at once.
    void hide() {
        visible_ = false;
        modal_ = false;
        if (auto then = std::exchange(whenHidden_, nullptr)) then();
    }

    // The close box: the window no longer exists. True when it did; the
    // caller clears its contents, then hides it.
    bool markDiscarded() { return std::exchange(exists_, false); }

private:
    bool exists_ = false;
    bool visible_ = false;
    bool modal_ = false;
    std::function<void()> whenHidden_;
};

}  // namespace quadrel
