// quadrel-probe and the faults quadrel-sim makes for it: the figures and the
// verdict each fault brings, in virtual time; captures written, read and
// played back with their timing; the command line; and both programs end to
// end through a pseudo-terminal.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <regex>
#include <sstream>

#include "line_model.h"
#include "port_choice.h"
#include "probe_options.h"
#include "probe_report.h"
#include "probe_session.h"
#include "sim_options.h"
#include "stream_generator.h"
#include "temp_dir.h"

extern char** environ;

namespace quadrel::testing {
namespace {

using probe::ProbeOptions;

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// What quadrel-sim with `args` sends in its first `seconds`, each chunk
// arriving whole at its time, as a capture.
sim::Capture simulated(const std::string& args, double seconds) {
    const auto w = words(args);
    const auto parsed = sim::parseOptions({w.begin(), w.end()});
    EXPECT_EQ(parsed.action, sim::ParsedOptions::Action::Run) << parsed.error;
    sim::StreamSettings s = parsed.options.stream;
    s.seed = parsed.options.seed.value_or(5);
    s.duration = std::chrono::duration_cast<sim::Nanos>(std::chrono::duration<double>(seconds));
    sim::StreamGenerator stream(s);
    sim::Capture capture;
    capture.line = s.line;
    capture.endUs = std::llround(seconds * 1e6);
    while (auto chunk = stream.next())
        if (!chunk->bytes.empty())
            capture.add(std::chrono::duration_cast<std::chrono::microseconds>(chunk->at).count(),
                        chunk->bytes);
    return capture;
}

TEST(ProbeVerdicts, EachFaultIsNamedWithItsEvidence) {
    constexpr const char* kNoFrames =
        "but no frames: wrong baud rate, an inverted signal, or not a PPM interface";
    constexpr const char* kSyncLike =
        "but no frames, only bytes that look like syncs: wrong baud rate, an inverted signal, or "
        "not a PPM interface";
    struct Case {
        const char* sim;
        Verdict verdict;
        std::string text;
    };
    const Case cases[] = {
        {"", Verdict::Good, "Link good: 44.4 frames/s, 8 channels, 0 frames lost in 10 s"},
        {"--format zhenhua --motion circle", Verdict::Good,
         "Link good: 44.4 frames/s, 4 channels, 0 frames lost in 10 s"},
        {"--silence 8:4", Verdict::NoBytes,
         "No bytes for 6.0 s: check the port, the cable and the transmitter's trainer output"},
        {"--silence 2:5", Verdict::FramesLost,
         "Frames lost: 88 of 442 in 10 s, none for 2.0 s: a loose plug or an interface losing "
         "power"},
        {"--inverted", Verdict::NoFrames, std::string("Bytes arrive (444/s) ") + kNoFrames},
        {"--receiver-baud 9600", Verdict::NoFrames,
         std::string("Bytes arrive (178/s) ") + kNoFrames},
        {"--receiver-baud 38400", Verdict::NoFrames,
         std::string("Bytes arrive (756/s) ") + kSyncLike},
        // Each parity bit of 0 read for a stop bit splits a byte in two.
        {"--parity E --receiver-parity N", Verdict::NoFrames,
         std::string("Bytes arrive (489/s) ") + kSyncLike},
        {"--jitter 10", Verdict::Irregular,
         "Frames irregular: 18 % late by more than 6 ms: a loose plug or a noisy signal"},
        {"--burst 20", Verdict::LostSync,
         "Lost sync: 180 bytes outside frames in 10 s: a noisy signal or a loose plug"},
        {"--noise 0.02", Verdict::LostSync,
         "Lost sync: 216 bytes outside frames in 10 s: a noisy signal or a loose plug"},
        // A glitch a second from 1 s on; the calibration a second in drops the first.
        {"--glitch 3 --motion centre", Verdict::Glitches,
         "Channel 3 twitches: 8 one-frame jumps in 10 s: a noisy signal or a worn potentiometer"},
        {"--frame-rate 30", Verdict::OffRate,
         "Frames slow: 30.0/s where a transmitter sends 37 to 56: the interface passes on only "
         "some of the frames"},
    };
    for (const Case& c : cases) {
        const LinkReport r = probe::replay(simulated(c.sim, 10));
        EXPECT_EQ(r.verdict, c.verdict) << c.sim;
        EXPECT_EQ(r.verdictText, c.text) << c.sim;
    }
    const LinkReport early = probe::replay(sim::Capture{}, 500'000);
    EXPECT_EQ(early.verdict, Verdict::Waiting);
    EXPECT_EQ(early.verdictText, "Waiting for data");
}

TEST(ProbeOptions, ReadsTheCommandLineAndNamesEachMistake) {
    const auto parse = [](const std::string& args) {
        const auto w = words(args);
        return probe::parseProbeOptions({w.begin(), w.end()});
    };
    const auto all = parse(
        "--device /dev/ttyUSB0 --settings=9600,E,8,1 --seconds 2.5 --json --record c.txt "
        "--expect-channels 6 --min-fps 40 --max-interval-ms 30");
    ASSERT_EQ(all.action, probe::ProbeCommand::Action::Run) << all.error;
    const ProbeOptions& o = all.options;
    EXPECT_EQ(o.source, ProbeOptions::Source::Device);
    EXPECT_EQ(o.path, "/dev/ttyUSB0");
    ASSERT_TRUE(o.line);
    EXPECT_EQ(formatLineSettings(*o.line), "9600,E,8,1");
    EXPECT_EQ(o.seconds, 2.5);
    EXPECT_TRUE(o.json);
    EXPECT_EQ(o.recordPath, "c.txt");
    EXPECT_EQ(o.expectChannels, 6);
    EXPECT_EQ(o.minFps, 40);
    EXPECT_EQ(o.maxIntervalMs, 30);
    EXPECT_EQ(parse("").options.source, ProbeOptions::Source::Stored);
    EXPECT_EQ(parse("--port 3").options.port, 3);
    EXPECT_EQ(parse("-h --bogus").action, probe::ProbeCommand::Action::Help);
    EXPECT_EQ(parse("--version --port 99").action, probe::ProbeCommand::Action::Version);

    const std::pair<const char*, const char*> mistakes[] = {
        {"--port 17", "--port '17': expected a whole number from 1 to 16"},
        {"--port 1 --device /dev/x", "give one of --port, --device and --replay"},
        {"--settings 19200,N,9,1", "--settings '19200,N,9,1': expected BAUD,PARITY,DATA,STOP"},
        {"--expect-channels 9", "--expect-channels '9': expected a whole number from 1 to 8"},
        {"--min-fps x", "--min-fps 'x': expected frames a second"},
        {"--replay c.txt --record d.txt", "--record saves what a port receives"},
        {"--find=1", "--find takes no value"},
        {"--find --replay c.txt", "--find tries settings on a port"},
        {"--find --seconds 3", "--find takes only --port or --device, --settings and --json"},
        {"--seconds", "--seconds needs a value"},
        {"--bogus", "unknown option '--bogus'"},
        {"/dev/ttyUSB0", "unexpected argument '/dev/ttyUSB0'"},
    };
    for (const auto& [args, error] : mistakes) {
        const auto r = parse(args);
        EXPECT_EQ(r.action, probe::ProbeCommand::Action::Error) << args;
        EXPECT_EQ(r.error.substr(0, std::string(error).size()), error) << args;
    }
}

TEST(ProbeOptions, OpensThePortTheProgramWouldOpenUnlessTold) {
    TempDir dir;
    const auto choose = [&](const std::string& args) {
        const auto w = words(args);
        return probe::choosePort(probe::parseProbeOptions({w.begin(), w.end()}).options,
                                 dir / "Quadrel.ini");
    };
    probe::PortChoice c = choose("");  // no settings file: the program's defaults
    EXPECT_EQ(c.port.port, 1);
    EXPECT_EQ(formatLineSettings(c.port.line), "19200,N,8,1");
    EXPECT_TRUE(c.port.rts);
    EXPECT_FALSE(c.port.dtr);
    EXPECT_TRUE(c.devices.empty());

    writeFile(dir / "Quadrel.ini",
              "[Port Settings]\nPort=3\nSettings=9600;E;7;2\nRTS=0\nDTR=1\n"
              "[Devices]\nCOM3=/dev/ttyACM0\n");
    c = choose("");
    EXPECT_EQ(c.port.port, 3);
    EXPECT_EQ(formatLineSettings(c.port.line), "9600,E,7,2");
    EXPECT_FALSE(c.port.rts);
    EXPECT_TRUE(c.port.dtr);
    EXPECT_EQ(c.devices, (std::map<int, std::string>{{3, "/dev/ttyACM0"}}));
    c = choose("--port 2 --settings 19200,O,8,1");
    EXPECT_EQ(c.port.port, 2);
    EXPECT_EQ(formatLineSettings(c.port.line), "19200,O,8,1");
    EXPECT_TRUE(c.port.dtr);  // the lines stay as stored
}

// The JSON keys stay as they are: scripts read them.
TEST(ProbeReport, JsonKeys) {
    const LinkReport r = probe::replay(simulated("--channels 6", 3));
    const std::string json = probe::reportJson({"/dev/pts/9", "19200,N,8,1"}, r, {});
    // clang-format off
    const char* const keys[] = {
        "source", "settings", "verdict", "verdict_text", "seconds", "silence_seconds", "bytes",
        "bytes_per_second", "frames", "frames_per_second", "frames_per_second_by_kind", "channels",
        "channel_count_changes", "lost_bytes", "short_frames", "stray_frames", "sync_like_values",
        "line_errors", "glitches", "interval_ms", "channel", "expectations", "ok"};
    // clang-format on
    for (const char* key : keys)
        EXPECT_NE(json.find(std::string("\n  \"") + key + "\": "), std::string::npos) << key;
    EXPECT_NE(json.find("\"verdict\": \"good\""), std::string::npos);
}

// ---- The programs themselves ----

struct Output {
    int status = -1;
    std::string text;  // standard output and error
};

Output run(const std::string& command) {
    Output out;
    std::FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, p)) > 0;) out.text.append(block, n);
    const int status = ::pclose(p);
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// quadrel-sim on a pseudo-terminal of its own, stopped at the end.
struct RunningSim {
    pid_t pid = -1;
    std::string pty;
    explicit RunningSim(const std::string& args) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        std::vector<std::string> argv = words(std::string(QUADREL_SIM) + " --quiet " + args);
        std::vector<char*> cargv;
        for (auto& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        ::posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        std::FILE* out = ::fdopen(fds[0], "r");
        char line[256] = {};
        if (std::fgets(line, sizeof line, out)) pty = std::string(line, std::strcspn(line, "\n"));
        std::fclose(out);
    }
    ~RunningSim() {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
};

// What only a port can tell: where the bytes came from and what its driver does.
std::string withoutPort(const std::string& json) {
    return std::regex_replace(json, std::regex("\"(source|low_latency)\": [^,]*"), "");
}

TEST(ProbeProgram, ListensThroughAPseudoTerminalRecordsAndReplays) {
#ifndef QUADREL_PROBE
    GTEST_SKIP() << "quadrel-probe is built with the Qt program only";
#else
    const std::string probe = QUADREL_PROBE;
    TempDir dir;
    const std::string capture = (dir / "capture.txt").string();
    Output live;
    {
        RunningSim sim("--seed 3");
        ASSERT_FALSE(sim.pty.empty());
        live = run(probe + " --device " + sim.pty +
                   " --seconds 1.5 --json --expect-channels 8 "
                   "--record " +
                   capture);
    }
    EXPECT_EQ(live.status, 0) << live.text;
    EXPECT_NE(live.text.find("\"channels\": 8,"), std::string::npos) << live.text;

    // The capture gives the same figures, whenever and however fast it is read.
    const Output replayed = run(probe + " --replay " + capture + " --json --expect-channels 8");
    EXPECT_EQ(replayed.status, 0) << replayed.text;
    EXPECT_EQ(withoutPort(replayed.text), withoutPort(live.text));

    const Output wrong = run(probe + " --replay " + capture + " --expect-channels 4");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(wrong.text.find("FAILED     channels: want 4, got 8"), std::string::npos)
        << wrong.text;

    const Output missing = run(probe + " --device " + (dir / "ttyUSB9").string());
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.text.find("ttyUSB9): no such device; is the adapter plugged in?"),
              std::string::npos)
        << missing.text;
    EXPECT_EQ(run(probe + " --seconds 0").status, 2);

