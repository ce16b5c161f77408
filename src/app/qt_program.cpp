#include "app/qt_program.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <iostream>
#include <map>

#include "joystick/event_file_joystick.h"
#include "serial/port_names.h"
#include "ui/about_dialog.h"
#include "ui/port_settings_dialog.h"
#include "ui/program_icon.h"

namespace quadrel {
namespace {

// Port numbers mapped to devices by hand: section "Devices", keys COM1 to COM9.
std::map<int, std::string> configuredDevices(const SettingsFile& settings) {
    std::map<int, std::string> devices;
    for (int n = 1; n <= 9; ++n) {
        std::string path = settings.read("Devices", "COM" + std::to_string(n), "");
        if (!path.empty()) devices[n] = std::move(path);
    }
    return devices;
}

// A window whose close box discarded it: the request came from inside its
// own close event, so it is deleted once that is over.
template <typename Window>
void discardWindow(QPointer<Window>& w) {
    if (!w) return;
    w->hide();
    w->deleteLater();
    w = nullptr;
}

// Shows a dialog modally (placing it first), or hides it.
void showOrHide(QDialog& dialog, bool visible, const std::function<void()>& place) {
    if (visible && !dialog.isVisible()) {
        dialog.setWindowModality(Qt::ApplicationModal);
        place();
        dialog.show();
    } else if (!visible && dialog.isVisible()) {
        dialog.hide();
    }
}

void centreOnScreen(QWidget& w) {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        w.move(screen->availableGeometry().center() - w.rect().center());
}

void centreOver(QWidget& w, const QWidget& owner) {
    w.move(owner.frameGeometry().center() - w.rect().center());
}

// Beside the main window, on whichever side the screen has room.
void placeBeside(QWidget& w, const QWidget& main) {
    w.adjustSize();
    const QRect home = main.frameGeometry();
    const QRect screen = main.screen() ? main.screen()->availableGeometry() : home;
    const int width = w.frameGeometry().width();
    const int left = home.right() + 8 + width <= screen.right()
                         ? home.right() + 8
                         : std::max(screen.left(), home.left() - 8 - width);
    w.move(left, home.top());
}

}  // namespace

QtProgram::QtProgram(const std::filesystem::path& settingsPath, std::function<void()> onEnd)
    : settings_(settingsPath,
                [this](const std::string& problem) {
                    // Each problem once on standard error; the first in a notice.
                    if (problem == lastSettingsProblem_) return;
                    lastSettingsProblem_ = problem;
                    std::cerr << "Quadrel: " << problem << '\n';
                    if (settingsProblem_.empty()) settingsProblem_ = problem;
                }),
      configuredDevices_(configuredDevices(settings_)),
      // exit(), not quit(): the program has decided to end, and quit() would
      // first ask every window to close, which the main window refuses.
      onEnd_(onEnd ? std::move(onEnd) : std::function<void()>([] { QCoreApplication::exit(0); })) {
    clock_.start();
    serial_ = std::make_unique<QtSerialPort>(systemDeviceResolver(configuredDevices_));
    // The process ends in refresh(), once the windows have gone.
    program_ = std::make_unique<Program>(*serial_, cable_, beeper_, settings_, nullptr);
    window_ = std::make_unique<MainWindow>();
    permissionNotice_ = new PortPermissionNotice(window_.get());
    settingsNotice_ = new SettingsFileNotice(window_.get());

    serial_->setReadHandler([this](std::span<const std::uint8_t> bytes) { onRead(bytes); });
    paceTimer_.setSingleShot(true);
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, &QtProgram::refresh);
    paintLog_ = PaintLog::fromEnvironment(*window_);
    connect(serial_.get(), &QtSerialPort::linkLost, this, &QtProgram::onLinkLost);
    connect(serial_.get(), &QtSerialPort::linkRestored, this, [this] {
        // Back, or free at last: the port line again.
        program_->portOpenedLater();
        program_->link().setPortAway({});
        std::cerr << "Quadrel: the port is open\n";
        refresh();
    });
    connect(serial_.get(), &QtSerialPort::sharedReader, this, [this](const QString& why) {
        // The status line's tooltip says so while it lasts.
        std::string& tip = program_->status().tooltip;
        if (!why.isEmpty()) {
            std::cerr << "Quadrel: " << why.toStdString() << '\n';
            tip = why.toStdString();
        } else if (tip.starts_with("another program is reading")) {
            tip.clear();
        }
        program_->link().setPortShared(why.toStdString());
        refresh();
    });

