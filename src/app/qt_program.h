// The running program: the core's Program wired to Qt windows, timers, the
// real serial port and the settings file. After a timer tick or a click the
// windows are brought up to date at once; received bytes change them at the
// screen's pace, at most once per display refresh.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/paint_log.h"
#include "app/program.h"
#include "joystick/uinput_joystick.h"
#include "serial/qt_serial_port.h"
#include "settings/settings_file.h"
#include "ui/about_dialog.h"
#include "ui/find_settings_window.h"
#include "ui/joystick_window.h"
#include "ui/link_monitor_window.h"
#include "ui/main_window.h"
#include "ui/port_notice.h"
#include "ui/port_settings_dialog.h"
#include "ui/qt_platform.h"

namespace quadrel {

class QtProgram : public QObject {
    Q_OBJECT

public:
    // `onEnd` runs when the user exits; by default it ends the event loop.
    explicit QtProgram(const std::filesystem::path& settingsPath, std::function<void()> onEnd = {});
    ~QtProgram() override;

    // Runs the start-up: settings, port, the splash.
    void start();

    Program& program() { return *program_; }
    MainWindow& mainWindow() { return *window_; }
    AboutDialog* aboutDialog() const { return about_; }
    PortSettingsDialog* portSettingsDialog() const { return portDialog_; }
    QtSerialPort& serialPort() { return *serial_; }
    QtCableWindow& cableWindow() { return cable_; }
    // Since the program started.
    Time now() const { return Time(clock_.nsecsElapsed() / 1000); }
    PortPermissionNotice& permissionNotice() { return *permissionNotice_; }
    SettingsFileNotice& settingsNotice() { return *settingsNotice_; }
    LinkMonitorWindow* linkMonitorWindow() const { return linkWindow_; }
    FindSettingsWindow* findSettingsWindow() const { return findWindow_; }
    // Diagnostics > Find Settings...: the window, and a search unless one runs.
    void showFindSettings();
    // The verdict beside the port line brought up to date.
    void updateLinkSummary();
    // Joystick > Output...
    void showJoystickWindow();
    JoystickWindow* joystickWindow() const { return joystickWindow_; }

    // Brings the windows and the next deadline up to date with the core.
    void refresh();
    // The same within one display refresh, however often it is asked for.
    qint64 msUntilRefresh() const;  // 0 once a display frame has passed
    void requestRefresh();

private:
    // A read of the port, with all that had arrived.
    void onRead(std::span<const std::uint8_t> bytes);
    void connectMainWindow();
    void renderAbout();
    void renderPortSettings();
    void createPortSettingsDialog();
    void showLinkMonitor();
    void startSearch(bool everyPort);
    // The device made or removed as the choices say; why not, if it could not be.
    void followJoystickChoices();
    QString joystickStatus() const;
    // The ports present other than the one chosen, for "Try every port".
    std::vector<int> otherPresentPorts() const;
    // Which device each port of the dialog opens, where ports are not "COMn".
    std::array<QString, 4> portDevices() const;
    void onLinkLost(const QString& reason);
    // The link statistics with what the port's driver says now.
    LinkReport linkReport();

    // The first problem with the settings file, for the notice; declared
    // first, as reading the file in the constructor may report one.
    std::string settingsProblem_, lastSettingsProblem_;
    SettingsFile settings_;
    std::map<int, std::string> configuredDevices_;  // section "Devices"
    std::function<void()> onEnd_;
    std::unique_ptr<QtSerialPort> serial_;
    QtBeeper beeper_;
    QtCableWindow cable_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<MainWindow> window_;
    QPointer<AboutDialog> about_;
    QPointer<PortSettingsDialog> portDialog_;
    QPointer<LinkMonitorWindow> linkWindow_;
    QPointer<FindSettingsWindow> findWindow_;
    QPointer<JoystickWindow> joystickWindow_;
    std::unique_ptr<JoystickDevice> joystickDevice_;
    std::string joystickEvents_;  // QUADREL_JOYSTICK_EVENTS: a file in place of /dev/uinput
    std::string joystickProblem_;
    QTimer summaryTimer_;  // the verdict beside the port line
    LinkSummary summary_;
    PortPermissionNotice* permissionNotice_;  // owned by the main window
    SettingsFileNotice* settingsNotice_;      // owned by the main window
    std::unique_ptr<DeadlineTimer> deadlines_;
    QTimer paceTimer_;  // a refresh asked for and not yet made
    QElapsedTimer sinceRefresh_;
    QElapsedTimer clock_;  // the link statistics' time
    std::unique_ptr<PaintLog> paintLog_;
    bool ended_ = false;
};

}  // namespace quadrel