    // Files from someone else: refused with a reason both tools share, and
    // what they quote made printable.
    writeFile(dir / "empty", "");
    writeFile(dir / "evil.txt", "# quadrel capture 1\n1 \x1b]0;owned\x07\n");
    const std::pair<std::string, std::string> files[] = {
        {dir.path().string(), " is not a regular file"},
        {"/dev/zero", "/dev/zero is not a regular file"},
        {(dir / "empty").string(), " is empty: nothing to replay"},
        {(dir / "evil.txt").string(), "line 2: '\\x1b]0;owned\\x07' is not a byte"},
    };
    for (const auto& [file, says] : files)
        for (const std::string& tool : {probe + " --json", std::string(QUADREL_SIM)}) {
            const Output out = run(tool + " --replay " + file);
            EXPECT_EQ(out.status, 2) << tool << ' ' << file << ": " << out.text;
            EXPECT_NE(out.text.find(says), std::string::npos) << out.text;
            EXPECT_EQ(out.text.find('\x1b'), std::string::npos) << out.text;
        }

    // quadrel-sim sends the capture's bytes again.
    const Output resent =
        run(std::string(QUADREL_SIM) + " --replay " + capture +
            " --output stdout --fast --quiet | od -An -v -tx1 | tr -s ' \\n' ' '");
    std::string bytes;
    std::istringstream lines(readFile(capture));
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with('#')) bytes += line.substr(line.find(' '));
    EXPECT_EQ(resent.text, bytes + " ");
#endif
}

