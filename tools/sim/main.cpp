// quadrel-sim: plays the part of a serial PPM interface. The stream itself
// comes from quadrel_sim_core; this file opens the output, keeps the pace
// and stops cleanly on SIGINT or SIGTERM.
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <span>
#include <string_view>
#include <vector>

#include "capture_file.h"
#include "output_sink.h"
#include "sim_options.h"
#include "stream_generator.h"

namespace {

using namespace quadrel::sim;

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

void installSignalHandlers() {
    struct sigaction stop {};
    stop.sa_handler = onStopSignal;
    sigemptyset(&stop.sa_mask);
    stop.sa_flags = 0;  // no restart: a blocked write or wait returns at once
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &stop, nullptr);
    // A reader that goes away shows up as EPIPE on the write instead.
    signal(SIGPIPE, SIG_IGN);
}

// The longest single wait, so that a stop request is seen promptly.
constexpr long kWaitSliceNs = 100'000'000;
// Further behind than this (the process was stopped, the machine slept),
// the schedule moves on instead of catching up in a burst.
constexpr long long kMaxLagNs = 1'000'000'000;
constexpr int kFastWaitMs = 100;
// How long a reader gets to take the last bytes of a stream that ended.
constexpr int kFinishWaitMs = 5000;

long long nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// Waits until `startNs + at`; false when a stop was requested meanwhile.
bool waitUntil(long long& startNs, Nanos at) {
    const long long now = nowNs();
    long long target = startNs + at.count();
    if (now - target > kMaxLagNs) {
        startNs += now - target;
        target = now;
    }
    while (!stopRequested) {
        const long long left = target - nowNs();
        if (left <= 0) return true;
        const long long slice = left < kWaitSliceNs ? left : kWaitSliceNs;
        const timespec pause{static_cast<time_t>(slice / 1'000'000'000),
                             static_cast<long>(slice % 1'000'000'000)};
        nanosleep(&pause, nullptr);
    }
    return false;
}

// Sends one chunk; false when the output is gone and the run should end.
bool send(OutputSink& sink, const std::vector<std::uint8_t>& bytes, bool fast, int& exitCode) {
    std::span<const std::uint8_t> rest(bytes);
    while (!rest.empty() && !stopRequested) {
        const Offered r = sink.offer(rest, fast ? kFastWaitMs : 0);
        if (r.closed) {
            if (!r.error.empty()) {
                std::fprintf(stderr, "quadrel-sim: %s\n", r.error.c_str());
                exitCode = 1;
            }
            return false;
        }
        rest = rest.subspan(r.taken);
        // Paced, a busy or absent reader loses what it did not take, as bytes
        // from a real interface are lost.
        if (!fast) break;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    ParsedOptions parsed = parseOptions(args);
    if (const auto status = answerBeforeRunning(parsed, "quadrel-sim", helpText())) return *status;
    SimOptions& options = parsed.options;
    options.stream.seed = options.seed ? *options.seed : std::random_device{}() & 0x7FFFFFFF;
    if (options.replayPath) {
        ReplayFile file = readReplayFile(*options.replayPath);
        if (!file.error.empty()) {
            std::fprintf(stderr, "quadrel-sim: %s\n", file.error.c_str());
            return 2;
        }
        if (isCapture(file.bytes)) {
            CaptureRead read =
                readCapture({reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()});
            if (!read.capture) {
                std::fprintf(stderr, "quadrel-sim: %s, %s\n",
                             printable(*options.replayPath).c_str(), read.error.c_str());
                return 2;
            }
            if (read.capture->line && !options.lineGiven) options.stream.line = *read.capture->line;
            options.stream.capture = std::move(read.capture);
        } else {
            options.stream.replay = std::move(file.bytes);
        }
    }

    installSignalHandlers();
    OpenedOutput output = openOutput(options.output, options.stream.line);
    if (!output.sink) {
        std::fprintf(stderr, "quadrel-sim: %s\n", output.error.c_str());
        return 1;
    }
    if (!output.ptyPath.empty()) {
        std::printf("%s\n", output.ptyPath.c_str());
        std::fflush(stdout);
    }
    if (!options.quiet) std::fprintf(stderr, "%s\n", describeStream(options).c_str());

    StreamGenerator stream(options.stream);
    int exitCode = 0;
    long long startNs = nowNs();
    while (!stopRequested) {
        const std::optional<Chunk> chunk = stream.next();
        if (!chunk) break;
        if (!options.fast && !waitUntil(startNs, chunk->at)) break;
        // The output is gone: quietly when a reader just went away.
        if (!send(*output.sink, chunk->bytes, options.fast, exitCode)) return exitCode;
    }
    if (!stopRequested) output.sink->finish(kFinishWaitMs, [] { return stopRequested != 0; });
    return exitCode;
}
