// Everything the main window shows, as plain data, starting from the
// window's design values.
#pragma once

#include <array>

#include "app/controls.h"

namespace quadrel {

inline constexpr int kChannels = 8;
inline constexpr char kNoSignalText[] = "No PPM signal present...";
inline constexpr char kZhenHuaCaption[] = "Zhen Hua";
inline constexpr char kZhenHuaCableCaption[] = "Zhen Hua Cable";

struct MainWindowState {
    MainWindowState();

    // Channel rows, numbered 1 to 8 as the controls are.
    LabelState& In(int k) { return in_.at(k - 1); }
    LabelState& Res(int k) { return res_.at(k - 1); }
    BarState& ProgressBar(int k) { return bars_.at(k - 1); }
    CheckBoxState& Check(int k) { return checks_.at(k - 1); }
    const LabelState& In(int k) const { return in_.at(k - 1); }
    const LabelState& Res(int k) const { return res_.at(k - 1); }
    const BarState& ProgressBar(int k) const { return bars_.at(k - 1); }
    const CheckBoxState& Check(int k) const { return checks_.at(k - 1); }

    OptionGroup<4> Mode{{"Mode 1", "Mode 2", "Mode 3", "Mode 4"}};
    OptionGroup<5> Option{{"JR", "Hitec/Futaba", "Multiplex/Robbe", "Sanwa/Airtronics", kZhenHuaCaption}};

    LabelState Label11;  // the no-signal label
    LabelState Label1;   // the port status line
    MarkerState Ball1{1870.0f, 670.0f};  // right stick
    MarkerState Ball2{670.0f, 670.0f};   // left stick

    TimerState Timer1{500, true};   // signal watchdog
    TimerState Timer2{1000, true};  // delayed recalibration

    // Blank a channel row: "-" for the value, "-" on red for the resolution,
    // an empty bar.
    void clearChannelRows();

private:
    std::array<LabelState, kChannels> in_;
    std::array<LabelState, kChannels> res_;
    std::array<BarState, kChannels> bars_;
    std::array<CheckBoxState, 4> checks_;
};

}  // namespace quadrel
