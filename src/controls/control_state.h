// Plain-data state of the main window's controls. The Qt widgets paint this
// state; the core writes it. Names and value ranges follow the controls the
// user sees.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "controls/caption_text.h"
#include "controls/colors.h"

namespace quadrel {


struct LabelState {
    CaptionText Caption;
    ColorValue BackColor = 0;
    bool Visible = true;

    bool operator==(const LabelState&) const = default;
};

// A horizontal progress bar; all three properties are single precision.
struct BarState {
    float Min = 0.0f;
    float Max = 100.0f;
    float Value = 0.0f;

    bool operator==(const BarState&) const = default;
};

// 0 clear, 1 ticked, 2 greyed. Any other value is refused, as the check box
// control refuses it.
class CheckBoxState {
public:
    int Value() const { return value_; }
    void setValue(int v) {
        if (v < 0 || v > 2) throw std::invalid_argument("invalid check box value");
        value_ = v;
    }
    bool operator==(const CheckBoxState&) const = default;

private:
    int value_ = 0;
};

struct OptionButtonState {
    CaptionText Caption;
    bool Value = false;
    bool Enabled = true;

    bool operator==(const OptionButtonState&) const = default;
};

// Option buttons of one frame: choosing one clears the others.
template <std::size_t N>
class OptionGroup {
public:
    explicit OptionGroup(const std::array<const char*, N>& captions) {
        for (std::size_t i = 0; i < N; ++i) buttons_[i].Caption = captions[i];
    }
    static constexpr int size() { return static_cast<int>(N); }

    // 1-based, as the controls are numbered.
    const OptionButtonState& operator()(int k) const { return buttons_.at(k - 1); }
    bool Value(int k) const { return (*this)(k).Value; }
    void setValue(int k, bool on) {
        if (on)
            for (auto& b : buttons_) b.Value = false;
        buttons_.at(k - 1).Value = on;
    }
    void setEnabled(int k, bool on) { buttons_.at(k - 1).Enabled = on; }
    void setCaption(int k, std::string_view caption) { buttons_.at(k - 1).Caption = caption; }
    // The number of the chosen button, 0 when none is chosen.
    int selected() const {
        for (std::size_t i = 0; i < N; ++i)
            if (buttons_[i].Value) return static_cast<int>(i + 1);
        return 0;
    }
    bool operator==(const OptionGroup&) const = default;

private:
    std::array<OptionButtonState, N> buttons_{};
};

// A stick marker's top-left corner in twips, fractions kept.
struct MarkerState {
    float Left = 0.0f;
    float Top = 0.0f;

    bool operator==(const MarkerState&) const = default;
};

// A timer as its owner sees it. Switching it on (from off) or changing its
// interval while on starts the interval afresh; `starts` counts those
// restarts so that a clock driving the timer can tell.
class TimerState {
public:
    TimerState(int intervalMs, bool enabled) : interval_(intervalMs), enabled_(enabled) {}

    bool Enabled() const { return enabled_; }
    int Interval() const { return interval_; }
    std::uint64_t starts() const { return starts_; }
    bool operator==(const TimerState&) const = default;

    void setEnabled(bool on) {
        if (on && !enabled_) ++starts_;
        enabled_ = on;
    }
    void setInterval(int ms) {
        interval_ = ms;
        if (enabled_) ++starts_;
    }

private:
    int interval_;
    bool enabled_;
    std::uint64_t starts_ = 0;
};

}  // namespace quadrel