    summaryTimer_.setInterval(500);
    connect(&summaryTimer_, &QTimer::timeout, this, &QtProgram::updateLinkSummary);

    deadlines_ = std::make_unique<DeadlineTimer>([this] { return now(); },
                                                 [this](Time now) {
                                                     program_->advance(now);
                                                     refresh();
                                                 });
    connectMainWindow();
}

QtProgram::~QtProgram() {
    delete about_.data();
    delete portDialog_.data();
}

void QtProgram::connectMainWindow() {
    MainWindow* w = window_.get();
    auto act = [this](auto handler) {
        return [this, handler](auto... args) {
            handler(*program_, args...);
            refresh();
        };
    };
    // The user's own calibration starts the link statistics afresh too.
    connect(w, &MainWindow::calibrateClicked, this, act([this](Program& p) {
                p.receiver().calibrate();
                p.link().reset(now().count());
            }));
    connect(w, &MainWindow::recalibrateTriggered, this, act([this](Program& p) {
                p.receiver().recalibrate();
                p.link().reset(now().count());
            }));
    connect(w, &MainWindow::exitTriggered, this, act([](Program& p) { p.exit(); }));
    connect(w, &MainWindow::closeRequested, this, act([](Program& p) { p.exit(); }));
    connect(w, &MainWindow::aboutTriggered, this, act([this](Program& p) { p.showAbout(now()); }));
    connect(w, &MainWindow::commsTriggered, this, act([](Program& p) { p.showPortDialog(); }));
    connect(w, &MainWindow::zhenHuaTriggered, this, act([](Program& p) { p.showCableWindow(); }));
    connect(w, &MainWindow::linkMonitorTriggered, this, &QtProgram::showLinkMonitor);
    connect(w, &MainWindow::findSettingsTriggered, this, &QtProgram::showFindSettings);
    connect(w, &MainWindow::joystickTriggered, this, &QtProgram::showJoystickWindow);
    connect(w, &MainWindow::linkSummaryClicked, this, [this] {
        if (summary_.findSettings())
            showFindSettings();
        else
            showLinkMonitor();
    });
    connect(w, &MainWindow::reverseChanged, this,
            act([](Program& p, int k, ReverseBox box) { p.receiver().setReverse(k, box); }));
    connect(w, &MainWindow::modeChosen, this,
            act([](Program& p, StickMode mode) { p.receiver().setMode(mode); }));
    connect(w, &MainWindow::typeChosen, this,
            act([](Program& p, TransmitterType type) { p.receiver().setType(type); }));
}

void QtProgram::showLinkMonitor() {
    if (!linkWindow_) {
        linkWindow_ = new LinkMonitorWindow([this] { return linkReport(); }, window_.get());
        connect(linkWindow_, &LinkMonitorWindow::resetClicked, this,
                [this] { program_->link().reset(now().count()); });
        connect(linkWindow_, &LinkMonitorWindow::findSettingsClicked, this,
                &QtProgram::showFindSettings);
        placeBeside(*linkWindow_, *window_);
    }
    linkWindow_->show();
    linkWindow_->raise();
}

void QtProgram::showFindSettings() {
    if (!findWindow_) {
        findWindow_ = new FindSettingsWindow(window_.get());
        connect(findWindow_, &FindSettingsWindow::searchClicked, this, &QtProgram::startSearch);
        connect(findWindow_, &FindSettingsWindow::cancelClicked, this, [this] {
            program_->cancelSearch(now());
            refresh();
        });
        connect(findWindow_, &FindSettingsWindow::useClicked, this, [this] {
            program_->useFoundSettings(now());
            findWindow_->hide();
            refresh();
        });
        placeBeside(*findWindow_, *window_);
    }
    findWindow_->show();
    findWindow_->raise();
    findWindow_->activateWindow();
    if (!program_->search().running()) startSearch(findWindow_->everyPort());
}

void QtProgram::startSearch(bool everyPort) {
    program_->findSettings(everyPort ? otherPresentPorts() : std::vector<int>{}, now());
    updateLinkSummary();
    refresh();
}

std::vector<int> QtProgram::otherPresentPorts() const {
    const std::vector<std::string> present = presentSerialPorts();
    std::vector<int> ports;
    for (int n = 1; n <= 4; ++n) {
        const std::string device = devicePathForPort(n, configuredDevices_, present);
        const bool there = std::find(present.begin(), present.end(), device) != present.end() ||
                           std::filesystem::exists(device);
        if (there && n != serial_->portNumber()) ports.push_back(n);
    }
    return ports;
}

