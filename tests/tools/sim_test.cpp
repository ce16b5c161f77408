// quadrel-sim: its stream through the program, and the program as scripts run it.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <set>

#include "harness.h"
#include "quadrel_version.h"
#include "sim_options.h"

namespace quadrel::testing {
namespace {

namespace sim = quadrel::sim;
using namespace std::chrono_literals;
using sim::FrameFormat;

std::vector<sim::Chunk> schedule(const sim::StreamSettings& s) {
    sim::StreamGenerator generator(s);
    std::vector<sim::Chunk> out;
    while (auto chunk = generator.next()) out.push_back(std::move(*chunk));
    return out;
}

// Eight seconds of frames; with `to`, the frame kind changes at 4 s.
sim::StreamSettings stream(FrameFormat format, int channels = 8, int sync = 245, int filler = 4,
                           std::optional<FrameFormat> to = {}) {
    sim::StreamSettings s;
    s.layout = {format, channels, sync, filler};
    s.duration = 8s;
    if (to) s.formatSwitch = sim::FormatSwitch{{*to, channels, sync, filler}, 4s, std::nullopt};
    return s;
}

struct Seen {
    int checked = 0, wrong = 0, lost = 0, silences = 0;
};

// Plays the schedule into the main window on the virtual clock. A frame is
// checked when its sync byte reaches the oldest place, nine bytes after it
// came; not while start-up calibrates, nor just after a change of kind.
Seen play(ReceiverHarness& h, const std::vector<sim::Chunk>& chunks) {
    Seen seen;
    std::deque<std::pair<std::size_t, const sim::Chunk*>> pending;
    std::size_t received = 0;
    for (const sim::Chunk& c : chunks) {
        const std::int64_t wait = std::max<std::int64_t>(c.at / 1ms - h.clock.now() / 1ms, 0);
        h.clock.advance(wait);
        EXPECT_TRUE(c.at == 0ns || h.view().noSignal == (wait > 500)) << c.at / 1ms;
        seen.silences += c.at > 0ns && wait > 500;
        if (c.format) pending.emplace_back(received, &c);
        for (std::uint8_t b : c.bytes) {
            h.receive({b});
            if (pending.empty() || pending.front().first + 9 != received++) continue;
            const sim::Chunk& frame = *pending.front().second;
            pending.pop_front();
            const auto at = frame.at / 1ms;
            if (at < 1500 || (at >= 4000 && at < 4500)) continue;
            const bool cleared = h.receiver.frameWindow()[0] != frame.bytes[0];  // by a calibration
            seen.lost += cleared;
            if (cleared) continue;
            ++seen.checked;
            std::vector<std::string> expected(kChannels, "-");
            std::transform(frame.channels.begin(), frame.channels.end(), expected.begin(),
                           [](int v) { return std::to_string(v); });
            if (h.values() != expected && seen.wrong++ == 0)
                ADD_FAILURE() << at << " ms: " << ::testing::PrintToString(h.values());
            EXPECT_EQ(h.view().cableFormat, frame.format == FrameFormat::ZhenHua) << at;
        }
    }
    return seen;
}

TEST(SimRoundTrip, EveryFrameKindShowsTheGeneratedValues) {
    using enum FrameFormat;
    auto gaps = stream(Standard);
    gaps.faults.gapEvery = 3s;
    gaps.faults.gapLength = 800ms;
    const std::tuple<const char*, sim::StreamSettings, bool, int> rows[] = {
        // name, stream, cable format at the end, silences
        {"variant nine-byte", stream(Variant, 7, 240), false, 0},
        {"variant 2 sync 254", stream(Variant, 2, 254), false, 0},
        {"zhen hua", stream(ZhenHua, 4), true, 0},
        {"zhen hua long filler", stream(ZhenHua, 4, 245, 9), true, 0},
        {"zhen hua packets back to back, as the cable sends", stream(ZhenHua, 4, 245, 0), true, 0},
        {"standard with silences", gaps, false, 2},
        {"standard to zhen hua", stream(Standard, 8, 245, 4, ZhenHua), true, 0},
        {"zhen hua to standard", stream(ZhenHua, 8, 245, 4, Standard), false, 0},
    };
    for (const auto& [name, settings, cable, silences] : rows) {
        SCOPED_TRACE(name);
        ReceiverHarness h;
        const Seen seen = play(h, schedule(settings));
        EXPECT_EQ(seen.wrong, 0);
        EXPECT_EQ(seen.silences, silences);
        EXPECT_LE(seen.lost, 2 * silences);  // the signal's return recalibrates twice
        EXPECT_GT(seen.checked, 150);
        EXPECT_EQ(h.cable.visible, cable);
        EXPECT_EQ(h.view().cableFormat, cable);
    }
}

TEST(SimStream, FaultsChangeAboutTheShareAskedForButNotTheFramesWhichCoverTheTravel) {
    auto s = stream(FrameFormat::Standard);
    s.duration = 20s, s.motion = sim::Motion::Sweep, s.travelLow = 10, s.travelHigh = 230;
    const auto clean = schedule(s);
    s.faults.noise = 0.05, s.faults.drop = 0.1;
    const auto faulty = schedule(s);
    ASSERT_EQ(faulty.size(), clean.size());
    double before = 0, after = 0;
    std::vector<std::set<int>> values(8);
    for (std::size_t i = 0; i < clean.size(); ++i) {
        ASSERT_EQ(faulty[i].channels, clean[i].channels);
        before += clean[i].bytes.size(), after += faulty[i].bytes.size();
        for (int k = 0; k < 8; ++k) values[k].insert(clean[i].channels[k]);
    }
    EXPECT_NEAR(after / before, 1 + 0.05 - 0.1, 0.01);
    for (const auto& v : values) EXPECT_EQ(std::pair(*v.begin(), *v.rbegin()), std::pair(10, 230));
}

// The built simulator in a shell, as a script runs it, stopped after 20 s:
// the exit status and standard output (with standard error, given 2>&1).
std::pair<int, std::string> runSim(const std::string& args) {
    FILE* p = ::popen(("timeout 20 " QUADREL_SIM " " + args).c_str(), "r");
    std::string out;
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, p)) > 0;) out.append(block, n);
    const int status = ::pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(SimProgram, OptionsExitStatusesAndBytesOnStandardOutputInAFileAndOnItsTerminal) {
    const std::string options = "--line=9600,e,7,1.5 --format variant --channels 6 --frame-rate 50";
    EXPECT_EQ(runSim(options + " --seed 3 --count 1 --output stdout 2>&1 >/dev/null").second,
              "quadrel-sim: variant frames, 6 channels, sync 245, mixed motion 40..220, seed 3, "
              "9600,E,7,1.5 (914.286 bytes/s), a frame every 20 ms\n");
    EXPECT_NE(runSim("--help").second.find("\n  --loop"), std::string::npos);
    EXPECT_EQ(runSim("--version"), std::pair(0, "quadrel-sim " + std::to_string(kVersionMajor) +
                                                    "." + std::to_string(kVersionMinor) + "." +
                                                    std::to_string(kVersionRevision) + "\n"));
    for (auto [bad, says] : {std::pair{"--channels 4x", "--channels '4x'"},
                             {"--colour", "'--colour'"},
                             {"--colour blue", "unknown option '--colour'"},
                             {"--frame-rate 50 --frame-period 20", "not both"}}) {
        const auto [status, message] = runSim(bad + std::string(" --count 1 --output stdout 2>&1"));
        EXPECT_EQ(status, 2) << bad;
        EXPECT_NE(message.find(says), std::string::npos) << message;
    }
    EXPECT_EQ(runSim("--output stdout --fast --count 100 --quiet").second.size(), 900u);
    TempDir dir;
    const std::string file = (dir / "out.bin").string();
    const auto [status, frames] = runSim(
        "--output file:" + file + " --format zhenhua --count 10 --fast --quiet && cat " + file);
    EXPECT_TRUE(status == 0 && frames.size() == 90 && frames[0] == '\xEF' && frames[9] == '\xEF');
    // Its terminal passes a replayed capture of every byte value untouched.
    std::string values;
    for (int v = 0; v <= 255; ++v) values += static_cast<char>(v);
    writeFile(file, values);
    EXPECT_EQ(runSim("--replay " + file +
                     " --fast --quiet | { read -r tty; timeout 10 head -c 256 \"$tty\"; }"),
              std::pair(0, values));
}

}  // namespace
}  // namespace quadrel::testing
