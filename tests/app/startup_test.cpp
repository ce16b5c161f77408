// Start-up and exit as the user meets them: what the settings file holds
// decides the port, the boxes and the options; the splash stands for two
// seconds; exit saves the window's choices.
#include <gtest/gtest.h>

#include "program_harness.h"

namespace quadrel::testing {
namespace {


TEST(StartUp, WithoutSettingsFileUsesTheDefaults) {
    ProgramHarness h;
    h.startAndWaitForSplash();

    EXPECT_EQ(h.port.CommPort(), 1);
    EXPECT_EQ(h.port.Settings(), "19200,N,8,1");
    EXPECT_TRUE(h.port.rts);
    EXPECT_FALSE(h.port.dtr);
    EXPECT_EQ(h.port.rThreshold, 1);
    EXPECT_EQ(h.port.inputLen, 1);
    EXPECT_TRUE(h.port.PortOpen());
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(h.ui().Check(k).Value(), 0);
    EXPECT_EQ(h.ui().Mode.selected(), 1);
    EXPECT_EQ(h.ui().Option.selected(), 1);
    EXPECT_EQ(h.label1(), " Comms Port 1: 19200,N,8,1");
    EXPECT_TRUE(h.program.mainWindowShown());
    EXPECT_EQ(h.beeper.beeps, 1);  // only the delayed recalibration's
}

TEST(StartUp, PortIsReadByItsFirstCharacter) {
    ProgramHarness h;
    h.writeSettings("[Port Settings]\nPort=12\n");
    h.startAndWaitForSplash();
    EXPECT_EQ(h.port.CommPort(), 1);
    EXPECT_EQ(h.label1(), " Comms Port 1: 19200,N,8,1");
}

TEST(StartUp, HandEditedNamesMatchWithoutRegardToCase) {
    ProgramHarness h;
    h.writeSettings("[port settings]\n  PORT = 2 \n[TRANSMITTER]\ntx mode=3\n");
    h.startAndWaitForSplash();
    EXPECT_EQ(h.port.CommPort(), 2);
    EXPECT_EQ(h.ui().Mode.selected(), 3);
}

// "Settings" is read by position from its end, so any separator will do;
// only the "1.5" stop bits the port dialog writes are read by field.
TEST(StartUp, StoredPortSettingsAreReadByPosition) {
    struct Row {
        const char* stored;
        const char* settings;  // what the port ends with; empty: start-up reports a failure
    };
    for (const Row& row : {Row{"19200,N,8,1", "19200,N,8,1"}, Row{"9600,e,7,2", "9600,E,7,2"},
                           Row{"9600,o,7,2", "9600,O,7,2"}, Row{"19200 N 8 1", "19200,N,8,1"},
                           Row{"9600;E;8;1", "9600,E,8,1"}, Row{"19200,N,8,1.5", "19200,N,8,1.5"},
                           Row{"", ""}, Row{"12", ""}}) {
        SCOPED_TRACE(row.stored);
        ProgramHarness h;
        h.writeSettings(std::string("[Port Settings]\nSettings=") + row.stored + "\n");
        h.startAndWaitForSplash();
        const bool good = *row.settings != '\0';
        // The delayed recalibration beeps once; each failing step once more.
        EXPECT_EQ(h.beeper.beeps, good ? 1 : 3);
        if (good) {
            EXPECT_EQ(h.port.Settings(), row.settings);
            EXPECT_EQ(h.label1(), std::string(" Comms Port 1: ") + row.settings);
        }
        EXPECT_TRUE(h.port.PortOpen());
        EXPECT_TRUE(h.program.mainWindowShown());
    }
}

TEST(StartUp, BusyPortIsReportedWithOneBeepAndTheReason) {
    ProgramHarness h;
    h.port.busyPorts = {1};
    h.startAndWaitForSplash();

    EXPECT_EQ(h.label1(), "Unable to open COM 1!");
    EXPECT_EQ(h.ui().Label1ToolTip, "port in use");
    EXPECT_EQ(h.logged, std::vector<std::string>{"port in use"});
    EXPECT_EQ(h.beeper.beeps, 1 + 1);
    EXPECT_FALSE(h.port.PortOpen());
    EXPECT_TRUE(h.ui().Label11.Visible);

    // The watchdog, armed when the splash went, fires once and clears the rows.
    h.clock.advance(500);
    EXPECT_FALSE(h.ui().Timer1.Enabled());
    EXPECT_TRUE(h.ui().Label11.Visible);
}

TEST(StartUp, RefusedReverseValueBeepsAndTheOtherBoxesStillLoad) {
    ProgramHarness h;
    h.writeSettings("[Reverse Settings]\nChannel2=5\nChannel3=1\nChannel4=2\n");
    h.startAndWaitForSplash();
    EXPECT_EQ(h.ui().Check(2).Value(), 0);
    EXPECT_EQ(h.ui().Check(3).Value(), 1);
    EXPECT_EQ(h.ui().Check(4).Value(), 2);
    EXPECT_EQ(h.beeper.beeps, 1 + 1);
    // The port line replaces the failure message.
    EXPECT_EQ(h.label1(), " Comms Port 1: 19200,N,8,1");
}

TEST(StartUp, ModeOutsideItsRangeSelectsNothingAndIsKeptAtExit) {
    for (const char* stored : {"7", "0"}) {
        SCOPED_TRACE(stored);
        ProgramHarness h;
        h.writeSettings(std::string("[Transmitter]\nTX Mode=") + stored + "\nTX Type=5\n");
        h.startAndWaitForSplash();
        EXPECT_EQ(h.ui().Mode.selected(), 0);
        EXPECT_EQ(h.ui().Option.selected(), 5);

        h.program.FExit_Click();
        SettingsFile reread(h.settings.path());
        EXPECT_EQ(reread.read("Transmitter", "TX Mode", "?"), stored);
        EXPECT_EQ(reread.read("Transmitter", "TX Type", "?"), "5");
    }
}

TEST(StartUp, NoModeLeavesBothMarkersInTheirTopLeftCorners) {
    ProgramHarness h;
    h.writeSettings("[Transmitter]\nTX Mode=9\n");
    h.startAndWaitForSplash();
    h.receive({0, 255, 10, 20, 30, 40, 50, 60, 70, 80, 255});
    EXPECT_EQ(h.ui().Ball2.Left, 240.0f);
    EXPECT_EQ(h.ui().Ball2.Top, 240.0f);
    EXPECT_EQ(h.ui().Ball1.Left, 1440.0f);
    EXPECT_EQ(h.ui().Ball1.Top, 240.0f);
}


TEST(Splash, StandsTwoSecondsThenArmsTheWatchdogAndOpensThePort) {
    ProgramHarness h;
    h.program.Form_Load();
    EXPECT_TRUE(h.program.about().Visible());
    EXPECT_TRUE(h.program.about().isModal());
    EXPECT_EQ(h.program.about().Label1.Caption, "Version 1.2.2");
    EXPECT_FALSE(h.program.mainWindowShown());
    EXPECT_FALSE(h.ui().Timer1.Enabled());
    EXPECT_FALSE(h.port.PortOpen());

    // A second in, the delayed recalibration beeps while the splash stands.
    h.clock.advance(1000);
    EXPECT_EQ(h.beeper.beeps, 1);
    EXPECT_TRUE(h.program.about().Visible());

    h.clock.advance(999);
    EXPECT_TRUE(h.program.about().Visible());
    h.clock.advance(1);
    EXPECT_FALSE(h.program.about().Visible());
    EXPECT_FALSE(h.program.SplashActive());
    EXPECT_TRUE(h.ui().Timer1.Enabled());
    EXPECT_TRUE(h.port.PortOpen());
    EXPECT_TRUE(h.program.mainWindowShown());
}

TEST(Splash, OkClosesItAtOnceWithTheSameEffect) {
    ProgramHarness h;
    h.program.Form_Load();
    h.clock.advance(300);
    h.program.about().cmdOK_Click();
    EXPECT_FALSE(h.program.about().Visible());
    EXPECT_TRUE(h.ui().Timer1.Enabled());
    EXPECT_TRUE(h.port.PortOpen());
    EXPECT_FALSE(h.program.about().Timer1.Enabled());
}

TEST(Splash, CloseBoxGoesOnWithoutArmingTheWatchdog) {
    ProgramHarness h;
    h.program.Form_Load();
    h.program.about().discard();
    EXPECT_FALSE(h.program.about().exists());
    EXPECT_TRUE(h.port.PortOpen());
    EXPECT_FALSE(h.ui().Timer1.Enabled());
    EXPECT_TRUE(h.program.SplashActive());

    // Help > About loads the window anew: it closes itself and arms the watchdog.
    h.program.AMenu_Click();
    EXPECT_TRUE(h.program.about().Visible());
    h.clock.advance(2000);
    EXPECT_FALSE(h.program.about().Visible());
    EXPECT_TRUE(h.ui().Timer1.Enabled());
}

TEST(Splash, AboutFromTheMenuStaysUntilOk) {
    ProgramHarness h;
    h.startAndWaitForSplash();
    h.program.AMenu_Click();
    h.clock.advance(10000);
    EXPECT_TRUE(h.program.about().Visible());
    EXPECT_FALSE(h.program.SplashActive());
    h.program.about().cmdOK_Click();
    EXPECT_FALSE(h.program.about().Visible());
    EXPECT_TRUE(h.program.about().exists());
}


TEST(Exit, FirstRunCreatesOnlyTheWindowsChoices) {
    ProgramHarness h;
    h.startAndWaitForSplash();
    h.program.FExit_Click();
    EXPECT_EQ(h.settingsText(),
              "[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=0\nChannel4=0\n\n"
              "[Transmitter]\nTX Mode=1\nTX Type=1\n");
    EXPECT_EQ(h.processEnds, 1);
    EXPECT_TRUE(h.program.ended());

    // The next start still uses the port defaults.
    ProgramHarness next;
    next.writeSettings(h.settingsText());
    next.startAndWaitForSplash();
    EXPECT_EQ(next.port.Settings(), "19200,N,8,1");
}

TEST(Exit, SavesTheChoicesMadeDuringTheRunAndClosesThePort) {
    ProgramHarness h;
    h.startAndWaitForSplash();
    h.ui().Check(1).setValue(1);
    h.ui().Check(4).setValue(2);
    h.ui().Mode.setValue(3, true);
    h.ui().Option.setValue(4, true);

    std::int16_t cancel = 0;
    h.program.Form_Unload(cancel);
    EXPECT_NE(cancel, 0);
    EXPECT_FALSE(h.port.PortOpen());
    EXPECT_FALSE(h.port.rts);
    EXPECT_FALSE(h.port.dtr);

    ProgramHarness next;
    next.writeSettings(h.settingsText());
    next.startAndWaitForSplash();
    EXPECT_EQ(next.ui().Check(1).Value(), 1);
    EXPECT_EQ(next.ui().Check(4).Value(), 2);
    EXPECT_EQ(next.ui().Mode.selected(), 3);
    EXPECT_EQ(next.ui().Option.selected(), 4);
}

TEST(Exit, WithThePortClosedStillSavesAndKeepsOtherSections) {
    ProgramHarness h;
    h.writeSettings("; my notes\n[Port Settings]\nPort=3\nSettings=9600,N,8,1\n[Devices]\nCOM3=/dev/ttyUSB7\n");
    h.port.existingPorts = {1};
    h.startAndWaitForSplash();
    EXPECT_EQ(h.label1(), "Unable to open COM 3!");
    h.program.FExit_Click();
    EXPECT_EQ(h.settingsText(),
              "; my notes\n[Port Settings]\nPort=3\nSettings=9600,N,8,1\n[Devices]\nCOM3=/dev/ttyUSB7\n\n"
              "[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=0\nChannel4=0\n\n"
              "[Transmitter]\nTX Mode=1\nTX Type=1\n");
    EXPECT_EQ(h.processEnds, 1);
}

}  // namespace
}  // namespace quadrel::testing
