// quadrel-joystick: the transmitter as a Linux joystick without a window.
// The receiver and the joystick the program runs, from the same settings
// file; the port chosen as quadrel-probe chooses it. The device goes on
// Ctrl+C or SIGTERM.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <string_view>

#include "app/shutdown_signals.h"
#include "chosen_port.h"
#include "joystick/device_description.h"
#include "joystick/joystick_settings.h"
#include "joystick/uinput_joystick.h"
#include "port_choice.h"
#include "probe_options.h"
#include "receiver/receiver.h"
#include "serial/qt_serial_port.h"
#include "settings/numeric_text.h"

namespace {

using namespace quadrel;
using namespace quadrel::probe;

constexpr char kHelp[] = R"(Usage: quadrel-joystick [--port N | --device PATH] [--settings LINE]
Makes the transmitter a joystick ("Quadrel PPM Joystick") that simulators
and games see, from the serial PPM interface, with the mapping, buttons and
failsafe of Quadrel's settings file (section [Joystick]). Stops on Ctrl+C.

  --port N          COM N, 1 to 16, mapped to a device as Quadrel maps it
  --device PATH     a serial device.  e.g. --device /dev/ttyUSB0
  --settings BAUD,PARITY,DATA,STOP
                    line settings (default Quadrel's, else 19200,N,8,1)
  --help, --version this text; the version

Exit status: 0 after Ctrl+C or SIGTERM, 2 for a bad command line, a port
that cannot be opened or a joystick that cannot be made (the reason and
its fix on standard error).
)";

int failed(const std::string& message) {
    std::fprintf(stderr, "quadrel-joystick: %s\n", message.c_str());
    return 2;
}

struct Quiet : CableWindow, Beeper {
    void show() override {}
    void hide() override {}
    void beep() override {}
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    ProbeCommand command = parseProbeOptions(args);
    const ProbeOptions& o = command.options;
    if (command.action == ProbeCommand::Action::Run &&
        (o.source == ProbeOptions::Source::Replay || o.seconds || o.json || o.recordPath ||
         o.expectChannels || o.minFps || o.maxIntervalMs || o.find)) {
        command.action = ProbeCommand::Action::Error;
        command.error = "quadrel-joystick takes only --port or --device and --settings";
    }
    if (const auto status = sim::answerBeforeRunning(command, "quadrel-joystick", kHelp))
        return *status;
    QCoreApplication application(argc, argv);

    const std::filesystem::path settingsPath = defaultSettingsPath();
    const SettingsFile settings(settingsPath, [](const std::string& m) { failed(m); });
    const double type = numericValue(settings.read(kTransmitterSection, "TX Type", "1"));
    std::optional<TransmitterType> transmitter;
    if (type >= 1 && type <= kTransmitterTypes && type == static_cast<int>(type))
        transmitter = static_cast<TransmitterType>(static_cast<int>(type));

    std::string why;
    std::unique_ptr<UinputJoystick> device = UinputJoystick::create(why);
    if (!device) return failed("no joystick: " + why);
    JoystickOutput joystick(*device);
    joystick.setChoices(readJoystickChoices(settings, transmitter));

    const PortChoice choice = choosePort(o, settingsPath);
    QtSerialPort serial(chosenDevice(o, choice));
    try {
        openChosen(serial, choice.port);
    } catch (const SerialError& e) {
        return failed(e.what());
    }
    const std::string js = device->joystickNode();
    std::printf("%s: %s%s, from %s\n", joystickDescription().name, device->devnode().c_str(),
                js.empty() ? "" : (" and " + js).c_str(), serial.devicePath().c_str());
    std::fflush(stdout);

    Quiet quiet;
    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] { return Time(clock.nsecsElapsed() / 1000); };
    Receiver receiver(quiet, quiet, now());
    receiver.setFrameListener(&joystick);
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    const auto follow = [&] {
        if (const auto due = receiver.nextDeadline())
            deadline.start(
                static_cast<int>(std::max<std::int64_t>(0, (*due - now()).count() + 999) / 1000));
    };
    QObject::connect(&deadline, &QTimer::timeout, [&] {
        receiver.advance(now());
        follow();
    });
    serial.setReadHandler([&](std::span<const std::uint8_t> bytes) {
        receiver.feed(bytes, now());
        follow();
    });
    QObject::connect(&serial, &QtSerialPort::linkLost, [&](const QString& reason) {
        std::fprintf(stderr, "quadrel-joystick: %s\n", qPrintable(reason));
        joystick.signalLost();  // the device stays: the simulator keeps its binding
    });
    ShutdownSignals stop;
    QObject::connect(&stop, &ShutdownSignals::shutdownRequested, [] { QCoreApplication::exit(0); });
    follow();
    return QCoreApplication::exec();
}
