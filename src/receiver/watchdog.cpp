// The no-signal watchdog: every byte that completes no frame, and every
// Zhen Hua frame, restarts it (see the receive path); a standard or variant
// frame does not. When it runs out the rows are blanked and the cable
// format is left; the ranges and the frame window wait for the data's
// return, whose wake-up calibrates.
#include "receiver/quietly.h"
#include "receiver/receiver.h"

namespace quadrel {

void Receiver::advance(Time now) {
    for (;;) {
        const bool silence = watchdog_.dueBy(now), calibration = calibration_.dueBy(now);
        if (silence && (!calibration || *watchdog_.due() <= *calibration_.due()))
            onNoSignal();
        else if (calibration)
            onCalibrationDue();
        else
            return;
    }
}

void Receiver::onNoSignal() {
    view_.noSignal = true;
    watchdog_.stop();
    blankRows();
    leaveCableFormat();
    if (frames_) quietly([this] { frames_->signalLost(); });
}

}  // namespace quadrel
