// The About window: the program's name, version and a line about it. At
// start-up it is the splash, which closes itself after two seconds and
// starts the watchdog; from Help > About it stays until "OK". It exists at
// most once: created on first use, hidden and shown again, discarded only
// by its close box.
#pragma once

#include <string>

#include "receiver/deadline.h"

namespace quadrel {

// "Version 1.2.2": major, minor and revision of the program's version.
std::string versionLine();

class AboutBox {
public:
    static constexpr Time kSplashTime = std::chrono::seconds(2);

    bool exists() const { return exists_; }
    bool visible() const { return visible_; }
    // Set when it is created, until the first "OK": that one ends the
    // splash and starts the watchdog.
    bool splashing() const { return splashing_; }
    // Runs from its creation until the splash ends.
    const Deadline& closeTimer() const { return closeTimer_; }

    // Creates it, hidden, unless it exists.
    void create(Time now);
    void show(Time now) {
        create(now);
        visible_ = true;
    }
    // "OK", Enter or Esc, and the close timer: hidden. True when that
    // ended the splash.
    bool ok();
    void stopCloseTimer() { closeTimer_.stop(); }
    // The close box: it no longer exists. False when it did not.
    bool discard();

private:
    bool exists_ = false;
    bool visible_ = false;
    bool splashing_ = false;
    Deadline closeTimer_{kSplashTime};
};

}  // namespace quadrel
