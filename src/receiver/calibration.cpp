// Calibration forgets the ranges so the sticks' full travel can be learnt
// again, and the frame window, so no frame is found until nine fresh bytes
// have arrived.
#include "link/link_monitor.h"
#include "receiver/receiver.h"

namespace quadrel {

void Receiver::calibrate() {
    blankRows();
    recalibrate();
}

void Receiver::recalibrate() {
    if (link_) link_->windowCleared(window_);
    window_.clearAfterOldest();
    chain_.forget();
    for (ChannelRange& range : ranges_) range.forget();
}

void Receiver::onCalibrationDue() {
    calibration_.stop();
    calibrate();
    beeper_.beep();
}

}  // namespace quadrel
