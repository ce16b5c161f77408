// The program without its windows: start-up restores the user's choices
// from the settings file, configures the port, shows the About window as a
// splash and opens the port; the menus' commands; the port dialog's choice
// applied and stored; exit closes the port and saves the choices. Time
// comes in with every event; the next time anything falls due is asked
// for with nextDeadline().
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "dialogs/about_box.h"
#include "dialogs/port_dialog.h"
#include "joystick/joystick_output.h"
#include "link/link_monitor.h"
#include "receiver/receiver.h"
#include "search/settings_search.h"
#include "serial/serial_port.h"
#include "settings/settings_file.h"

namespace quadrel {

class Program {
public:
    using Log = std::function<void(const std::string& line)>;

    Program(SerialPort& port, CableWindow& cable, Beeper& beeper, SettingsFile& settings,
            std::function<void()> endProcess, Log log = {});

    Receiver& receiver() { return receiver_; }
    const Receiver& receiver() const { return receiver_; }
    LinkMonitor& link() { return link_; }
    const SettingsSearch& search() const { return search_; }
    const AboutBox& about() const { return about_; }
    PortDialog& portDialog() { return portDialog_; }
    const PortDialog& portDialog() const { return portDialog_; }
    // The port as start-up read it and the dialog last applied it; its
    // RTS and DTR are what the dialog shows when it is created.
    const PortSettings& port() const { return port_; }
    StatusLine& status() { return status_; }
    const StatusLine& status() const { return status_; }
    // The main window appears once start-up has finished.
    bool mainWindowShown() const { return mainWindowShown_; }
    bool ended() const { return ended_; }

    void start(Time now);
    // File > Exit, and the main window's close box.
    void exit();
    void showAbout(Time now);
    // Settings > Comms...: however the dialog closes, a calibration with a
    // beep follows a second later.
    void showPortDialog();
    // Zhen Hua: the cable window; it stays one window.
    void showCableWindow() { cable_.show(); }

    // The About window's "OK" (Enter, Esc) and its close box.
    void aboutOk(Time now);
    void aboutDiscarded(Time now);

    // The port dialog's "Ok": the choice applied to the port and stored.
    void applyPortChoice(Time now);
    // Any choice applied and stored as "Ok" does it.
    void applyPortSettings(const PortSettings& choice, Time now);
    void closePortDialog(Time now);  // "Close" and Esc
    void restorePortDefaults();      // "Default"
    void portDialogDiscarded(Time now);

    // A read of the port: for the receiver, and the settings search while
    // it runs.
    void received(std::span<const std::uint8_t> bytes, Time now);

    // Diagnostics > Find Settings...: the port as it is now searched, then
    // `otherPorts`. The search leaves the port as it was; its finding is
    // used only when the user says so.
    void findSettings(std::vector<int> otherPorts, Time now);
    void cancelSearch(Time now);
    void useFoundSettings(Time now);

    // The joystick's choices, as start-up read them from [Joystick] and the
    // window last set them; set ones are stored at once.
    const JoystickChoices& joystickChoices() const { return joystickChoices_; }
    void setJoystickChoices(const JoystickChoices& choices);
    // The output runs on `device` until stopped; frames reach it as soon as
    // they are complete, and a lost signal or port puts it in failsafe.
    void startJoystick(JoystickDevice& device);
    void stopJoystick();
    const JoystickOutput* joystick() const { return joystick_.get(); }
    void portLost();

    // When the watchdog, the delayed calibration, the splash or the
    // search's next step falls due.
    std::optional<Time> nextDeadline() const;
    // Runs, in time order, what fell due by `now`.
    void advance(Time now);

    // The port opened after all (it was in use, or went away): the status
    // line shows it again.
    void portOpenedLater();
    // A port action failed: the message in the status line, its reason in
    // its tooltip and on the log, one beep.
    void reportPortFailure(const std::string& reason);

private:
    void finishStartup();
    void aboutHidden(Time now);
    void portDialogHidden(Time now);
    void searchEnded(Time now);
    void readSettings();
    void configurePort();
    // Runs a step of start-up or of applying the port's settings: a failure
    // is reported and the next step runs.
    template <typename Step>
    void step(Step&& action);

    SerialPort& serial_;
    CableWindow& cable_;
    Beeper& beeper_;
    SettingsFile& settings_;
    std::function<void()> endProcess_;
    Log log_;

    Receiver receiver_;
    LinkMonitor link_;
    AboutBox about_;
    PortDialog portDialog_;
    PortSettings port_;
    bool rts_ = false, dtr_ = false;  // the control lines as last set on the port
    SettingsSearch search_;
    JoystickChoices joystickChoices_;
    std::unique_ptr<JoystickOutput> joystick_;
    StatusLine status_;
    // What hiding the About window goes on with.
    enum class AfterAbout {
        Nothing,
        FinishStartup,
        StopItsTimer
    } afterAbout_ = AfterAbout::Nothing;
    // What start-up read, written back at exit when no option of a group
    // is chosen, so an unusual stored value is not lost.
    std::string modeText_;
    std::string typeText_;
    bool mainWindowShown_ = false;
    bool ended_ = false;
};

}  // namespace quadrel
