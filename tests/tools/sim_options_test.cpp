// quadrel-sim's command line: what each option sets, and a clear message for
// each kind of mistake.
#include <gtest/gtest.h>

#include "sim_options.h"

namespace quadrel::testing {
namespace {

namespace sim = quadrel::sim;
using namespace std::chrono_literals;
using Action = sim::ParsedOptions::Action;

sim::ParsedOptions parse(std::vector<std::string_view> args) {
    return sim::parseOptions(args);
}

sim::SimOptions parsed(std::vector<std::string_view> args) {
    const auto r = parse(std::move(args));
    EXPECT_EQ(r.action, Action::Run) << r.error;
    return r.options;
}

TEST(SimOptions, DefaultsAreAStandardInterfaceOnAPty) {
    const auto o = parsed({});
    EXPECT_EQ(o.output.kind, sim::OutputKind::Pty);
    EXPECT_EQ(o.stream.layout, sim::FrameLayout{});
    EXPECT_EQ(o.stream.layout.channels, 8);
    EXPECT_EQ(o.stream.line, (sim::LineSettings{19200, sim::Parity::None, 8, 2}));
    EXPECT_EQ(o.stream.framePeriodMs, 22.5);
    EXPECT_EQ(o.stream.motion, sim::Motion::Mixed);
    EXPECT_FALSE(o.fast);
    EXPECT_FALSE(o.seed);
    EXPECT_FALSE(o.stream.frameCount);
    EXPECT_FALSE(o.stream.duration);
    EXPECT_FALSE(o.stream.formatSwitch);
}

TEST(SimOptions, EveryOptionSetsWhatItSays) {
    const auto o = parsed({"--output",
                           "device:/dev/ttyUSB0",
                           "--line=9600,e,7,1.5",
                           "--format",
                           "variant",
                           "--channels",
                           "6",
                           "--sync=250",
                           "--travel",
                           "0,238",
                           "--motion",
                           "circle",
                           "--seed",
                           "42",
                           "--frame-rate",
                           "50",
                           "--noise",
                           "0.01",
                           "--drop=0.02",
                           "--gap-every",
                           "4",
                           "--gap-length",
                           "750",
                           "--switch-to",
                           "zhenhua",
                           "--switch-after",
                           "200f",
                           "--filler",
                           "6",
                           "--count",
                           "500",
                           "--duration",
                           "2.5",
                           "--quiet",
                           "--fast"});
    EXPECT_EQ(o.output.kind, sim::OutputKind::Device);
    EXPECT_EQ(o.output.path, "/dev/ttyUSB0");
    EXPECT_EQ(o.stream.line, (sim::LineSettings{9600, sim::Parity::Even, 7, 3}));
    EXPECT_EQ(o.stream.layout, (sim::FrameLayout{sim::FrameFormat::Variant, 6, 250, 6}));
    EXPECT_EQ(o.stream.travelLow, 0);
    EXPECT_EQ(o.stream.travelHigh, 238);
    EXPECT_EQ(o.stream.motion, sim::Motion::Circle);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_DOUBLE_EQ(o.stream.framePeriodMs, 20);
    EXPECT_DOUBLE_EQ(o.stream.faults.noise, 0.01);
    EXPECT_DOUBLE_EQ(o.stream.faults.drop, 0.02);
    EXPECT_EQ(o.stream.faults.gapEvery, 4s);
    EXPECT_EQ(o.stream.faults.gapLength, 750ms);
    ASSERT_TRUE(o.stream.formatSwitch);
    EXPECT_EQ(o.stream.formatSwitch->to.format, sim::FrameFormat::ZhenHua);
    EXPECT_EQ(o.stream.formatSwitch->afterFrames, 200);
    EXPECT_EQ(o.stream.frameCount, 500);
    EXPECT_EQ(o.stream.duration, 2500ms);
    EXPECT_TRUE(o.quiet);
    EXPECT_TRUE(o.fast);
}

TEST(SimOptions, OutputsPaceSwitchesAndReplay) {
    EXPECT_EQ(parsed({"--output", "stdout"}).output.kind, sim::OutputKind::Stdout);
    const auto file = parsed({"--output=file:/tmp/x.bin"}).output;
    EXPECT_EQ(file.kind, sim::OutputKind::File);
    EXPECT_EQ(file.path, "/tmp/x.bin");
    EXPECT_EQ(parsed({"--baud", "115200"}).stream.line.baud, 115200);
    EXPECT_EQ(parsed({"--frame-period", "0"}).stream.framePeriodMs, 0);
    EXPECT_EQ(parsed({"--switch-to", "variant"}).stream.formatSwitch->afterTime, 5s);
    EXPECT_EQ(
        parsed({"--switch-to", "variant", "--switch-after", "2.5s"}).stream.formatSwitch->afterTime,
        2500ms);
    EXPECT_EQ(parsed({"--gap-every", "2"}).stream.faults.gapLength, 1000ms);
    EXPECT_EQ(parsed({"--format", "zhenhua"}).stream.layout.format, sim::FrameFormat::ZhenHua);
    const auto replay =
        parsed({"--replay", "capture.bin", "--loop", "--baud", "9600", "--noise", "0.1"});
    EXPECT_EQ(replay.replayPath, "capture.bin");
    EXPECT_TRUE(replay.stream.loop);
}

TEST(SimOptions, HelpExplainsEveryOption) {
    EXPECT_EQ(parse({"--channels", "3", "--help"}).action, Action::Help);
    EXPECT_EQ(parse({"-h"}).action, Action::Help);
    const std::string help = sim::helpText();
    for (const char* option :
         {"--output",       "--line",   "--baud",   "--format",    "--channels",     "--sync",
          "--filler",       "--travel", "--motion", "--seed",      "--frame-period", "--frame-rate",
          "--fast",         "--noise",  "--drop",   "--gap-every", "--gap-length",   "--switch-to",
          "--switch-after", "--replay", "--loop",   "--count",     "--duration",     "--quiet"})
        EXPECT_NE(help.find(std::string("\n  ") + option), std::string::npos) << option;
}

struct Mistake {
    std::vector<std::string_view> args;
    const char* mentions;
};

TEST(SimOptions, MistakesAreRefusedWithAMessageNamingThem) {
    const Mistake mistakes[] = {
        {{"--colour"}, "unknown option '--colour'"},
        {{"extra"}, "unexpected argument 'extra'"},
        {{"--channels"}, "--channels needs a value"},
        {{"--fast=yes"}, "--fast takes no value"},
        {{"--channels", "9"}, "--channels '9'"},
        {{"--channels", "0"}, "1 to 8"},
        {{"--channels", "4x"}, "--channels '4x'"},
        {{"--format", "ppm"}, "standard, variant or zhenhua"},
        {{"--format", "variant", "--sync", "239"}, "240 to 254"},
        {{"--sync", "245"}, "variant frames only"},
        {{"--filler", "2"}, "Zhen Hua frames only"},
        {{"--format", "zhenhua", "--channels", "4"}, "four channels"},
        {{"--format", "variant", "--travel", "40,250"}, "239"},
        {{"--format", "zhenhua", "--travel", "0,239"}, "238"},
        {{"--travel", "220,40"}, "LOW,HIGH"},
        {{"--output", "serial"}, "pty, stdout, file:PATH or device:PATH"},
        {{"--output", "file:"}, "--output 'file:'"},
        {{"--line", "19200,X,8,1"}, "19200,N,8,1"},
        {{"--line", "19200,N,9,1"}, "--line"},
        {{"--line", "19200,N,8,3"}, "--line"},
        {{"--baud", "0"}, "--baud '0'"},
        {{"--frame-rate", "50", "--frame-period", "20"}, "not both"},
        {{"--frame-rate", "0"}, "--frame-rate '0'"},
        {{"--noise", "1.5"}, "--noise '1.5'"},
        {{"--drop", "-0.1"}, "--drop"},
        {{"--gap-length", "800"}, "needs --gap-every"},
        {{"--gap-every", "0"}, "--gap-every '0'"},
        {{"--switch-after", "5"}, "needs --switch-to"},
        {{"--switch-to", "standard"}, "another format"},
        {{"--switch-to", "variant", "--switch-after", "soon"}, "FRAMES"},
        {{"--motion", "wobble"}, "sweep, circle, centre or mixed"},
        {{"--seed", "-1"}, "--seed"},
        {{"--count", "0"}, "--count '0'"},
        {{"--duration", "0"}, "--duration '0'"},
        {{"--loop"}, "needs --replay"},
        {{"--replay", "c.bin", "--format", "variant"}, "--format does not apply to --replay"},
        {{"--replay", "c.bin", "--count", "10"}, "--count does not apply to --replay"},
    };
    for (const Mistake& m : mistakes) {
        const auto r = parse(m.args);
        const std::string args = ::testing::PrintToString(m.args);
        EXPECT_EQ(r.action, Action::Error) << args;
        EXPECT_NE(r.error.find(m.mentions), std::string::npos) << args << ": " << r.error;
    }
}

TEST(SimOptions, LineSettingsReadAndWriteAsTheProgramShowsThem) {
    for (const char* text :
         {"19200,N,8,1", "9600,E,7,2", "115200,O,8,1.5", "1200,M,5,1", "300,S,6,2"}) {
        const auto line = sim::parseLineSettings(text);
        ASSERT_TRUE(line) << text;
        EXPECT_EQ(sim::lineSettingsText(*line), text);
    }
}

}  // namespace
}  // namespace quadrel::testing
