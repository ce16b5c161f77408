#include "app/program.h"

#include <exception>
#include <iostream>
#include <stdexcept>
#include <utility>

#include "joystick/joystick_settings.h"
#include "receiver/quietly.h"
#include "settings/numeric_text.h"

namespace quadrel {
namespace {

void logToStderr(const std::string& line) {
    std::cerr << "Quadrel: " << line << '\n';
}

std::string channelKey(int k) {
    return "Channel" + std::to_string(k);
}

int firstDigit(const std::string& text) {
    return static_cast<int>(numericValueOfFirstCharacter(text));
}

}  // namespace

Program::Program(SerialPort& port, CableWindow& cable, Beeper& beeper, SettingsFile& settings,
                 std::function<void()> endProcess, Log log)
    : serial_(port),
      cable_(cable),
      beeper_(beeper),
      settings_(settings),
      endProcess_(std::move(endProcess)),
      log_(log ? std::move(log) : Log(logToStderr)),
      receiver_(cable, beeper),
      search_(port) {
    receiver_.setLinkMonitor(&link_);
}

void Program::reportPortFailure(const std::string& reason) {
    status_.text = portFailureText(port_.port);
    status_.tooltip = reason;
    log_(reason);
    beeper_.beep();
}

template <typename Step>
void Program::step(Step&& action) {
    try {
        action();
    } catch (const std::exception& e) {
        reportPortFailure(e.what());
    }
}

void Program::start(Time now) {
    // A run killed while it wrote the settings may have left a temporary copy.
    settings_.removeLeftovers();
    readSettings();
    configurePort();
    // The watchdog waits for the splash to go; start-up goes on then.
    receiver_.watchdog().stop();
    afterAbout_ = AfterAbout::FinishStartup;
    about_.show(now);
}

void Program::readSettings() {
    port_.port = firstDigit(settings_.read(kPortSection, "Port", "1"));
    step([&] {
        const std::string text = settings_.read(kPortSection, "Settings", "19200,N,8,1");
        const auto line = readStoredLineSettings(text);
        if (!line)
            throw std::invalid_argument("the stored port settings \"" + text +
                                        "\" are not baud,parity,data,stop");
        port_.line = *line;
    });
    port_.rts = firstDigit(settings_.read(kPortSection, "RTS", "1")) == 1;
    port_.dtr = firstDigit(settings_.read(kPortSection, "DTR", "0")) == 1;

    for (int k = 1; k <= kReverseBoxes; ++k) {
        step([&] {
            const int box = firstDigit(settings_.read(kReverseSection, channelKey(k), "0"));
            if (box < 0 || box > 2) throw std::invalid_argument("invalid check box value");
            receiver_.setReverse(k, static_cast<ReverseBox>(box));
        });
    }

    // Numbers outside the options leave the group without a choice.
    modeText_ = settings_.read(kTransmitterSection, "TX Mode", "1");
    const double mode = numericValue(modeText_);
    for (int m = 1; m <= kStickModes; ++m)
        if (mode == m) receiver_.setMode(static_cast<StickMode>(m));
    typeText_ = settings_.read(kTransmitterSection, "TX Type", "1");
    const double type = numericValue(typeText_);
    for (int t = 1; t <= kTransmitterTypes; ++t)
        if (type == t) receiver_.setType(static_cast<TransmitterType>(t));
    joystickChoices_ = readJoystickChoices(settings_, receiver_.view().setup.type);
}

void Program::configurePort() {
    // Configured, but closed until the splash has gone.
    step([&] { serial_.setPortNumber(port_.port); });
    step([&] { serial_.setLine(port_.line); });
    rts_ = port_.rts;
    dtr_ = port_.dtr;
    step([&] { serial_.setRts(rts_); });
    step([&] { serial_.setDtr(dtr_); });
}

void Program::finishStartup() {
    step([&] { status_ = {portCaption(serial_.portNumber(), port_.line), {}}; });
    step([&] { serial_.open(); });
    mainWindowShown_ = true;
}

void Program::portOpenedLater() {
    status_ = {portCaption(serial_.portNumber(), port_.line), {}};
}

void Program::exit() {
    search_.cancel();
    // A port that is not open refuses these; exit goes on regardless.
    quietly([&] { serial_.setRts(false); });
    quietly([&] { serial_.setDtr(false); });
    quietly([&] { serial_.close(); });

    // One replacement of the file: a kill during exit keeps all the
    // choices or none. A group with nothing chosen keeps the text read.
    const TransmitterSetup& setup = receiver_.view().setup;
    std::array<std::string, kReverseBoxes> reverse;
    for (std::size_t k = 0; k < reverse.size(); ++k)
        reverse[k] = std::to_string(static_cast<int>(setup.reverse[k]));
    const std::string mode = setup.mode ? std::to_string(static_cast<int>(*setup.mode)) : modeText_;
    const std::string type = setup.type ? std::to_string(static_cast<int>(*setup.type)) : typeText_;
    settings_.write({{kReverseSection, channelKey(1), reverse[0]},
                     {kReverseSection, channelKey(2), reverse[1]},
                     {kReverseSection, channelKey(3), reverse[2]},
                     {kReverseSection, channelKey(4), reverse[3]},
                     {kTransmitterSection, "TX Mode", mode},
                     {kTransmitterSection, "TX Type", type}});

    ended_ = true;
    if (endProcess_) endProcess_();
}

void Program::showAbout(Time now) {
    afterAbout_ = AfterAbout::StopItsTimer;
    about_.show(now);
}

void Program::aboutOk(Time now) {
    if (about_.ok()) receiver_.watchdog().start(now);  // the end of the splash
    aboutHidden(now);
}

void Program::aboutDiscarded(Time now) {
    if (about_.discard()) aboutHidden(now);
}

void Program::aboutHidden(Time now) {
    switch (std::exchange(afterAbout_, AfterAbout::Nothing)) {
        case AfterAbout::FinishStartup:
            finishStartup();
            break;
        case AfterAbout::StopItsTimer:
            // Created again, hidden, if its close box discarded it.
            about_.create(now);
            about_.stopCloseTimer();
            break;
        case AfterAbout::Nothing:
            break;
    }
}

void Program::showPortDialog() {
    portDialog_.show(port_);
}

void Program::applyPortChoice(Time now) {
    const PortSettings choice = portDialog_.choice();
    portDialog_.hide();
    applyPortSettings(choice, now);
}

void Program::applyPortSettings(const PortSettings& choice, Time now) {
    search_.cancel();  // the user's choice wins
    // The chosen lines are the port's from now on; the RTS and DTR that
    // the dialog shows when created again stay as start-up read them.
    port_.port = choice.port;
    port_.line = choice.line;
    rts_ = choice.rts;
    dtr_ = choice.dtr;

    if (serial_.isOpen()) {
        step([&] { serial_.setRts(false); });
        step([&] { serial_.setDtr(false); });
        step([&] { serial_.close(); });
    }
    step([&] { serial_.setPortNumber(port_.port); });
    step([&] { serial_.setLine(port_.line); });
    step([&] { status_ = {portCaption(serial_.portNumber(), port_.line), {}}; });
    step([&] { serial_.setRts(choice.rts); });
    step([&] { serial_.setDtr(choice.dtr); });
    step([&] { serial_.open(); });
    LineSettings taken = port_.line;
    step([&] { taken = serial_.line(); });

    // Stored even when the port did not open: the next start tries it
    // again. In one replacement of the file.
    settings_.write({{kPortSection, "Port", std::to_string(port_.port)},
                     {kPortSection, "Settings", formatLineSettings(taken)},
                     {kPortSection, "RTS", choice.rts ? "1" : "0"},
                     {kPortSection, "DTR", choice.dtr ? "1" : "0"}});
    portDialogHidden(now);
}

void Program::closePortDialog(Time now) {
    portDialog_.hide();
    portDialogHidden(now);
}

void Program::restorePortDefaults() {
    // The flags change at once, whether or not "Ok" follows.
    port_.rts = true;
    port_.dtr = false;
    portDialog_.restoreDefaults();
}

void Program::portDialogDiscarded(Time now) {
    if (portDialog_.discard()) portDialogHidden(now);
}

void Program::portDialogHidden(Time now) {
    receiver_.calibrateLater(now);
}

void Program::setJoystickChoices(const JoystickChoices& choices) {
    joystickChoices_ = choices;
    if (joystick_) joystick_->setChoices(choices);
    writeJoystickChoices(settings_, choices);
}

void Program::startJoystick(JoystickDevice& device) {
    joystick_ = std::make_unique<JoystickOutput>(device);
    joystick_->setChoices(joystickChoices_);
    receiver_.setFrameListener(joystick_.get());
}

void Program::stopJoystick() {
    receiver_.setFrameListener(nullptr);
    joystick_.reset();
}

void Program::portLost() {
    // The device stays, so that the simulator keeps its binding.
    if (joystick_) joystick_->signalLost();
}

void Program::received(std::span<const std::uint8_t> bytes, Time now) {
    search_.feed(bytes, now);
    receiver_.feed(bytes, now);
}

void Program::findSettings(std::vector<int> otherPorts, Time now) {
    const PortSettings current{serial_.portNumber(), serial_.line(), rts_, dtr_};
    search_.start(current, std::move(otherPorts), now);
    if (!search_.running()) searchEnded(now);
}

void Program::cancelSearch(Time now) {
    if (!search_.running()) return;
    search_.cancel();
    searchEnded(now);
}

void Program::useFoundSettings(Time now) {
    const auto& finding = search_.finding();
    if (finding && finding->settings) applyPortSettings(*finding->settings, now);
}

void Program::searchEnded(Time now) {
    // What the tries brought in says nothing of the link as it is now.
    link_.reset(now.count());
    receiver_.calibrateLater(now);
}

std::optional<Time> Program::nextDeadline() const {
    return earlier(earlier(receiver_.nextDeadline(), about_.closeTimer().due()),
                   search_.nextDeadline());
}

void Program::advance(Time now) {
    for (;;) {
        // In time order; on a tie the receiver's first, the search's last.
        const auto mine = receiver_.nextDeadline();
        const auto splash = about_.closeTimer().due();
        const auto search = search_.nextDeadline();
        const auto first = earlier(earlier(mine, splash), search);
        if (!first || *first > now) return;
        if (mine == first) {
            receiver_.advance(*mine);
        } else if (splash == first) {
            aboutOk(*splash);
            about_.stopCloseTimer();
        } else {
            search_.advance(*search);
            if (!search_.running()) searchEnded(*search);
        }
    }
}

}  // namespace quadrel
