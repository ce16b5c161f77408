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
    out << "COM" << h.port.CommPort() << ' ' << h.port.Settings() << (h.port.rts ? " RTS" : "")
        << (h.port.dtr ? " DTR" : "") << " boxes ";
    for (int k = 1; k <= 4; ++k) out << h.ui().Check(k).Value();
    out << " mode " << h.ui().Mode.selected() << " type " << h.ui().Option.selected() << " beeps " << h.beeper.beeps
        << (h.port.PortOpen() ? " open '" : " closed '") << h.label1() << "'";
    if (!h.ui().Label1ToolTip.empty()) out << " tip '" << h.ui().Label1ToolTip << "'";
    return out.str();
}

struct StartCase {
    const char* name;
    const char* file;  // nullptr: no settings file
    int busyPort;
    const char* expected;  // the delayed calibration beeps once, each failing step once more
};

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
    {"SettingsEmpty", "[Port Settings]\nSettings=\n", 0,
     "COM1 9600,N,8,1 RTS boxes 0000 mode 1 type 1 beeps 3 open ' Comms Port 1: '"},
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class StartUp : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartUp, SettingsFileDecides) {
    const StartCase& c = GetParam();
    ProgramHarness h;
    if (c.file) h.writeSettings(c.file);
    if (c.busyPort) h.port.busyPorts = {c.busyPort};
    h.startAndWaitForSplash();
    EXPECT_EQ(afterStartUp(h), c.expected);
    EXPECT_TRUE(h.program.mainWindowShown() && h.ui().Timer1.Enabled() && h.ui().Label11.Visible);
}

INSTANTIATE_TEST_SUITE_P(Table, StartUp, ::testing::ValuesIn(kStarts),
                         [](const auto& info) { return std::string(info.param.name); });

struct ExitCase {
    const char* name;
    const char* file;             // before start-up; nullptr: none
    std::array<int, 4> boxes;     // chosen during the run; -1 keeps
    int mode, type;               // chosen during the run; 0 keeps
    bool closeBox;                // the window's close box instead of File > Exit
    const char* expected;
};

const ExitCase kExits[] = {
    {"FirstRunWritesOnlyTheWindowsChoices", nullptr, {-1, -1, -1, -1}, 0, 0, false,
     "[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=0\nChannel4=0\n\n[Transmitter]\nTX Mode=1\nTX Type=1\n"},
    {"ChoicesOfTheRunThroughTheCloseBox", nullptr, {1, -1, -1, 2}, 3, 4, true,
     "[Reverse Settings]\nChannel1=1\nChannel2=0\nChannel3=0\nChannel4=2\n\n[Transmitter]\nTX Mode=3\nTX Type=4\n"},
    {"UnusualStoredModeKept", "[Transmitter]\nTX Mode=7\nTX Type=5\n", {-1, -1, -1, -1}, 0, 0, false,
     "[Transmitter]\nTX Mode=7\nTX Type=5\n\n[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=0\nChannel4=0\n"},
    {"PortClosedOtherSectionsKept", "; my notes\n[Port Settings]\nPort=9\n[Devices]\nCOM3=/dev/ttyUSB7\n",
     {-1, -1, -1, -1}, 0, 0, false,
     "; my notes\n[Port Settings]\nPort=9\n[Devices]\nCOM3=/dev/ttyUSB7\n\n[Reverse Settings]\nChannel1=0\n"
     "Channel2=0\nChannel3=0\nChannel4=0\n\n[Transmitter]\nTX Mode=1\nTX Type=1\n"},
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class Exit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(Exit, SavesTheWindowsChoicesClosesThePortAndEnds) {
    const ExitCase& c = GetParam();
    ProgramHarness h;
    if (c.file) h.writeSettings(c.file);
    h.startAndWaitForSplash();
    for (int k = 1; k <= 4; ++k)
        if (c.boxes[k - 1] >= 0) h.ui().Check(k).setValue(c.boxes[k - 1]);
    if (c.mode) h.ui().Mode.setValue(c.mode, true);
    if (c.type) h.ui().Option.setValue(c.type, true);

    std::int16_t cancel = 0;
    c.closeBox ? h.program.Form_Unload(cancel) : h.program.FExit_Click();

    EXPECT_EQ(cancel != 0, c.closeBox);
    EXPECT_EQ(h.settingsText(), c.expected);
    EXPECT_FALSE(h.port.PortOpen() || h.port.rts || h.port.dtr);
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
        h.program.Form_Load();
        EXPECT_TRUE(h.program.about().Visible() && h.program.about().isModal());
        EXPECT_EQ(h.program.about().Label1.Caption, "Version 1.2.2");
        h.clock.advance(1000);  // the delayed calibration beeps while the splash stands
        EXPECT_EQ(h.beeper.beeps, 1);
        h.clock.advance(999);
        EXPECT_FALSE(h.ui().Timer1.Enabled() || h.port.PortOpen() || h.program.mainWindowShown());
        way == 0 ? h.clock.advance(1) : way == 1 ? h.program.about().cmdOK_Click() : h.program.about().discard();
        EXPECT_FALSE(h.program.about().Visible());
        EXPECT_EQ(h.ui().Timer1.Enabled(), way != 2);
        EXPECT_TRUE(h.port.PortOpen() && h.program.mainWindowShown());
        h.program.AMenu_Click();
        h.clock.advance(way == 2 ? 2000 : 10000);
        EXPECT_EQ(h.program.about().Visible(), way != 2);
        EXPECT_TRUE(way != 2 || h.ui().Timer1.Enabled());
    }
}

}  // namespace
}  // namespace quadrel::testing
