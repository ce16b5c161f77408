// The port settings dialog: what "&Ok" does to the port, the status line and
// the settings file, what "&Close" and "&Default" leave alone, what the lists
// show, and the delayed recalibration after the dialog closes.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "harness.h"

namespace quadrel::testing {
namespace {

using Lists = std::vector<std::string>;  // baud, parity, data bits, stop bits, port

struct PortDialog : ::testing::Test {
    ProgramHarness h;
    PortSettingsForm& form = h.program.portSettings();

    void start(const char* settings = nullptr) {
        if (settings) h.writeSettings(settings);
        h.startAndWaitForSplash();
        h.program.CMenu_Click();
    }
    Lists lists() const {
        return {form.Combo1.Text(), form.Combo2.Text(), form.Combo3.Text(), form.Combo4.Text(), form.Combo5.Text()};
    }
    void pick(const Lists& picks) {
        DropDownList* all[] = {&form.Combo1, &form.Combo2, &form.Combo3, &form.Combo4, &form.Combo5};
        for (std::size_t i = 0; i < picks.size(); ++i) all[i]->setText(picks[i]);  // "" is no entry: kept
    }
    // The port, the status line and the beeps since `beeps`.
    std::string port(int beeps) const {
        std::ostringstream out;
        out << (h.port.PortOpen() ? "open COM" : "closed COM") << h.port.CommPort() << ' ' << h.port.Settings()
            << (h.port.rts ? " RTS" : "") << (h.port.dtr ? " DTR" : "") << " beeps+" << h.beeper.beeps - beeps
            << " '" << h.label1() << "'";
        return out.str();
    }
};

struct OkCase {
    const char* name;
    int busyPort;  // from start-up on
    Lists picks;   // "" keeps the list's pick
    int rts, dtr;  // the boxes
    const char* port;
    const char* stored;
};

const OkCase kOks[] = {
    {"AppliesAndStoresFourKeysInOrder", 0, {"9600", "E", "7", "1.5", "2"}, 1, 1,
     "open COM2 9600,E,7,1.5 RTS DTR beeps+0 ' Comms Port 2: 9600,E,7,1.5'",
     "[Port Settings]\nPort=2\nSettings=9600,E,7,1.5\nRTS=1\nDTR=1\n"},
    {"BusyPortReportedAndStillStored", 2, {"", "", "", "", "2"}, 0, 0,
     "closed COM2 19200,N,8,1 beeps+1 'Unable to open COM 2!'",
     "[Port Settings]\nPort=2\nSettings=19200,N,8,1\nRTS=0\nDTR=0\n"},
    // The port refuses 4 data bits and keeps its settings; those are stored.
    {"RefusedSettingReportedPortOpensAsItWas", 0, {"", "", "4", "", ""}, 1, 0,
     "open COM1 19200,N,8,1 RTS beeps+1 ' Comms Port 1: 19200,N,4,1'",
     "[Port Settings]\nPort=1\nSettings=19200,N,8,1\nRTS=1\nDTR=0\n"},
    {"PortClosedSinceStartUpJustOpens", 1, {"", "", "", "", "3"}, 1, 0,
     "open COM3 19200,N,8,1 RTS beeps+0 ' Comms Port 3: 19200,N,8,1'",
     "[Port Settings]\nPort=3\nSettings=19200,N,8,1\nRTS=1\nDTR=0\n"},
};

void PrintTo(const OkCase& c, std::ostream* os) { *os << c.name; }

struct Ok : PortDialog, ::testing::WithParamInterface<OkCase> {};

TEST_P(Ok, ReopensThePortShowsItAndStoresIt) {
    const OkCase& c = GetParam();
    if (c.busyPort) h.port.busyPorts = {c.busyPort};
    start();
    pick(c.picks);
    form.Check1.setValue(c.rts);
    form.Check2.setValue(c.dtr);
    const int beeps = h.beeper.beeps;
    form.Command1_Click();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(port(beeps), c.port);
    EXPECT_EQ(h.settingsText(), c.stored);
    // The boxes are applied; the flags start-up read stay.
    EXPECT_TRUE(h.program.port().RtsFlag == 1 && h.program.port().DtrFlag == 0);
}

INSTANTIATE_TEST_SUITE_P(Table, Ok, ::testing::ValuesIn(kOks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortDialog, FirstShowingPicksTheCurrentValues) {
    start("[Port Settings]\nPort=4\nSettings=9600,s,5,2\nRTS=0\nDTR=1\n");
    EXPECT_TRUE(form.Visible() && form.isModal());
    EXPECT_EQ(lists(), (Lists{"9600", "S", "5", "2", "4"}));
    EXPECT_EQ(form.Combo2.entries(), (Lists{"E", "M", "N", "O", "S"}));
    EXPECT_EQ(form.Check1.Value() * 10 + form.Check2.Value(), 1);
}

TEST_F(PortDialog, ValuesNoEntryOffersLeaveTheDefaultsPicked) {
    start("[Port Settings]\nPort=7\nSettings=38400,O,7,2\n");
    EXPECT_EQ(lists(), (Lists{"19200", "O", "7", "2", "1"}));
}

// "&Close" applies nothing and the lists keep what they show; the close box
// discards the dialog and the next showing loads it afresh.
TEST_F(PortDialog, CloseKeepsTheListsCloseBoxDiscardsThem) {
    start();
    pick({"9600", "", "", "", "3"});
    form.Check1.setValue(0);
    const std::string before = port(0);
    form.Command2_Click();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(port(0), before);
    EXPECT_EQ(h.settingsText(), "");
    h.program.CMenu_Click();
    EXPECT_EQ(lists(), (Lists{"9600", "N", "8", "1", "3"}));
    EXPECT_EQ(form.Check1.Value(), 0);
    form.discard();
    EXPECT_FALSE(form.exists() || form.Visible());
    h.program.CMenu_Click();
    EXPECT_EQ(lists(), (Lists{"19200", "N", "8", "1", "1"}));
    EXPECT_EQ(form.Check1.Value(), 1);
}

TEST_F(PortDialog, DefaultChangesTheListsAndFlagsButNotThePort) {
    const char* const stored = "[Port Settings]\nPort=3\nSettings=9600,E,7,2\nRTS=0\nDTR=1\n";
    start(stored);
    const std::string before = port(0);
    form.Command3_Click();
    EXPECT_TRUE(h.program.port().RtsFlag == 1 && h.program.port().DtrFlag == 0);
    EXPECT_EQ(lists(), (Lists{"19200", "N", "8", "1", "3"}));
    EXPECT_EQ(form.Check1.Value() * 10 + form.Check2.Value(), 10);
    form.Command2_Click();
    EXPECT_EQ(port(0), before);
    EXPECT_EQ(h.settingsText(), stored);
}

TEST_F(PortDialog, EveryWayOfClosingRecalibratesWithABeepOneSecondLater) {
    const std::function<void()> closings[] = {[&] { form.Command1_Click(); }, [&] { form.Command2_Click(); },
                                              [&] { form.discard(); }};
    h.startAndWaitForSplash();
    for (const auto& close : closings) {
        for (int t = 0; t < 1500; t += 100) {  // a steady stream, past its own delayed calibration
            h.receive({255, 100, 110, 120, 130});
            h.clock.advance(100);
        }
        ASSERT_EQ(h.program.form().channelRange(1).Max, 100);
        h.program.CMenu_Click();
        close();
        const int beeps = h.beeper.beeps;
        h.clock.advance(999);
        EXPECT_EQ(h.beeper.beeps, beeps);
        h.clock.advance(1);
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
        EXPECT_EQ(h.program.form().channelRange(1).Max, 0);
    }
}

}  // namespace
}  // namespace quadrel::testing
