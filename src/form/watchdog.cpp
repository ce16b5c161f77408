// The signal watchdog: Timer1 runs out 500 ms after the last restart and
// shows the no-signal state; Timer2 recalibrates a second after data returns.
#include "form/main_form.h"

namespace quadrel {

void MainForm::Timer1_Timer() {
    showPendingFrame();  // the markers stay where the frames so far put them
    state_.Label11.Visible = true;
    state_.Timer1.setEnabled(false);
    // Rows are cleared, but ranges and the frame window are kept until data
    // returns and its wake-up calibrates.
    state_.clearChannelRows();
    ZhenHuaOff();
}

void MainForm::Timer2_Timer() {
    state_.Timer2.setEnabled(false);
    Command1_Click();
    beeper_.beep();
}

}  // namespace quadrel
