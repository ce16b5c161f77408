// quadrel-probe: listens to a serial PPM interface (or plays a capture) and
// prints the link's figures and verdict. Everything but the port and the
// event loop is in quadrel_probe_core.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

#include "app/shutdown_signals.h"
#include "chosen_port.h"
#include "find_report.h"
#include "port_choice.h"
#include "probe_options.h"
#include "probe_report.h"
#include "probe_session.h"
#include "serial/qt_serial_port.h"
#include "settings/settings_file.h"

namespace {

using namespace quadrel;
using namespace quadrel::probe;

constexpr double kDefaultSeconds = 5;

// A failure: the message on standard error and, with --json, one object on
// standard output that says so; the exit status.
int failed(bool json, const std::string& message, int status = 2) {
    std::fprintf(stderr, "quadrel-probe: %s\n", message.c_str());
    if (json) std::fputs(failureJson(message).c_str(), stdout);
    return status;
}

// Prints the figures; the exit status: 1 when the port went away or an
// expectation fails.
int print(const ProbeOptions& o, const ProbeRun& run, const LinkReport& report) {
    const std::vector<Check> checks = checkExpectations(o, report);
    std::fputs((o.json ? reportJson(run, report, checks) : reportText(run, report, checks)).c_str(),
               stdout);
    std::fflush(stdout);
    int status = report.verdict == Verdict::PortAway ? 1 : 0;
    for (const Check& c : checks) {
        if (c.ok) continue;
        status = 1;
        if (o.json)  // the text says so itself
            std::fprintf(stderr, "quadrel-probe: expectation %s failed: want %g, got %g\n",
                         c.name.c_str(), c.want, c.got);
    }
    return status;
}

int replayFile(const ProbeOptions& o) {
    sim::ReplayFile file = sim::readReplayFile(o.path);
    if (!file.error.empty()) return failed(o.json, file.error);
    std::vector<std::uint8_t>& bytes = file.bytes;
    LineSettings line = o.line.value_or(LineSettings{});
    sim::Capture capture;
    if (sim::isCapture(bytes)) {
        sim::CaptureRead read =
            sim::readCapture({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
        if (!read.capture) return failed(o.json, sim::printable(o.path) + ", " + read.error);
        capture = std::move(*read.capture);
        if (capture.line && !o.line) line = *capture.line;
    } else {
        capture = captureOfRawBytes(std::move(bytes), line);
    }
    capture.line = line;
    std::optional<std::int64_t> until;
    if (o.seconds) until = std::llround(*o.seconds * 1e6);
    return print(o, {o.path, formatLineSettings(line)}, replay(capture, until));
}

int listen(const ProbeOptions& o) {
    const PortChoice choice = choosePort(o, defaultSettingsPath());
    QtSerialPort serial(chosenDevice(o, choice));
    try {
        openChosen(serial, choice.port);
    } catch (const SerialError& e) {
        return failed(o.json, e.what());
    }
    // Only once the port is open: a failed start leaves no empty recording.
    std::ofstream record;
    if (o.recordPath) {
        record.open(*o.recordPath, std::ios::binary | std::ios::trunc);
        if (!record)
            return failed(o.json, "cannot write " + *o.recordPath + ": " + std::strerror(errno));
    }

    QElapsedTimer clock;
    clock.start();
    const auto nowUs = [&clock] { return clock.nsecsElapsed() / 1000; };
    ProbeSession session(serial.line());
    if (record.is_open())
        session.record([&record](const std::string& text) { record << text << std::flush; });
    serial.setReadHandler([&](std::span<const std::uint8_t> bytes) {
        session.driverSays(serial.lowLatency(), serial.lineErrors());
        session.read(bytes, nowUs());
    });

    bool done = false;
    const auto finish = [&] {
        if (std::exchange(done, true)) return;
        session.driverSays(serial.lowLatency(), serial.lineErrors());
        const LinkReport report = session.finish(nowUs());
        const int status =
            print(o, {serial.devicePath(), formatLineSettings(choice.port.line)}, report);
        try {  // as the program leaves the port
            serial.setRts(false);
            serial.setDtr(false);
            if (serial.isOpen()) serial.close();
        } catch (const SerialError&) {
        }
        QCoreApplication::exit(status);
    };
    QTimer::singleShot(static_cast<int>(std::lround(o.seconds.value_or(kDefaultSeconds) * 1000)),
                       Qt::PreciseTimer, &serial, finish);
    ShutdownSignals stop;  // Ctrl+C: the figures so far
    QObject::connect(&stop, &ShutdownSignals::shutdownRequested, &serial, finish);
    QObject::connect(&serial, &QtSerialPort::sharedReader, &serial, [&](const QString& why) {
        if (!why.isEmpty()) std::fprintf(stderr, "quadrel-probe: %s\n", qPrintable(why));
        session.portShared(why.toStdString());
    });
    // The probe does not wait for a device to come back: it says what
    // happened and stops.
    QObject::connect(&serial, &QtSerialPort::linkLost, &serial, [&] {
        const std::string away = portAwayMessage(o, choice, serial.devicePath());
        std::fprintf(stderr, "quadrel-probe: %s\n", away.c_str());
        session.portAway(away);
        finish();
    });
    return QCoreApplication::exec();
}

// --find: the settings search on the chosen port, each try printed as it
// ends; exit 0 when a setting that gives frames was found.
int find(const ProbeOptions& o) {
    PortChoice choice = choosePort(o, defaultSettingsPath());
    QtSerialPort serial(chosenDevice(o, choice));
    try {  // closed: the search opens it, and leaves it closed
        serial.setPortNumber(choice.port.port);
        serial.setLine(choice.port.line);
    } catch (const SerialError& e) {
        return failed(o.json, e.what());
    }
    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] { return Time(clock.nsecsElapsed() / 1000); };
    SettingsSearch search(serial);
    search.onTry([&](const SearchTry& t) {
        if (o.json) return;
        std::fputs(tryText(search.triesMade(), t).c_str(), stdout);
        std::fflush(stdout);
    });
    serial.setReadHandler([&](std::span<const std::uint8_t> bytes) { search.feed(bytes, now()); });

    QTimer step;
    step.setSingleShot(true);
    step.setTimerType(Qt::PreciseTimer);
    const auto follow = [&] {
        if (!search.running()) {
            const auto& finding = search.finding();
            if (finding)
                std::fputs(
                    (o.json ? findJson(search.tries(), *finding) : findingText(*finding)).c_str(),
                    stdout);
            return QCoreApplication::exit(finding && finding->settings ? 0 : 1);
        }
        const auto due = search.nextDeadline();
        step.start(
            static_cast<int>(std::max<std::int64_t>(0, (*due - now()).count() + 999) / 1000));
    };
    QObject::connect(&step, &QTimer::timeout, [&] {
        search.advance(now());
        follow();
    });
    ShutdownSignals stop;  // Ctrl+C: the port as it was, and no finding
    QObject::connect(&stop, &ShutdownSignals::shutdownRequested, [&] {
        search.cancel();
        std::fprintf(stderr, "quadrel-probe: search cancelled\n");
        if (o.json) std::fputs(failureJson("search cancelled").c_str(), stdout);
        follow();
    });
    search.start(choice.port, {}, now());
    QTimer::singleShot(0, follow);
    return QCoreApplication::exec();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ProbeCommand command = parseProbeOptions(args);
    // A command line asking for JSON gets its failure as JSON too.
    if (command.action == ProbeCommand::Action::Error &&
        std::find(args.begin(), args.end(), "--json") != args.end())
        std::fputs(failureJson(command.error).c_str(), stdout);
    if (const auto status = sim::answerBeforeRunning(command, "quadrel-probe", probeHelpText()))
        return *status;
    if (command.options.source == ProbeOptions::Source::Replay) return replayFile(command.options);
    QCoreApplication application(argc, argv);
    return command.options.find ? find(command.options) : listen(command.options);
}
