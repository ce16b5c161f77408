// Start-up and exit as the user meets them: the settings file decides the
// port, the boxes and the options; the splash stands for two seconds; exit
// saves the window's choices and nothing else.
#include <gtest/gtest.h>

#include <sstream>

#include "harness.h"

namespace quadrel::testing {
namespace {

// Everything start-up decides, on one line.
std::string afterStartUp(ProgramHarness& h) {
    std::ostringstream out;
    const TransmitterSetup& setup = h.view().setup;
    out << "COM" << h.port.portNumber() << ' ' << formatLineSettings(h.port.line())
        << (h.port.rts ? " RTS" : "") << (h.port.dtr ? " DTR" : "") << " boxes ";
    for (ReverseBox box : setup.reverse) out << static_cast<int>(box);
    out << " mode " << (setup.mode ? static_cast<int>(*setup.mode) : 0) << " type "
        << (setup.type ? static_cast<int>(*setup.type) : 0) << " beeps " << h.beeper.beeps
        << (h.port.isOpen() ? " open '" : " closed '") << h.status() << "'";
    if (!h.program.status().tooltip.empty()) out << " tip '" << h.program.status().tooltip << "'";
    return out.str();
}

struct StartCase {
    const char* name;
    const char* file;  // nullptr: no settings file
    int busyPort;
    const char* expected;  // the delayed calibration beeps once, each failing step once more
};

// clang-format off
const StartCase kStarts[] = {
    {"NoFileDefaults", nullptr, 0,
     "COM1 19200,N,8,1 RTS boxes 0000 mode 1 type 1 beeps 1 open ' Comms Port 1: 19200,N,8,1'"},
    {"EveryKey",
     "[Port Settings]\nPort=3\nSettings=9600,o,7,2\nRTS=0\nDTR=1\n[Reverse Settings]\nChannel1=1\nChannel2=2\n"
     "Channel4=1\n[Transmitter]\nTX Mode=4\nTX Type=5\n",
     0, "COM3 9600,O,7,2 DTR boxes 1201 mode 4 type 5 beeps 1 open ' Comms Port 3: 9600,O,7,2'"},
    {"PortByItsFirstCharacter", "[Port Settings]\nPort=12\n", 0,
     "COM1 19200,N,8,1 RTS boxes 0000 mode 1 type 1 beeps 1 open ' Comms Port 1: 19200,N,8,1'"},
    {"NamesWithoutRegardToCase", "[port settings]\n  PORT = 2 \n[TRANSMITTER]\ntx mode=3\n", 0,
     "COM2 19200,N,8,1 RTS boxes 0000 mode 3 type 1 beeps 1 open ' Comms Port 2: 19200,N,8,1'"},
    {"RefusedReverseValueBeepsAndTheRestLoads", "[Reverse Settings]\nChannel2=5\nChannel3=1\nChannel4=2\n", 0,
     "COM1 19200,N,8,1 RTS boxes 0012 mode 1 type 1 beeps 2 open ' Comms Port 1: 19200,N,8,1'"},
    {"ModeOutsideItsRangeSelectsNone", "[Transmitter]\nTX Mode=7\nTX Type=0\n", 0,
     "COM1 19200,N,8,1 RTS boxes 0000 mode 0 type 0 beeps 1 open ' Comms Port 1: 19200,N,8,1'"},
    {"BusyPort", nullptr, 1,
     "COM1 19200,N,8,1 RTS boxes 0000 mode 1 type 1 beeps 2 closed 'Unable to open COM 1!' tip 'port in use'"},
    // "Settings" is read by position from its end, so any separator will do;
    // only the "1.5" stop bits the port dialog writes are read by field.
    {"SettingsWithSemicolons", "[Port Settings]\nSettings=9600;E;8;1\n", 0,
     "COM1 9600,E,8,1 RTS boxes 0000 mode 1 type 1 beeps 1 open ' Comms Port 1: 9600,E,8,1'"},
    {"SettingsOneAndAHalfStopBits", "[Port Settings]\nSettings=19200,N,8,1.5\n", 0,
     "COM1 19200,N,8,1.5 RTS boxes 0000 mode 1 type 1 beeps 1 open ' Comms Port 1: 19200,N,8,1.5'"},
    // A text no line can have is reported, and the usual settings are used.
    {"SettingsWithAParityNoLineHas", "[Port Settings]\nSettings=9600,X,8,1\n", 0,
     "COM1 19200,N,8,1 RTS boxes 0000 mode 1 type 1 beeps 2 open ' Comms Port 1: 19200,N,8,1'"},
};
// clang-format on

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class StartUp : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartUp, SettingsFileDecides) {
    const StartCase& c = GetParam();
    ProgramHarness h;
    if (c.file) h.writeSettings(c.file);
    if (c.busyPort) h.port.busyPorts = {c.busyPort};
    h.startAndWaitForSplash();
    EXPECT_EQ(afterStartUp(h), c.expected);
    EXPECT_TRUE(h.program.mainWindowShown() && h.program.receiver().watchdog().running() &&
                h.view().noSignal);
}

INSTANTIATE_TEST_SUITE_P(Table, StartUp, ::testing::ValuesIn(kStarts),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExitCase {
    const char* name;
    const char* file;          // before start-up; nullptr: none
    std::array<int, 4> boxes;  // chosen during the run; -1 keeps
    int mode, type;            // chosen during the run; 0 keeps
    const char* expected;
};

// clang-format off
const ExitCase kExits[] = {
    {"FirstRunWritesOnlyTheWindowsChoices", nullptr, {-1, -1, -1, -1}, 0, 0,
     "[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=0\nChannel4=0\n\n[Transmitter]\nTX Mode=1\nTX Type=1\n"},
    {"ChoicesOfTheRun", nullptr, {1, -1, -1, 2}, 3, 4,
     "[Reverse Settings]\nChannel1=1\nChannel2=0\nChannel3=0\nChannel4=2\n\n[Transmitter]\nTX Mode=3\nTX Type=4\n"},
    {"UnusualStoredModeKept", "[Transmitter]\nTX Mode=7\nTX Type=5\n", {-1, -1, -1, -1}, 0, 0,
     "[Transmitter]\nTX Mode=7\nTX Type=5\n\n[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=0\nChannel4=0\n"},
    {"PortClosedOtherSectionsKept", "; my notes\n[Port Settings]\nPort=9\n[Devices]\nCOM3=/dev/ttyUSB7\n",
     {-1, -1, -1, -1}, 0, 0,
     "; my notes\n[Port Settings]\nPort=9\n[Devices]\nCOM3=/dev/ttyUSB7\n\n[Reverse Settings]\nChannel1=0\n"
     "Channel2=0\nChannel3=0\nChannel4=0\n\n[Transmitter]\nTX Mode=1\nTX Type=1\n"},
};
// clang-format on

void PrintTo(const ExitCase& c, std::ostream* os) {
    *os << c.name;
}

class Exit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(Exit, SavesTheWindowsChoicesClosesThePortAndEnds) {
    const ExitCase& c = GetParam();
    ProgramHarness h;
    if (c.file) h.writeSettings(c.file);
    h.startAndWaitForSplash();
    Receiver& receiver = h.program.receiver();
    for (int k = 1; k <= 4; ++k)
        if (c.boxes[k - 1] >= 0) receiver.setReverse(k, static_cast<ReverseBox>(c.boxes[k - 1]));
    if (c.mode) receiver.setMode(static_cast<StickMode>(c.mode));
    if (c.type) receiver.setType(static_cast<TransmitterType>(c.type));

    h.program.exit();

    EXPECT_EQ(h.settingsText(), c.expected);
    EXPECT_FALSE(h.port.isOpen() || h.port.rts || h.port.dtr);
    EXPECT_EQ(h.processEnds, 1);
}

INSTANTIATE_TEST_SUITE_P(Table, Exit, ::testing::ValuesIn(kExits),
                         [](const auto& info) { return std::string(info.param.name); });

// The splash goes after two seconds or on "OK", arms the watchdog and the
// port opens; its close box goes on without arming it. Help > About then
// stays until "OK", or, after the close box, is the splash once more.
TEST(Splash, GoesAfterTwoSecondsOrOnOkOrByItsCloseBox) {
    for (int way : {0, 1, 2}) {  // timer, "OK", close box
        SCOPED_TRACE(way);
        ProgramHarness h;
        h.program.start(h.clock.now());
        EXPECT_TRUE(h.program.about().visible());
        EXPECT_EQ(versionLine(), "Version 1.2.2");
        h.clock.advance(1000);  // the delayed calibration beeps while the splash stands
        EXPECT_EQ(h.beeper.beeps, 1);
        h.clock.advance(999);
        const Deadline& watchdog = h.program.receiver().watchdog();
        EXPECT_FALSE(watchdog.running() || h.port.isOpen() || h.program.mainWindowShown());
        way == 0   ? h.clock.advance(1)
        : way == 1 ? h.program.aboutOk(h.clock.now())
                   : h.program.aboutDiscarded(h.clock.now());
        EXPECT_FALSE(h.program.about().visible());
        EXPECT_EQ(watchdog.running(), way != 2);
        EXPECT_TRUE(h.port.isOpen() && h.program.mainWindowShown());
        h.program.showAbout(h.clock.now());
        h.clock.advance(way == 2 ? 2000 : 10000);
        EXPECT_EQ(h.program.about().visible(), way != 2);
        EXPECT_TRUE(way != 2 || watchdog.running());
    }
}

}  // namespace
}  // namespace quadrel::testing
