#include "form/main_window_state.h"

namespace quadrel {

MainWindowState::MainWindowState() {
    clearChannelRows();
    Label11.Caption = kNoSignalText;
    Label11.BackColor = 0;
    Label1.Caption = "Label1";
}

void MainWindowState::clearChannelRows() {
    for (auto& in : in_) in.Caption = "-";
    for (auto& res : res_) {
        res.Caption = "-";
        res.BackColor = kRed;
    }
    for (auto& bar : bars_) bar = BarState{0.0f, 100.0f, 0.0f};
}

}  // namespace quadrel
