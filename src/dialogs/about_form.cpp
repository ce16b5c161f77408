#include "dialogs/about_form.h"

#include "quadrel_version.h"

namespace quadrel {

std::string versionLine() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

AboutForm::AboutForm(TimerState& mainTimer1, bool& splashActive)
    : mainTimer1_(mainTimer1), splashActive_(splashActive) {}

void AboutForm::ensureCreated() {
    if (!window_.create()) return;
    Timer1.setEnabled(true);  // the window's timer runs from its creation
    Form_Load();
}

void AboutForm::Form_Load() {
    Label1.Caption = versionLine();
    splashActive_ = true;
}

void AboutForm::showModal(std::function<void()> whenHidden) {
    ensureCreated();
    window_.showModal(std::move(whenHidden));
}

void AboutForm::cmdOK_Click() {
    if (splashActive_) {
        splashActive_ = false;
        Timer1.setEnabled(false);
        mainTimer1_.setEnabled(true);  // the watchdog starts
    }
    window_.hide();
}

void AboutForm::Timer1_Timer() {
    cmdOK_Click();
    Timer1.setEnabled(false);
}

void AboutForm::discard() {
    if (!window_.markDiscarded()) return;
    Timer1.setEnabled(false);
    Label1 = LabelState{};
    window_.hide();
}

}  // namespace quadrel
