// The port settings dialog as the user meets it: what its lists show, what
// "&Ok" does to the port, the status line and the settings file, and the
// delayed recalibration after it closes. The port is a fake; time is virtual.
#include <gtest/gtest.h>

#include <functional>

#include "program_harness.h"

namespace quadrel::testing {
namespace {

struct PortDialog : ::testing::Test {
    ProgramHarness h;
    PortSettingsForm& form = h.program.portSettings();

    void start(const std::string& settings = {}) {
        if (!settings.empty()) h.writeSettings(settings);
        h.startAndWaitForSplash();
    }
    // What the five lists show: baud, parity, data, stop, port.
    std::vector<std::string> lists() const {
        return {form.Combo1.Text(), form.Combo2.Text(), form.Combo3.Text(), form.Combo4.Text(), form.Combo5.Text()};
    }
    static void pick(DropDownList& list, const std::string& entry) {
        list.setText(entry);
        ASSERT_EQ(list.Text(), entry) << "no entry " << entry;
    }
};

using Lists = std::vector<std::string>;

// --- Applying --------------------------------------------------------------

TEST_F(PortDialog, OkReopensThePortShowsItAndStoresFourKeysInOrder) {
    start();
    h.program.CMenu_Click();
    pick(form.Combo5, "2");
    pick(form.Combo1, "9600");
    pick(form.Combo2, "E");
    pick(form.Combo3, "7");
    pick(form.Combo4, "1.5");
    form.Check2.setValue(1);
    const int beeps = h.beeper.beeps;

    form.Command1_Click();

    EXPECT_FALSE(form.Visible());
    EXPECT_TRUE(h.port.PortOpen());
    EXPECT_EQ(h.port.opens, 2);
    EXPECT_EQ(h.port.CommPort(), 2);
    EXPECT_EQ(h.port.Settings(), "9600,E,7,1.5");
    EXPECT_TRUE(h.port.rts);
    EXPECT_TRUE(h.port.dtr);
    EXPECT_EQ(h.label1(), " Comms Port 2: 9600,E,7,1.5");
    EXPECT_EQ(h.beeper.beeps, beeps);
    EXPECT_EQ(h.settingsText(), "[Port Settings]\nPort=2\nSettings=9600,E,7,1.5\nRTS=1\nDTR=1\n");
    // "&Ok" applies the boxes but leaves the flags start-up read.
    EXPECT_EQ(h.program.port().RtsFlag, 1);
    EXPECT_EQ(h.program.port().DtrFlag, 0);
}

TEST_F(PortDialog, BusyPortIsReportedWithOneBeepAndTheChoiceIsStillStored) {
    start();
    h.port.busyPorts = {2};
    h.program.CMenu_Click();
    pick(form.Combo5, "2");
    form.Check1.setValue(0);
    const int beeps = h.beeper.beeps;

    form.Command1_Click();

    EXPECT_EQ(h.label1(), "Unable to open COM 2!");
    EXPECT_EQ(h.ui().Label1ToolTip, "port in use");
    EXPECT_EQ(h.beeper.beeps, beeps + 1);
    EXPECT_FALSE(h.port.PortOpen());
    EXPECT_EQ(h.settingsText(), "[Port Settings]\nPort=2\nSettings=19200,N,8,1\nRTS=0\nDTR=0\n");
}

TEST_F(PortDialog, SettingsThePortRefusesAreReportedAndWhatItKeptIsStored) {
    start();
    h.program.CMenu_Click();
    pick(form.Combo3, "4");  // the port takes 5 to 8 data bits
    const int beeps = h.beeper.beeps;

    form.Command1_Click();

    EXPECT_EQ(h.beeper.beeps, beeps + 1);
    // The status line replaced the message; the port opened as it was.
    EXPECT_EQ(h.label1(), " Comms Port 1: 19200,N,4,1");
    EXPECT_TRUE(h.port.PortOpen());
    EXPECT_EQ(SettingsFile(h.settings.path()).read(kPortSection, "Settings", "?"), "19200,N,8,1");
}

TEST_F(PortDialog, OkWhileThePortIsClosedOpensItWithoutFurtherBeeps) {
    h.port.busyPorts = {1};
    start();
    ASSERT_EQ(h.label1(), "Unable to open COM 1!");
    h.program.CMenu_Click();
    pick(form.Combo5, "3");
    const int beeps = h.beeper.beeps;

    form.Command1_Click();

    EXPECT_EQ(h.beeper.beeps, beeps);
    EXPECT_TRUE(h.port.PortOpen());
    EXPECT_EQ(h.port.CommPort(), 3);
    EXPECT_EQ(h.label1(), " Comms Port 3: 19200,N,8,1");
    EXPECT_EQ(h.ui().Label1ToolTip, "");
}

// --- What the lists show ---------------------------------------------------

TEST_F(PortDialog, FirstShowingPicksTheCurrentValues) {
    start("[Port Settings]\nPort=4\nSettings=9600,s,5,2\nRTS=0\nDTR=1\n");
    h.program.CMenu_Click();
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(form.isModal());
    EXPECT_EQ(lists(), (Lists{"9600", "S", "5", "2", "4"}));
    EXPECT_EQ(form.Combo2.entries(), (Lists{"E", "M", "N", "O", "S"}));
    EXPECT_EQ(form.Check1.Value(), 0);
    EXPECT_EQ(form.Check2.Value(), 1);
}

TEST_F(PortDialog, ValuesNoEntryOffersLeaveTheDefaultsPicked) {
    start("[Port Settings]\nPort=7\nSettings=38400,O,7,2\n");
    h.program.CMenu_Click();
    EXPECT_EQ(lists(), (Lists{"19200", "O", "7", "2", "1"}));
}

TEST_F(PortDialog, CloseKeepsTheChangedListsForTheNextShowingAndAppliesNothing) {
    start();
    h.program.CMenu_Click();
    pick(form.Combo5, "3");
    pick(form.Combo1, "9600");
    form.Check1.setValue(0);
    form.Command2_Click();

    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(h.port.CommPort(), 1);
    EXPECT_EQ(h.port.opens, 1);
    EXPECT_EQ(h.settingsText(), "");

    h.program.CMenu_Click();
    EXPECT_EQ(lists(), (Lists{"9600", "N", "8", "1", "3"}));
    EXPECT_EQ(form.Check1.Value(), 0);
}

TEST_F(PortDialog, DefaultChangesTheFlagsAtOnceAndTheListsButNotThePort) {
    start("[Port Settings]\nPort=3\nSettings=9600,E,7,2\nRTS=0\nDTR=1\n");
    h.program.CMenu_Click();
    form.Command3_Click();

    EXPECT_EQ(h.program.port().RtsFlag, 1);
    EXPECT_EQ(h.program.port().DtrFlag, 0);
    EXPECT_EQ(lists(), (Lists{"19200", "N", "8", "1", "3"}));
    EXPECT_EQ(form.Check1.Value(), 1);
    EXPECT_EQ(form.Check2.Value(), 0);

    form.Command2_Click();
    EXPECT_EQ(h.port.Settings(), "9600,E,7,2");
    EXPECT_FALSE(h.port.rts);
    EXPECT_EQ(h.port.opens, 1);
    h.program.CMenu_Click();
    EXPECT_EQ(lists(), (Lists{"19200", "N", "8", "1", "3"}));
}

TEST_F(PortDialog, CloseBoxDiscardsTheDialogAndTheNextShowingLoadsItAfresh) {
    start();
    h.program.CMenu_Click();
    pick(form.Combo5, "4");
    form.Check2.setValue(1);
    form.discard();
    EXPECT_FALSE(form.exists());
    EXPECT_FALSE(form.Visible());

    h.program.CMenu_Click();
    EXPECT_TRUE(form.exists());
    EXPECT_EQ(lists(), (Lists{"19200", "N", "8", "1", "1"}));
    EXPECT_EQ(form.Check2.Value(), 0);
}

// --- After the dialog closes ------------------------------------------------

TEST_F(PortDialog, EveryWayOfClosingRecalibratesAndBeepsOneSecondLater) {
    const std::pair<const char*, std::function<void()>> closings[] = {
        {"Ok", [&] { form.Command1_Click(); }},
        {"Close", [&] { form.Command2_Click(); }},
        {"close box", [&] { form.discard(); }},
    };
    start();
    for (const auto& [name, close] : closings) {
        SCOPED_TRACE(name);
        // A steady stream past its own delayed recalibration: channel 1
        // has learnt its range and nothing else is pending.
        h.clock.advance(5000);
        for (int t = 0; t < 1500; t += 100) {
            h.receive({255, 100, 110, 120, 130});
            h.clock.advance(100);
        }
        ASSERT_EQ(h.program.form().channelRange(1).Max, 100);
        h.program.CMenu_Click();
        close();
        const int beeps = h.beeper.beeps;

        h.clock.advance(999);
        EXPECT_EQ(h.beeper.beeps, beeps);
        EXPECT_EQ(h.program.form().channelRange(1).Max, 100);
        h.clock.advance(1);
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
        EXPECT_EQ(h.program.form().channelRange(1).Max, 0);
    }
}

}  // namespace
}  // namespace quadrel::testing
