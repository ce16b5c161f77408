// Byte streams as the interface and the Zhen Hua cable put them on the wire,
// and short readers for what the main window shows.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "main_form_harness.h"
#include "frames/frame_window.h"

namespace quadrel::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(std::initializer_list<int> values) {
    Bytes out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes repeated(const Bytes& frame, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) out = out + frame;
    return out;
}

// 255, then one byte per channel.
inline Bytes standardFrame(std::initializer_list<int> channels) { return bytes({255}) + bytes(channels); }

// A sync of 240..254, a byte nobody reads, then one byte per channel.
inline Bytes variantFrame(int sync, int unread, std::initializer_list<int> channels) {
    return bytes({sync, unread}) + bytes(channels);
}

// 239 and four channel bytes exactly as given (what the window holds).
inline Bytes zhenHuaFrame(std::initializer_list<int> channels) { return bytes({239}) + bytes(channels); }

// What the cable sends for these channel values: every byte but the sync
// with its bits mirrored.
inline Bytes zhenHuaCableFrame(std::initializer_list<int> channels) {
    Bytes out{239};
    for (int v : channels) out.push_back(ReverseBits(static_cast<std::uint8_t>(v)));
    return out;
}

// A caption as a plain string, whatever text type the label keeps.
template <typename Caption>
std::string text(const Caption& caption) {
    return std::string(std::string_view(caption));
}

inline std::vector<std::string> resCaptions(const MainWindowState& ui) {
    std::vector<std::string> out;
    for (int k = 1; k <= kChannels; ++k) out.push_back(text(ui.Res(k).Caption));
    return out;
}

inline std::vector<float> barValues(const MainWindowState& ui) {
    std::vector<float> out;
    for (int k = 1; k <= kChannels; ++k) out.push_back(ui.ProgressBar(k).Value);
    return out;
}

inline std::vector<int> windowCells(const MainForm& form) {
    const FrameWindow& w = form.frameWindow();
    std::vector<int> out;
    for (int i = 0; i < FrameWindow::kSize; ++i) out.push_back(w[i]);
    return out;
}

// Brings the window to exactly `window` (position 0 first): a wake-up leaves
// ten zeros, and the ten bytes then pass position 0 only with the last one,
// which runs the decoder of window[0].
inline void decodeWindow(MainFormHarness& h, std::initializer_list<int> window) {
    h.wakeUp();
    h.receive(bytes(window));
}

// Every piece of state a user or a later event can observe, for "nothing
// changed" checks.
struct FormSnapshot {
    std::vector<std::string> captions;  // In, Res, Label11, options
    std::vector<ColorValue> colors;
    std::vector<bool> flags;  // visibility, option values and enables, timers
    std::vector<float> numbers;  // bars, markers
    std::vector<int> counters;   // window, ranges, checks, timer starts, beeps, shows
    StickState sticks;
    bool zhenHua = false;

    bool operator==(const FormSnapshot&) const = default;
};

inline FormSnapshot snapshot(const MainFormHarness& h) {
    const MainForm& f = h.form;
    const MainWindowState& ui = f.state();
    FormSnapshot s;
    for (int k = 1; k <= kChannels; ++k) {
        s.captions.push_back(text(ui.In(k).Caption));
        s.captions.push_back(text(ui.Res(k).Caption));
        s.colors.push_back(ui.Res(k).BackColor);
        s.numbers.push_back(ui.ProgressBar(k).Min);
        s.numbers.push_back(ui.ProgressBar(k).Max);
        s.numbers.push_back(ui.ProgressBar(k).Value);
        s.counters.push_back(f.channelRange(k).Min);
        s.counters.push_back(f.channelRange(k).Max);
    }
    s.captions.push_back(text(ui.Label11.Caption));
    s.flags.push_back(ui.Label11.Visible);
    for (int k = 1; k <= 5; ++k) {
        s.captions.push_back(text(ui.Option(k).Caption));
        s.flags.push_back(ui.Option(k).Value);
        s.flags.push_back(ui.Option(k).Enabled);
    }
    for (int k = 1; k <= 4; ++k) {
        s.flags.push_back(ui.Mode(k).Value);
        s.counters.push_back(ui.Check(k).Value());
    }
    for (float v : {ui.Ball1.Left, ui.Ball1.Top, ui.Ball2.Left, ui.Ball2.Top}) s.numbers.push_back(v);
    s.flags.push_back(ui.Timer1.Enabled());
    s.flags.push_back(ui.Timer2.Enabled());
    s.counters.push_back(static_cast<int>(ui.Timer1.starts()));
    s.counters.push_back(static_cast<int>(ui.Timer2.starts()));
    for (int v : windowCells(f)) s.counters.push_back(v);
    s.counters.push_back(h.beeper.beeps);
    s.counters.push_back(h.cable.shows);
    s.counters.push_back(static_cast<int>(h.port.pending.size()));
    s.flags.push_back(h.cable.visible);
    s.sticks = f.sticks();
    s.zhenHua = f.ZhenHuaActive();
    return s;
}

inline void PrintTo(const FormSnapshot& s, std::ostream* os) {
    *os << "{captions:";
    for (const auto& c : s.captions) *os << ' ' << c;
    *os << "; counters:";
    for (int c : s.counters) *os << ' ' << c;
    *os << "; zhenHua: " << s.zhenHua << '}';
}

}  // namespace quadrel::testing