void QtProgram::updateLinkSummary() {
    if (ended_) return;
    summary_ = program_->search().running()
                   ? LinkSummary{LinkSummary::Mark::Waiting, "Finding settings...",
                                 "The settings search is trying the port's settings"}
                   : summarizeLink(linkReport(), serial_->portNumber());
    window_->showLinkSummary(summary_);
}

void QtProgram::showJoystickWindow() {
    if (!joystickWindow_) {
        joystickWindow_ = new JoystickWindow(window_.get());
        connect(joystickWindow_, &JoystickWindow::choicesChanged, this,
                [this](const JoystickChoices& choices) {
                    program_->setJoystickChoices(choices);
                    followJoystickChoices();
                    refresh();
                });
        placeBeside(*joystickWindow_, *window_);
    }
    joystickWindow_->show();
    joystickWindow_->raise();
    refresh();
}

void QtProgram::followJoystickChoices() {
    const bool wanted = program_->joystickChoices().enabled;
    if (wanted && !joystickDevice_) {
        // Measuring the program with its output on, where no /dev/uinput is.
        joystickEvents_ = qEnvironmentVariable("QUADREL_JOYSTICK_EVENTS").toStdString();
        if (joystickEvents_.empty())
            joystickDevice_ = UinputJoystick::create(joystickProblem_);
        else
            joystickDevice_ = EventFileJoystick::open(joystickEvents_, joystickProblem_);
        if (joystickDevice_) {
            joystickProblem_.clear();
            program_->startJoystick(*joystickDevice_);
        } else {
            std::cerr << "Quadrel: no joystick: " << joystickProblem_ << '\n';
        }
    } else if (!wanted && joystickDevice_) {
        program_->stopJoystick();
        joystickDevice_.reset();
    }
}

QString QtProgram::joystickStatus() const {
    if (const auto* uinput = dynamic_cast<const UinputJoystick*>(joystickDevice_.get())) {
        const std::string js = uinput->joystickNode();
        return QString::fromStdString("Sending to " + uinput->devnode() +
                                      (js.empty() ? "" : " and " + js));
    }
    if (joystickDevice_)
        return QString::fromStdString("Sending events to " + joystickEvents_ +
                                      " (QUADREL_JOYSTICK_EVENTS)");
    if (!joystickProblem_.empty())
        return QString::fromStdString("No joystick: " + joystickProblem_);
    return "Off";
}

void QtProgram::start() {
    program_->start(now());
    followJoystickChoices();  // on at start when it was on at exit
    summaryTimer_.start();
    refresh();
}

LinkReport QtProgram::linkReport() {
    LinkMonitor& link = program_->link();
    link.setLowLatency(serial_->lowLatency());
    link.setDriverLineErrors(serial_->lineErrors());
    return link.report(now().count());
}

void QtProgram::onLinkLost(const QString& reason) {
    // The port is closed now; silence brings up "No PPM signal present...".
    program_->status().tooltip = reason.toStdString();
    program_->link().setPortAway(reason.toStdString());
    program_->portLost();
    std::cerr << "Quadrel: " << reason.toStdString() << '\n';
    refresh();
}

void QtProgram::renderAbout() {
    const AboutBox& box = program_->about();
    if (!box.exists()) {
        discardWindow(about_);
        return;
    }
    if (!about_) {
        about_ = new AboutDialog(window_.get());
        connect(about_, &AboutDialog::okClicked, this, [this] {
            program_->aboutOk(now());
            refresh();
        });
        connect(about_, &AboutDialog::discardRequested, this, [this] {
            program_->aboutDiscarded(now());
            refresh();
        });
    }
    showOrHide(*about_, box.visible(), [this] { centreOnScreen(*about_); });
}

void QtProgram::createPortSettingsDialog() {
    portDialog_ = new PortSettingsDialog(window_.get());
    PortSettingsDialog* d = portDialog_;
    auto act = [this](auto handler) {
        return [this, handler](auto... args) {
            handler(*program_, args...);
            refresh();
        };
    };
    connect(d, &PortSettingsDialog::okClicked, this,
            act([this](Program& p) { p.applyPortChoice(now()); }));
    connect(d, &PortSettingsDialog::closeClicked, this,
            act([this](Program& p) { p.closePortDialog(now()); }));
    connect(d, &PortSettingsDialog::defaultClicked, this,
            act([](Program& p) { p.restorePortDefaults(); }));
    connect(d, &PortSettingsDialog::discardRequested, this,
            act([this](Program& p) { p.portDialogDiscarded(now()); }));
    connect(d, &PortSettingsDialog::picked, this,
            act([](Program& p, PortList list, int index) { p.portDialog().pick(list, index); }));
    connect(d, &PortSettingsDialog::rtsChanged, this,
            act([](Program& p, bool on) { p.portDialog().setRts(on); }));
    connect(d, &PortSettingsDialog::dtrChanged, this,
            act([](Program& p, bool on) { p.portDialog().setDtr(on); }));
}

