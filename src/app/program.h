// The program's two ends: start-up restores the user's choices from the
// settings file, configures the port, shows the About window as a splash
// and opens the port; exit closes the port and saves the choices.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "dialogs/about_form.h"
#include "dialogs/port_settings_form.h"
#include "form/main_form.h"
#include "form/port_state.h"
#include "settings/settings_file.h"

namespace quadrel {

class Program {
public:
    using Log = std::function<void(const std::string& line)>;

    Program(SerialComponent& port, CableWindow& cable, Beeper& beeper, SettingsFile& settings,
            std::function<void()> endProcess, Log log = {});

    MainForm& form() { return form_; }
    const MainForm& form() const { return form_; }
    MainWindowState& ui() { return form_.state(); }
    // The port settings dialog, Form2 of the design.
    PortSettingsForm& portSettings() { return form2_; }
    const PortSettingsForm& portSettings() const { return form2_; }
    // The About window, Form3 of the design.
    AboutForm& about() { return form3_; }
    const AboutForm& about() const { return form3_; }
    PortState& port() { return port_; }
    LinkMonitor& link() { return link_; }
    bool SplashActive() const { return splashActive_; }
    // The main window appears once start-up has finished.
    bool mainWindowShown() const { return mainWindowShown_; }
    bool ended() const { return ended_; }

    void Form_Load();
    void FExit_Click();
    // The window is closing by other means (its close box): exit as File > Exit does.
    void Form_Unload(std::int16_t& cancel);
    void AMenu_Click();
    // Settings > Comms...: the port dialog, modally; however it closes, the
    // delayed recalibration with its beep follows.
    void CMenu_Click();
    void ZMenu_Click();  // shows the cable window; it stays one window
    // The port opened after all (it was in use, or went away): the status
    // line shows it again.
    void portOpenedLater();

    // A port action failed: the message in the status line, its reason in
    // the status line's tooltip and on the log, one beep.
    void reportPortFailure(const std::string& reason);

private:
    void finishStartup();
    // Runs one start-up step; a failure is reported and start-up goes on.
    template <typename Step>
    void startupStep(Step&& step);

    SerialComponent& MSComm1_;
    CableWindow& Form4_;
    Beeper& beeper_;
    SettingsFile& settings_;
    std::function<void()> endProcess_;
    Log log_;

    MainForm form_;
    LinkMonitor link_;
    bool splashActive_ = false;
    AboutForm form3_{form_.state().Timer1, splashActive_};
    PortState port_;
    PortSettingsForm form2_{port_, MSComm1_, settings_, form_.state(),
                            [this](const std::string& reason) { reportPortFailure(reason); }};
    // What start-up read, written back at exit when no option of a group
    // is chosen, so an unusual stored value is not lost.
    std::string txModeText_;
    std::string txTypeText_;
    bool mainWindowShown_ = false;
    bool ended_ = false;
};

}  // namespace quadrel