// Live through a pseudo-terminal: a good link whose adapter hands bytes over
// every 16 ms, as the line model delivers it; then the interface unplugged.
TEST(ProbeProgram, JudgesALinkLiveAndStopsWhenItsPortGoesAway) {
#ifndef QUADREL_PROBE
    GTEST_SKIP() << "quadrel-probe is built with the Qt program only";
#else
    const std::string probe = QUADREL_PROBE;
    TempDir dir;
    line::Wire wire;
    line::sendFrames(wire, 3.5, 22'500, [](int j) {
        return line::standardFrame({90 + j % 7, 100, 110, 120, 130, 140, 150, 160});
    });
    std::string capture = sim::captureHeader(LineSettings{});
    for (const line::Batch& b : line::latencyTimer(wire, 16))
        capture += sim::captureBatchLine(b.atUs, b.bytes) + "\n";
    writeFile(dir / "grid.txt", capture);
    {
        RunningSim sim("--replay " + (dir / "grid.txt").string());
        ASSERT_FALSE(sim.pty.empty());
        const Output live = run(probe + " --device " + sim.pty + " --seconds 3");
        EXPECT_EQ(live.status, 0) << live.text;
        EXPECT_EQ(live.text.substr(0, 11), "Link good: ") << live.text;
        // The simulator's writes wander by a millisecond or two on a busy machine.
        EXPECT_TRUE(std::regex_search(live.text, std::regex("delivered in 1[5-8] ms batches")))
            << live.text;
    }

    // The simulator ends after a second and its terminal with it.
    RunningSim sim("--duration 1");
    ASSERT_FALSE(sim.pty.empty());
    const Output gone = run(probe + " --device " + sim.pty + " --seconds 10 --json");
    EXPECT_EQ(gone.status, 1) << gone.text;
    EXPECT_NE(gone.text.find("\"verdict\": \"port_away\""), std::string::npos) << gone.text;
    EXPECT_NE(gone.text.find("\"ok\": false"), std::string::npos) << gone.text;
    EXPECT_NE(gone.text.find(sim.pty + " went away (unplugged, or its power failed); the probe "
                                       "stopped"),
              std::string::npos)
        << gone.text;