std::array<QString, 4> QtProgram::portDevices() const {
    const std::vector<std::string> present = presentSerialPorts();
    std::array<QString, 4> devices;
    for (int n = 1; n <= 4; ++n) {
        const std::string device = devicePathForPort(n, configuredDevices_, present);
        devices[static_cast<std::size_t>(n - 1)] = QString::fromStdString(device);
    }
    return devices;
}

void QtProgram::renderPortSettings() {
    const PortDialog& dialog = program_->portDialog();
    if (!dialog.exists()) {
        discardWindow(portDialog_);
        return;
    }
    if (!portDialog_) createPortSettingsDialog();
    const bool showing = dialog.visible() && !portDialog_->isVisible();
    // Adapters come and go: look the devices up afresh at each showing.
    if (showing) portDialog_->setPortDevices(portDevices());
    if (dialog.visible())
        portDialog_->render(dialog, QString::fromStdString(program_->status().tooltip),
                            program_->port().port);
    showOrHide(*portDialog_, dialog.visible(), [this] { centreOver(*portDialog_, *window_); });
}

void QtProgram::onRead(std::span<const std::uint8_t> bytes) {
    if (ended_) return;
    LinkMonitor& link = program_->link();
    link.setLine(serial_->line());
    link.setLowLatency(serial_->lowLatency());
    link.setDriverLineErrors(serial_->lineErrors());
    program_->received(bytes, now());
    // Bytes move the watchdog's deadline. A read that changes nothing on
    // screen (the same values again) asks for no refresh, and so costs no
    // wake-up.
    deadlines_->follow(program_->nextDeadline());
    if (window_->shows(program_->receiver().view(), program_->status())) return;
    // A refresh that is due anyway is made now, not one turn of the event
    // loop later.
    if (!paceTimer_.isActive() && msUntilRefresh() == 0)
        refresh();
    else
        requestRefresh();
}

qint64 QtProgram::msUntilRefresh() const {
    const QScreen* screen = window_->screen();
    const double hz = screen && screen->refreshRate() >= 24 ? screen->refreshRate() : 60.0;
    const qint64 frameMs = static_cast<qint64>(1000.0 / hz);
    const qint64 since = sinceRefresh_.isValid() ? sinceRefresh_.elapsed() : frameMs;
    return std::max<qint64>(0, frameMs - since);
}

void QtProgram::requestRefresh() {
    if (paceTimer_.isActive()) return;
    paceTimer_.start(static_cast<int>(msUntilRefresh()));
}

void QtProgram::refresh() {
    paceTimer_.stop();
    sinceRefresh_.start();
    if (ended_) return;
    if (program_->ended()) {
        ended_ = true;
        deadlines_.reset();
        if (about_) about_->hide();
        if (portDialog_) portDialog_->hide();
        if (findWindow_) findWindow_->hide();
        if (joystickWindow_) joystickWindow_->hide();
        summaryTimer_.stop();
        cable_.hide();
        cable_.apply();
        window_->hide();
        onEnd_();
        return;
    }
    deadlines_->follow(program_->nextDeadline());
    window_->render(program_->receiver().view(), program_->status());
    cable_.apply();
    renderAbout();
    renderPortSettings();
    if (findWindow_) findWindow_->render(program_->search());
    if (joystickWindow_ && joystickWindow_->isVisible())
        joystickWindow_->render(
            program_->joystickChoices(),
            program_->joystick() ? program_->joystick()->sent() : JoystickState{},
            joystickStatus());
    if (program_->mainWindowShown() && !window_->isVisible()) {
        centreOnScreen(*window_);
        window_->show();
    }
    if (program_->mainWindowShown()) {
        permissionNotice_->offer(serial_->lastErrorIsPermission(), serial_->lastError());
        settingsNotice_->offer(QString::fromStdString(settingsProblem_));
    }
}

}  // namespace quadrel
