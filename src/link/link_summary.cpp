#include "link/link_summary.h"

namespace quadrel {

LinkSummary summarizeLink(const LinkReport& report, int port) {
    using Mark = LinkSummary::Mark;
    const auto summary = [&](Mark mark, std::string text) {
        return LinkSummary{mark, std::move(text), report.verdictText};
    };
    switch (report.verdict) {
        case Verdict::Good:
            return summary(Mark::Good, "Link good");
        case Verdict::Waiting:
            return summary(Mark::Waiting, "Waiting for data");
        case Verdict::PortAway:
            return summary(Mark::Bad, "COM " + std::to_string(port) + " went away");
        case Verdict::NoBytes:
            return summary(Mark::Bad, "No bytes");
        case Verdict::NoFrames:
            return summary(Mark::Bad, "No frames: wrong baud rate?");
        case Verdict::PortShared:
            return summary(Mark::Warning, "Another program reads the port");
        case Verdict::LostSync:
            return summary(Mark::Warning, "Losing sync: noisy signal?");
        case Verdict::SyncLike:
            return summary(Mark::Warning, "A channel looks like a sync");
        case Verdict::FramesLost:
            return summary(Mark::Warning, "Frames lost");
        case Verdict::Irregular:
            return summary(Mark::Warning, "Frames irregular");
        case Verdict::Glitches:
            return summary(Mark::Warning, "A channel twitches");
        case Verdict::OffRate:
            return summary(Mark::Warning, "Frames at an odd rate");
    }
    return summary(Mark::Waiting, "Waiting for data");
}

}  // namespace quadrel
