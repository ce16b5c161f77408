#include "probe_options.h"

#include <algorithm>
#include <cmath>

#include "capture_file.h"
#include "number_text.h"
#include "serial/port_settings.h"

namespace quadrel::probe {

namespace {

struct Failure {
    std::string message;
};

[[noreturn]] void fail(const std::string& message) {
    throw Failure{message};
}

[[noreturn]] void failValue(std::string_view name, std::string_view value,
                            const std::string& expected) {
    fail("--" + std::string(name) + " '" + sim::printable(value) + "': expected " + expected);
}

double decimal(std::string_view name, std::string_view value, double high,
               const std::string& expected) {
    const auto v = sim::parseDecimal(value);
    if (!v || !std::isfinite(*v) || *v <= 0 || *v > high) failValue(name, value, expected);
    return *v;
}

int whole(std::string_view name, std::string_view value, int low, int high) {
    const auto v = sim::parseWhole(value);
    if (!v || *v < low || *v > high)
        failValue(name, value,
                  "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return static_cast<int>(*v);
}

void setSource(ProbeOptions& o, ProbeOptions::Source source) {
    if (o.source != ProbeOptions::Source::Stored) fail("give one of --port, --device and --replay");
    o.source = source;
}

// Every option; all but --json and --find take a value.
constexpr std::string_view kOptions[] = {
    "port",    "device",          "replay", "settings", "seconds", "record", "expect-channels",
    "min-fps", "max-interval-ms", "json",   "find"};

void apply(ProbeOptions& o, std::string_view name, std::string_view value) {
    using Source = ProbeOptions::Source;
    if (name == "port") {
        setSource(o, Source::Port);
        o.port = whole(name, value, 1, 16);
    } else if (name == "device" || name == "replay") {
        setSource(o, name == "device" ? Source::Device : Source::Replay);
        if (value.empty()) failValue(name, value, name == "device" ? "a device" : "a file name");
        o.path = std::string(value);
    } else if (name == "settings") {
        o.line = parseLineSettings(value);
        if (!o.line) failValue(name, value, "BAUD,PARITY,DATA,STOP like 19200,N,8,1");
    } else if (name == "seconds") {
        o.seconds = decimal(name, value, 86'400, "seconds, above 0, at most 86400");
    } else if (name == "record") {
        if (value.empty()) failValue(name, value, "a file name");
        o.recordPath = std::string(value);
    } else if (name == "expect-channels") {
        o.expectChannels = whole(name, value, 1, 8);
    } else if (name == "min-fps") {
        o.minFps = decimal(name, value, 10'000, "frames a second, above 0");
    } else if (name == "max-interval-ms") {
        o.maxIntervalMs = decimal(name, value, 3'600'000, "milliseconds, above 0");
    } else {
        fail("unknown option '--" + sim::printable(name) + "'");
    }
}

}  // namespace

ProbeCommand parseProbeOptions(const std::vector<std::string_view>& args) {
    ProbeCommand result;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (result.answered(args[i])) return result;
            const auto option = sim::optionName(args[i]);
            if (!option) fail("unexpected argument '" + sim::printable(args[i]) + "'");
            std::string_view arg = *option;
            const auto equals = arg.find('=');
            const std::string_view name = arg.substr(0, equals);
            if (std::find(std::begin(kOptions), std::end(kOptions), name) == std::end(kOptions))
                fail("unknown option '--" + sim::printable(name) + "'");
            if (name == "json" || name == "find") {
                if (equals != std::string_view::npos)
                    fail("--" + std::string(name) + " takes no value");
                (name == "json" ? result.options.json : result.options.find) = true;
                continue;
            }
            if (equals != std::string_view::npos)
                apply(result.options, name, arg.substr(equals + 1));
            else if (i + 1 < args.size())
                apply(result.options, name, args[++i]);
            else
                fail("--" + std::string(name) + " needs a value");
        }
        const ProbeOptions& o = result.options;
        if (o.recordPath && o.source == ProbeOptions::Source::Replay)
            fail("--record saves what a port receives; --replay already has it");
        if (o.find && o.source == ProbeOptions::Source::Replay)
            fail("--find tries settings on a port; a capture has only the one it was made with");
        if (o.find &&
            (o.seconds || o.recordPath || o.expectChannels || o.minFps || o.maxIntervalMs))
            fail("--find takes only --port or --device, --settings and --json");
    } catch (const Failure& failure) {
        result.action = ProbeCommand::Action::Error;
        result.error = failure.message;
    }
    return result;
}

std::string probeHelpText() {
    return R"(Usage: quadrel-probe [--port N | --device PATH | --replay FILE] [OPTION]...
Listens to a serial PPM interface for a while, as Quadrel does, and tells why
a link works or fails: bytes and frames a second, the time between frames,
bytes outside frames, glitches, each channel's range and noise, and a
one-line verdict.

Where from (one of them; by default the port and line settings Quadrel
itself uses, from its settings file)
  --port N          COM N, 1 to 16, mapped to a device as Quadrel maps it
  --device PATH     a serial device.  e.g. --device /dev/ttyUSB0
  --replay FILE     a capture made with --record (or raw bytes, sent at the
                    pace of --settings), in its own timing but at once

Options
  --help, --version this text; the version
  --find            try the control lines (RTS and DTR as stored, both on,
                    both off), baud rates 9600 to 115200 and parities N, E
                    and O, nearest --settings first, half a second each,
                    until steady frames come; then print the setting found
                    or what the tries point to
  --settings BAUD,PARITY,DATA,STOP
                    line settings (default Quadrel's, else 19200,N,8,1)
  --seconds S       how long to listen (default 5; a replay: all of it)
  --json            the figures as JSON instead of text
  --record FILE     also save what arrived, with arrival times, as a capture
                    that quadrel-sim --replay and quadrel-probe --replay play

Expectations (each one given must hold, else the exit status is 1)
  --expect-channels N   the last frame carries N channels
  --min-fps F           at least F frames a second (over the last second)
  --max-interval-ms T   no gap between frames over T ms (over the last 10 s)

A capture is a text file: a first line "# quadrel capture 1", then
"# settings 19200,N,8,1", then one line per batch of bytes: milliseconds
since the start with three decimals, then the bytes in two-digit lowercase
hex separated by spaces; a last line "# end MS" says when it stopped.

Exit status: 0 when every expectation given holds, 1 when one fails or the
port went away while listening, 2 for a bad command line, a file that cannot
be replayed or a port that cannot be opened; with --json, a failure is also
one JSON object with "ok": false and "error". With --find: 0 when a setting
that gives frames was found, 1 when none was.
)";
}

}  // namespace quadrel::probe
