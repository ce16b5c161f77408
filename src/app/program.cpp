#include "app/program.h"

#include <exception>
#include <iostream>
#include <stdexcept>

#include "form/steps.h"
#include "settings/numeric_text.h"

namespace quadrel {
namespace {

void logToStderr(const std::string& line) {
    std::cerr << "Quadrel: " << line << '\n';
}

std::string channelKey(int k) {
    return "Channel" + std::to_string(k);
}

}  // namespace

Program::Program(SerialComponent& port, CableWindow& cable, Beeper& beeper, SettingsFile& settings,
                 std::function<void()> endProcess, Log log)
    : MSComm1_(port),
      Form4_(cable),
      beeper_(beeper),
      settings_(settings),
      endProcess_(std::move(endProcess)),
      log_(log ? std::move(log) : Log(logToStderr)),
      form_(port, cable, beeper) {
    form_.setLinkMonitor(&link_);
}

void Program::reportPortFailure(const std::string& reason) {
    ui().Label1.Caption = portFailureText(port_.PortNumber);
    ui().Label1ToolTip = reason;
    log_(reason);
    beeper_.beep();
}

template <typename Step>
void Program::startupStep(Step&& step) {
    runStep([this](const std::string& reason) { reportPortFailure(reason); }, step);
}

void Program::Form_Load() {
    // A run killed while it wrote the settings may have left a temporary copy.
    settings_.removeLeftovers();
    // The cable format starts switched off; the engine begins that way.
    startupStep([&] { ui().Option.setCaption(5, kZhenHuaCaption); });

    startupStep([&] {
        port_.PortNumber = static_cast<int>(
            numericValueOfFirstCharacter(settings_.read(kPortSection, "Port", "1")));
    });
    startupStep([&] {
        const std::string text = settings_.read(kPortSection, "Settings", "19200,N,8,1");
        if (!readPortSettings(text, port_))
            throw std::invalid_argument("the stored port settings \"" + text +
                                        "\" are not baud,parity,data,stop");
    });
    startupStep([&] {
        port_.RtsFlag = static_cast<int>(
            numericValueOfFirstCharacter(settings_.read(kPortSection, "RTS", "1")));
    });
    startupStep([&] {
        port_.DtrFlag = static_cast<int>(
            numericValueOfFirstCharacter(settings_.read(kPortSection, "DTR", "0")));
    });

    for (int k = 1; k <= 4; ++k) {
        startupStep([&] {
            const auto v =
                numericValueOfFirstCharacter(settings_.read(kReverseSection, channelKey(k), "0"));
            ui().Check(k).setValue(static_cast<int>(v));
        });
    }

    startupStep([&] {
        txModeText_ = settings_.read(kTransmitterSection, "TX Mode", "1");
        const double mode = numericValue(txModeText_);
        for (int m = 1; m <= 4; ++m)
            if (mode == m) ui().Mode.setValue(m, true);
    });
    startupStep([&] {
        txTypeText_ = settings_.read(kTransmitterSection, "TX Type", "1");
        const double type = numericValue(txTypeText_);
        for (int t = 1; t <= 5; ++t)
            if (type == t) ui().Option.setValue(t, true);
    });

    // The port is configured but stays closed until the splash has gone.
    startupStep([&] { MSComm1_.setRThreshold(1); });
    startupStep([&] { MSComm1_.setCommPort(static_cast<std::int16_t>(port_.PortNumber)); });
    startupStep([&] { MSComm1_.setSettings(port_.PortSettingsText); });
    startupStep([&] { MSComm1_.setInputLen(1); });
    startupStep([&] { MSComm1_.setRTSEnable(port_.RtsFlag == 1); });
    startupStep([&] { MSComm1_.setDTREnable(port_.DtrFlag == 1); });

    // The watchdog waits for the splash to close.
    ui().Timer1.setEnabled(false);
    form3_.showModal([this] { finishStartup(); });
}

void Program::finishStartup() {
    startupStep([&] {
        ui().Label1.Caption = portCaption(MSComm1_.CommPort(), port_.PortSettingsText);
        ui().Label1ToolTip.clear();
    });
    startupStep([&] { MSComm1_.setPortOpen(true); });
    mainWindowShown_ = true;
}

void Program::portOpenedLater() {
    ui().Label1.Caption = portCaption(MSComm1_.CommPort(), port_.PortSettingsText);
    ui().Label1ToolTip.clear();
}

void Program::FExit_Click() {
    // A port that is not open refuses these; exit goes on regardless.
    runStepQuietly([&] { MSComm1_.setRTSEnable(false); });
    runStepQuietly([&] { MSComm1_.setDTREnable(false); });
    runStepQuietly([&] { MSComm1_.setPortOpen(false); });

    // One replacement of the file: a kill during exit keeps all the
    // choices or none. A group with nothing chosen keeps the text read.
    std::array<std::string, 4> reverse;
    for (int k = 1; k <= 4; ++k)
        reverse[static_cast<std::size_t>(k - 1)] = std::to_string(ui().Check(k).Value());
    const auto choice = [](int selected, const std::string& readText) {
        return selected ? std::to_string(selected) : readText;
    };
    const std::string mode = choice(ui().Mode.selected(), txModeText_);
    const std::string type = choice(ui().Option.selected(), txTypeText_);
    settings_.write({{kReverseSection, channelKey(1), reverse[0]},
                     {kReverseSection, channelKey(2), reverse[1]},
                     {kReverseSection, channelKey(3), reverse[2]},
                     {kReverseSection, channelKey(4), reverse[3]},
                     {kTransmitterSection, "TX Mode", mode},
                     {kTransmitterSection, "TX Type", type}});

    ended_ = true;
    if (endProcess_) endProcess_();
}

void Program::Form_Unload(std::int16_t& cancel) {
    cancel = 3;  // the exit below ends the program itself
    FExit_Click();
}

void Program::AMenu_Click() {
    form3_.showModal([this] {
        // Recreates the window if its close box discarded it meanwhile.
        form3_.ensureCreated();
        form3_.Timer1.setEnabled(false);
    });
}

void Program::CMenu_Click() {
    form2_.showModal([this] { ui().Timer2.setEnabled(true); });
}

}  // namespace quadrel

namespace quadrel {

void Program::ZMenu_Click() {
    Form4_.show();
}

}  // namespace quadrel
