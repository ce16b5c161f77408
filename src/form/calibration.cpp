// Calibration forgets the ranges so the sticks' full travel can be learnt
// again.
#include "form/main_form.h"

namespace quadrel {

void MainForm::Command1_Click() {
    showPendingFrame();  // the markers stay where the frames so far put them
    state_.clearChannelRows();
    SCal_Click();
}

void MainForm::SCal_Click() {
    if (monitor_) monitor_->windowCleared(window_);
    window_.clearAfterOldest();
    for (auto& range : ranges_) range.reset();
}

}  // namespace quadrel
