// Everything the main window shows, as plain data, starting from the
// window's design values.
#pragma once

#include <array>
#include <cassert>
#include <string>

#include "controls/control_state.h"

namespace quadrel {

inline constexpr int kChannels = 8;
inline constexpr char kNoSignalText[] = "No PPM signal present...";
inline constexpr char kZhenHuaCaption[] = "Zhen Hua";
inline constexpr char kZhenHuaCableCaption[] = "Zhen Hua Cable";

struct MainWindowState {
    MainWindowState();

    // Channel rows, numbered 1 to 8 as the controls are.
    LabelState& In(int k) { return in_[index(k)]; }
    LabelState& Res(int k) { return res_[index(k)]; }
    BarState& ProgressBar(int k) { return bars_[index(k)]; }
    CheckBoxState& Check(int k) { return checks_[index(k)]; }
    const LabelState& In(int k) const { return in_[index(k)]; }
    const LabelState& Res(int k) const { return res_[index(k)]; }
    const BarState& ProgressBar(int k) const { return bars_[index(k)]; }
    const CheckBoxState& Check(int k) const { return checks_[index(k)]; }

    OptionGroup<4> Mode{{"Mode 1", "Mode 2", "Mode 3", "Mode 4"}};
    OptionGroup<5> Option{
        {"JR", "Hitec/Futaba", "Multiplex/Robbe", "Sanwa/Airtronics", kZhenHuaCaption}};

    LabelState Label11;                  // the no-signal label
    LabelState Label1;                   // the port status line
    std::string Label1ToolTip;           // why the port could not be opened, if it could not
    MarkerState Ball1{1870.0f, 670.0f};  // right stick
    MarkerState Ball2{670.0f, 670.0f};   // left stick

    TimerState Timer1{500, true};   // signal watchdog
    TimerState Timer2{1000, true};  // delayed recalibration

    // Blank a channel row: "-" for the value, "-" on red for the resolution,
    // an empty bar.
    void clearChannelRows();

    bool operator==(const MainWindowState&) const = default;

private:
    static std::size_t index(int k) {
        assert(k >= 1 && k <= kChannels);
        return static_cast<std::size_t>(k - 1);
    }

    std::array<LabelState, kChannels> in_;
    std::array<LabelState, kChannels> res_;
    std::array<BarState, kChannels> bars_;
    std::array<CheckBoxState, 4> checks_;
};

}  // namespace quadrel
