// What must hold after any event on the main window, whatever arrived:
// readable captions, colours that match them, bars and markers inside their
// travel, and a cable format that the type options and window agree with.
// Returns what does not hold; empty when all does.
#pragma once

#include <string>
#include <string_view>

#include "fakes.h"
#include "form/main_form.h"

namespace quadrel::fuzz {

inline int decimal(std::string_view s) {
    if (s.empty() || s.size() > 3) return -1;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= 255 ? v : -1;
}

inline std::string brokenInvariants(const MainForm& form, const testing::FakeCableWindow& cable) {
    const MainWindowState& ui = form.state();
    std::string broken;
    for (int k = 1; k <= kChannels; ++k) {
        const std::string_view in = ui.In(k).Caption, res = ui.Res(k).Caption;
        if (in != "-" && !in.empty() && decimal(in) < 0) broken += "In" + std::to_string(k) + "; ";
        const int resolution = decimal(res);
        if (res == "-" || res.empty()) {
            if (ui.Res(k).BackColor != kRed) broken += "Res" + std::to_string(k) + " colour; ";
        } else if (resolution < 0 || ui.Res(k).BackColor != (resolution < 100 ? kRed : kGreen)) {
            broken += "Res" + std::to_string(k) + "; ";
        }
        const BarState& bar = ui.ProgressBar(k);
        if (bar.Min != 0 || bar.Max != 100 || bar.Value < 0 || bar.Value > 100)
            broken += "ProgressBar" + std::to_string(k) + "; ";
    }
    const auto inside = [](float v, float lo) { return v >= lo && v <= lo + 860; };
    if (!inside(ui.Ball1.Top, 240) || !inside(ui.Ball1.Left, 1440)) broken += "Ball1 outside its box; ";
    if (!inside(ui.Ball2.Top, 240) || !inside(ui.Ball2.Left, 240)) broken += "Ball2 outside its box; ";
    const bool active = form.ZhenHuaActive();
    if (cable.visible != active) broken += "cable window; ";
    if ((std::string_view(ui.Option(5).Caption) == "Zhen Hua Cable") != active) broken += "Option5 caption; ";
    for (int k = 1; k <= 4; ++k)
        if (ui.Option(k).Enabled == active) broken += "Option" + std::to_string(k) + " enabled; ";
    return broken;
}

}  // namespace quadrel::fuzz
