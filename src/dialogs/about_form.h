// The About window: the program's name, version and a line about it. At
// start-up it is the splash that closes itself after two seconds and arms
// the main window's watchdog; from Help > About it stays until "OK".
#pragma once

#include <functional>
#include <string>

#include "controls/control_state.h"
#include "dialogs/modal_window.h"

namespace quadrel {

// "Version 1.2.2": major, minor and revision of the program's version.
std::string versionLine();

class AboutForm {
public:
    // `mainTimer1` is the main window's watchdog; `splashActive` the main
    // window's flag that marks the window's first closing.
    AboutForm(TimerState& mainTimer1, bool& splashActive);

    bool exists() const { return window_.exists(); }
    bool Visible() const { return window_.visible(); }
    bool isModal() const { return window_.modal(); }

    TimerState Timer1{2000, false};  // closes the splash
    LabelState Label1;               // the version line

    // Shows the window modally, creating it on first use. `whenHidden` runs
    // once, when the window hides or is discarded.
    void showModal(std::function<void()> whenHidden);
    // Creates the window, hidden, if it does not exist.
    void ensureCreated();

    void cmdOK_Click();   // "OK", Enter and Esc
    void Timer1_Timer();  // the splash's two seconds are up
    void discard();       // the title bar's close box

private:
    void Form_Load();

    TimerState& mainTimer1_;
    bool& splashActive_;
    ModalWindow window_;
};

}  // namespace quadrel
