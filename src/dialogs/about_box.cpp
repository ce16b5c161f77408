#include "dialogs/about_box.h"

#include "quadrel_version.h"

namespace quadrel {

std::string versionLine() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

void AboutBox::create(Time now) {
    if (exists_) return;
    exists_ = true;
    closeTimer_.start(now);
    splashing_ = true;
}

bool AboutBox::ok() {
    const bool endsSplash = splashing_;
    if (splashing_) {
        splashing_ = false;
        closeTimer_.stop();
    }
    visible_ = false;
    return endsSplash;
}

bool AboutBox::discard() {
    if (!exists_) return false;
    exists_ = false;
    visible_ = false;
    closeTimer_.stop();
    return true;
}

}  // namespace quadrel
