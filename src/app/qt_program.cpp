#include "app/qt_program.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <iostream>
#include <map>

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

// Shows a window the way its form says (placing it first), or hides it.
void showOrHide(QDialog& dialog, bool visible, bool modal, const std::function<void()>& place) {
    if (visible && !dialog.isVisible()) {
        dialog.setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
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
    serial_ = std::make_unique<QtSerialComponent>(systemDeviceResolver(configuredDevices_));
    // The process ends in refresh(), once the windows have gone.
    program_ = std::make_unique<Program>(*serial_, cable_, beeper_, settings_, nullptr);
    window_ = std::make_unique<MainWindow>();
    permissionNotice_ = new PortPermissionNotice(window_.get());
    settingsNotice_ = new SettingsFileNotice(window_.get());

    MainForm& form = program_->form();
    serial_->setReceiveHandler([&form] { form.MSComm1_OnComm(); });
    serial_->setBatchStartHandler([this, &form](std::size_t bytes) {
        LinkMonitor& link = program_->link();
        link.setLine(serial_->lineSettings());
        link.setLowLatency(serial_->lowLatency());
        link.setDriverLineErrors(serial_->lineErrors());
        link.beginRead(now(), bytes);
        form.beginReceiveBatch();
    });
    serial_->setBatchDoneHandler([this, &form] {
        form.endReceiveBatch();
        onBatchDone();
    });
    paceTimer_.setSingleShot(true);
    paceTimer_.setTimerType(Qt::PreciseTimer);
    connect(&paceTimer_, &QTimer::timeout, this, &QtProgram::refresh);
    paintLog_ = PaintLog::fromEnvironment(*window_);
    connect(serial_.get(), &QtSerialComponent::linkLost, this, &QtProgram::onLinkLost);
    connect(serial_.get(), &QtSerialComponent::linkRestored, this, [this] {
        // Back, or free at last: the port line again.
        program_->portOpenedLater();
        program_->link().setPortAway({});
        std::cerr << "Quadrel: the port is open\n";
        refresh();
    });
    connect(serial_.get(), &QtSerialComponent::sharedReader, this, [this](const QString& why) {
        // The status line's tooltip says so while it lasts.
        std::string& tip = program_->ui().Label1ToolTip;
        if (!why.isEmpty()) {
            std::cerr << "Quadrel: " << why.toStdString() << '\n';
            tip = why.toStdString();
        } else if (tip.starts_with("another program is reading")) {
            tip.clear();
        }
        program_->link().setPortShared(why.toStdString());
        refresh();
    });

    timer1_ = std::make_unique<TimerDriver>(form.state().Timer1, [this, &form] {
        form.Timer1_Timer();
        refresh();
    });
    timer2_ = std::make_unique<TimerDriver>(form.state().Timer2, [this, &form] {
        form.Timer2_Timer();
        refresh();
    });
    aboutTimer_ = std::make_unique<TimerDriver>(program_->about().Timer1, [this] {
        program_->about().Timer1_Timer();
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
        return [this, handler] {
            handler();
            refresh();
        };
    };
    Program& p = *program_;
    // The user's own calibration starts the link statistics afresh too.
    connect(w, &MainWindow::calibrateClicked, this, act([this, &p] {
                p.form().Command1_Click();
                p.link().reset(now());
            }));
    connect(w, &MainWindow::recalibrateTriggered, this, act([this, &p] {
                p.form().SCal_Click();
                p.link().reset(now());
            }));
    connect(w, &MainWindow::exitTriggered, this, act([&p] { p.FExit_Click(); }));
    connect(w, &MainWindow::closeRequested, this, act([&p] {
                std::int16_t cancel = 0;
                p.Form_Unload(cancel);
            }));
    connect(w, &MainWindow::aboutTriggered, this, act([&p] { p.AMenu_Click(); }));
    connect(w, &MainWindow::commsTriggered, this, act([&p] { p.CMenu_Click(); }));
    connect(w, &MainWindow::zhenHuaTriggered, this, act([&p] { p.ZMenu_Click(); }));
    connect(w, &MainWindow::linkMonitorTriggered, this, &QtProgram::showLinkMonitor);
    connect(w, &MainWindow::reverseChanged, this, [this](int k, int value) {
        program_->ui().Check(k).setValue(value);
        refresh();
    });
    connect(w, &MainWindow::modeChosen, this, [this](int m) {
        program_->ui().Mode.setValue(m, true);
        refresh();
    });
    connect(w, &MainWindow::typeChosen, this, [this](int t) {
        program_->ui().Option.setValue(t, true);
        refresh();
    });
}

void QtProgram::showLinkMonitor() {
    if (!linkWindow_) {
        linkWindow_ = new LinkMonitorWindow([this] { return linkReport(); }, window_.get());
        connect(linkWindow_, &LinkMonitorWindow::resetClicked, this,
                [this] { program_->link().reset(now()); });
        // Beside the main window, on whichever side the screen has room.
        linkWindow_->adjustSize();
        const QRect main = window_->frameGeometry();
        const QRect screen = window_->screen() ? window_->screen()->availableGeometry() : main;
        const int width = linkWindow_->frameGeometry().width();
        const int left = main.right() + 8 + width <= screen.right()
                             ? main.right() + 8
                             : std::max(screen.left(), main.left() - 8 - width);
        linkWindow_->move(left, main.top());
    }
    linkWindow_->show();
    linkWindow_->raise();
}

void QtProgram::start() {
    program_->Form_Load();
    refresh();
}

LinkReport QtProgram::linkReport() {
    LinkMonitor& link = program_->link();
    link.setLowLatency(serial_->lowLatency());
    link.setDriverLineErrors(serial_->lineErrors());
    return link.report(now());
}

void QtProgram::onLinkLost(const QString& reason) {
    // The port is closed now; silence brings up "No PPM signal present...".
    program_->ui().Label1ToolTip = reason.toStdString();
    program_->link().setPortAway(reason.toStdString());
    std::cerr << "Quadrel: " << reason.toStdString() << '\n';
    refresh();
}

void QtProgram::renderAbout() {
    const AboutForm& form = program_->about();
    if (!form.exists()) {
        discardWindow(about_);
        return;
    }
    if (!about_) {
        about_ = new AboutDialog(window_.get());
        connect(about_, &AboutDialog::okClicked, this, [this] {
            program_->about().cmdOK_Click();
            refresh();
        });
        connect(about_, &AboutDialog::discardRequested, this, [this] {
            program_->about().discard();
            refresh();
        });
    }
    about_->render(form);
    showOrHide(*about_, form.Visible(), form.isModal(), [this] { centreOnScreen(*about_); });
}

void QtProgram::createPortSettingsDialog() {
    portDialog_ = new PortSettingsDialog(window_.get());
    PortSettingsDialog* d = portDialog_;
    auto act = [this](auto handler) {
        return [this, handler](auto... args) {
            handler(program_->portSettings(), args...);
            refresh();
        };
    };
    connect(d, &PortSettingsDialog::okClicked, this,
            act([](PortSettingsForm& f) { f.Command1_Click(); }));
    connect(d, &PortSettingsDialog::closeClicked, this,
            act([](PortSettingsForm& f) { f.Command2_Click(); }));
    connect(d, &PortSettingsDialog::defaultClicked, this,
            act([](PortSettingsForm& f) { f.Command3_Click(); }));
    connect(d, &PortSettingsDialog::discardRequested, this,
            act([](PortSettingsForm& f) { f.discard(); }));
    connect(d, &PortSettingsDialog::listPicked, this,
            act([](PortSettingsForm& f, int list, int index) {
                DropDownList* lists[] = {&f.Combo1, &f.Combo2, &f.Combo3, &f.Combo4, &f.Combo5};
                lists[list - 1]->setListIndex(index);
            }));
    connect(d, &PortSettingsDialog::checkChanged, this,
            act([](PortSettingsForm& f, int box, int value) {
                (box == 1 ? f.Check1 : f.Check2).setValue(value);
            }));
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
    const PortSettingsForm& form = program_->portSettings();
    if (!form.exists()) {
        discardWindow(portDialog_);
        return;
    }
    if (!portDialog_) createPortSettingsDialog();
    const bool showing = form.Visible() && !portDialog_->isVisible();
    // Adapters come and go: look the devices up afresh at each showing.
    if (showing) portDialog_->setPortDevices(portDevices());
    if (form.Visible())
        portDialog_->render(form, QString::fromStdString(program_->ui().Label1ToolTip),
                            program_->port().PortNumber);
    showOrHide(*portDialog_, form.Visible(), form.isModal(),
               [this] { centreOver(*portDialog_, *window_); });
}

void QtProgram::onBatchDone() {
    // Bytes restart the watchdog and may switch timers on or off: the
    // timers follow at once. A frame that changes nothing on screen (the
    // same values again) asks for no refresh, and so costs no wake-up.
    if (ended_) return;
    timer1_->sync();
    timer2_->sync();
    aboutTimer_->sync();
    if (window_->shows(program_->ui())) return;
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
        timer1_.reset();
        timer2_.reset();
        aboutTimer_.reset();
        if (about_) about_->hide();
        if (portDialog_) portDialog_->hide();
        cable_.hide();
        cable_.apply();
        window_->hide();
        onEnd_();
        return;
    }
    timer1_->sync();
    timer2_->sync();
    aboutTimer_->sync();
    window_->render(program_->ui());
    cable_.apply();
    renderAbout();
    renderPortSettings();
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