#endif
}

// --find through a pseudo-terminal, which takes any baud rate and refuses
// any parity: data right at the stored setting are found at the first try;
// an inverted signal, read wrong at every setting, is named as such.
TEST(ProbeProgram, FindsTheSettingsOrNamesTheCause) {
#ifndef QUADREL_PROBE
    GTEST_SKIP() << "quadrel-probe is built with the Qt program only";
#else
    const std::string probe = std::string(QUADREL_PROBE) + " --find --settings 57600,N,8,1";
    {
        RunningSim sim("");
        ASSERT_FALSE(sim.pty.empty());
        const Output found = run(probe + " --device " + sim.pty);
        EXPECT_EQ(found.status, 0) << found.text;
        EXPECT_NE(found.text.find("Found: COM 1, 57600,N,8,1, RTS on\n"), std::string::npos)
            << found.text;
        EXPECT_NE(found.text.find("--settings 57600,N,8,1 (COM 1, RTS on, DTR off)\n"),
                  std::string::npos)
            << found.text;
    }
    RunningSim sim("--inverted");
    ASSERT_FALSE(sim.pty.empty());
    const Output inverted = run(probe + " --json --device " + sim.pty);
    EXPECT_EQ(inverted.status, 1) << inverted.text;
    EXPECT_NE(inverted.text.find("\"kind\": \"inverted\""), std::string::npos) << inverted.text;
    EXPECT_NE(inverted.text.find("\"refused\": "), std::string::npos) << inverted.text;
#endif
}

// quadrel-joystick where no joystick can be made, as on these machines: the
// reason and its fix, and no port left open.
TEST(ProbeProgram, TheHeadlessJoystickSaysWhyItCannotStart) {
#ifndef QUADREL_JOYSTICK
    GTEST_SKIP() << "quadrel-joystick is built with the Qt program only";
#else
    if (::access("/dev/uinput", W_OK) == 0) GTEST_SKIP() << "/dev/uinput is writable here";
    RunningSim sim("");
    ASSERT_FALSE(sim.pty.empty());
    const Output out = run(std::string(QUADREL_JOYSTICK) + " --device " + sim.pty);
    EXPECT_EQ(out.status, 2) << out.text;
    EXPECT_NE(out.text.find("quadrel-joystick: no joystick: "), std::string::npos) << out.text;
    EXPECT_NE(out.text.find("uinput"), std::string::npos) << out.text;
#endif
}

}  // namespace
}  // namespace quadrel::testing
