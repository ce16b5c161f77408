#include "dialogs/about_form.h"

#include <utility>

#include "quadrel_version.h"

namespace quadrel {

std::string versionLine() {
    return "Version " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

AboutForm::AboutForm(TimerState& mainTimer1, bool& splashActive)
    : mainTimer1_(mainTimer1), splashActive_(splashActive) {}

void AboutForm::ensureCreated() {
    if (exists_) return;
    exists_ = true;
    Timer1.setEnabled(true);  // the window's timer runs from its creation
    Form_Load();
}

void AboutForm::Form_Load() {
    Label1.Caption = versionLine();
    splashActive_ = true;
}

void AboutForm::showModal(std::function<void()> whenHidden) {
    ensureCreated();
    visible_ = true;
    modal_ = true;
    whenHidden_ = std::move(whenHidden);
}

void AboutForm::cmdOK_Click() {
    if (splashActive_) {
        splashActive_ = false;
        Timer1.setEnabled(false);
        mainTimer1_.setEnabled(true);  // the watchdog starts
    }
    hide();
}

void AboutForm::Timer1_Timer() {
    cmdOK_Click();
    Timer1.setEnabled(false);
}

void AboutForm::discard() {
    if (!exists_) return;
    exists_ = false;
    Timer1.setEnabled(false);
    Label1 = LabelState{};
    hide();
}

void AboutForm::hide() {
    visible_ = false;
    endModal();
}

void AboutForm::endModal() {
    modal_ = false;
    // The caller waiting for the window goes on; it may show it again.
    if (auto then = std::exchange(whenHidden_, nullptr)) then();
}

}  // namespace quadrel
