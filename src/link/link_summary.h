// The link's verdict in a few words, for the main window's status bar: a
// user who never opens the Link Monitor must still see when the link only
// looks right (read at a wrong baud rate, every range turns green).
#pragma once

#include <string>

#include "link/link_monitor.h"

namespace quadrel {

struct LinkSummary {
    enum class Mark { Good, Waiting, Warning, Bad };
    Mark mark = Mark::Waiting;
    std::string text;     // "Link good", "No frames: wrong baud rate?"
    std::string tooltip;  // the verdict with its evidence
    // Bad: the settings are likely wrong, and finding them is the next step.
    bool findSettings() const { return mark == Mark::Bad; }

    bool operator==(const LinkSummary&) const = default;
};

// `port` names the port in "COM 1 went away".
LinkSummary summarizeLink(const LinkReport& report, int port);

}  // namespace quadrel
