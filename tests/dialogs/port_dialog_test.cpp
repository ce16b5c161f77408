// The port settings dialog: what "&Ok" does to the port, the status line and
// the settings file, what "&Close" and "&Default" leave alone, what the lists
// show, and the delayed recalibration after the dialog closes.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "harness.h"

namespace quadrel::testing {
namespace {

using Lists = std::vector<std::string>;  // port, baud, parity, data bits, stop bits

struct PortSettings : ::testing::Test {
    ProgramHarness h;
    PortDialog& dialog = h.program.portDialog();

    void start(const char* settings = nullptr) {
        if (settings) h.writeSettings(settings);
        h.startAndWaitForSplash();
        h.program.showPortDialog();
    }
    Lists lists() const {
        Lists out;
        for (int i = 0; i < kPortLists; ++i) {
            const auto list = static_cast<PortList>(i);
            out.push_back(PortDialog::entryText(list, dialog.picked(list)));
        }
        return out;
    }
    // Picks each list's entry of that text; "" picks nothing new.
    void pick(const Lists& picks) {
        for (int i = 0; i < kPortLists; ++i) {
            const auto list = static_cast<PortList>(i);
            for (int e = 0; e < PortDialog::entryCount(list); ++e)
                if (PortDialog::entryText(list, e) == picks[i]) dialog.pick(list, e);
        }
    }
    // The port, the status line and the beeps since `beeps`.
    std::string port(int beeps) const {
        std::ostringstream out;
        out << (h.port.isOpen() ? "open COM" : "closed COM") << h.port.portNumber() << ' '
            << formatLineSettings(h.port.line()) << (h.port.rts ? " RTS" : "")
            << (h.port.dtr ? " DTR" : "") << " beeps+" << h.beeper.beeps - beeps << " '"
            << h.status() << "'";
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

// clang-format off
const OkCase kOks[] = {
    {"AppliesAndStoresFourKeysInOrder", 0, {"2", "9600", "E", "7", "1.5"}, 1, 1,
     "open COM2 9600,E,7,1.5 RTS DTR beeps+0 ' Comms Port 2: 9600,E,7,1.5'",
     "[Port Settings]\nPort=2\nSettings=9600,E,7,1.5\nRTS=1\nDTR=1\n"},
    {"BusyPortReportedAndStillStored", 2, {"2", "", "", "", ""}, 0, 0,
     "closed COM2 19200,N,8,1 beeps+1 'Unable to open COM 2!'",
     "[Port Settings]\nPort=2\nSettings=19200,N,8,1\nRTS=0\nDTR=0\n"},
    // The port refuses 4 data bits and keeps its settings; those are stored.
    {"RefusedSettingReportedPortOpensAsItWas", 0, {"", "", "", "4", ""}, 1, 0,
     "open COM1 19200,N,8,1 RTS beeps+1 ' Comms Port 1: 19200,N,4,1'",
     "[Port Settings]\nPort=1\nSettings=19200,N,8,1\nRTS=1\nDTR=0\n"},
    {"PortClosedSinceStartUpJustOpens", 1, {"3", "", "", "", ""}, 1, 0,
     "open COM3 19200,N,8,1 RTS beeps+0 ' Comms Port 3: 19200,N,8,1'",
     "[Port Settings]\nPort=3\nSettings=19200,N,8,1\nRTS=1\nDTR=0\n"},
};
// clang-format on

void PrintTo(const OkCase& c, std::ostream* os) {
    *os << c.name;
}

struct Ok : PortSettings, ::testing::WithParamInterface<OkCase> {};

TEST_P(Ok, ReopensThePortShowsItAndStoresIt) {
    const OkCase& c = GetParam();
    if (c.busyPort) h.port.busyPorts = {c.busyPort};
    start();
    pick(c.picks);
    dialog.setRts(c.rts);
    dialog.setDtr(c.dtr);
    const int beeps = h.beeper.beeps;
    h.program.applyPortChoice(h.clock.now());
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(port(beeps), c.port);
    EXPECT_EQ(h.settingsText(), c.stored);
    // The boxes are applied; the lines start-up read stay.
    EXPECT_TRUE(h.program.port().rts && !h.program.port().dtr);
}

INSTANTIATE_TEST_SUITE_P(Table, Ok, ::testing::ValuesIn(kOks),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PortSettings, FirstShowingPicksTheCurrentValues) {
    start("[Port Settings]\nPort=4\nSettings=9600,s,5,2\nRTS=0\nDTR=1\n");
    EXPECT_TRUE(dialog.visible());
    EXPECT_EQ(lists(), (Lists{"4", "9600", "S", "5", "2"}));
    EXPECT_TRUE(!dialog.rts() && dialog.dtr());
}

TEST_F(PortSettings, ValuesNoEntryOffersLeaveTheDefaultsPicked) {
    start("[Port Settings]\nPort=7\nSettings=38400,O,7,2\n");
    EXPECT_EQ(lists(), (Lists{"1", "19200", "O", "7", "2"}));
}

// "&Close" applies nothing and the lists keep what they show; the close box
// discards the dialog and the next showing loads it afresh.
TEST_F(PortSettings, CloseKeepsTheListsCloseBoxDiscardsThem) {
    start();
    pick({"3", "9600", "", "", ""});
    dialog.setRts(false);
    const std::string before = port(0);
    h.program.closePortDialog(h.clock.now());
    EXPECT_FALSE(dialog.visible());
    EXPECT_EQ(port(0), before);
    EXPECT_EQ(h.settingsText(), "");
    h.program.showPortDialog();
    EXPECT_EQ(lists(), (Lists{"3", "9600", "N", "8", "1"}));
    EXPECT_FALSE(dialog.rts());
    h.program.portDialogDiscarded(h.clock.now());
    EXPECT_FALSE(dialog.exists() || dialog.visible());
    h.program.showPortDialog();
    EXPECT_EQ(lists(), (Lists{"1", "19200", "N", "8", "1"}));
    EXPECT_TRUE(dialog.rts());
}

TEST_F(PortSettings, DefaultChangesTheListsAndLinesButNotThePort) {
    const char* const stored = "[Port Settings]\nPort=3\nSettings=9600,E,7,2\nRTS=0\nDTR=1\n";
    start(stored);
    const std::string before = port(0);
    h.program.restorePortDefaults();
    EXPECT_TRUE(h.program.port().rts && !h.program.port().dtr);
    EXPECT_EQ(lists(), (Lists{"3", "19200", "N", "8", "1"}));
    EXPECT_TRUE(dialog.rts() && !dialog.dtr());
    h.program.closePortDialog(h.clock.now());
    EXPECT_EQ(port(0), before);
    EXPECT_EQ(h.settingsText(), stored);
}

TEST_F(PortSettings, EveryWayOfClosingRecalibratesWithABeepOneSecondLater) {
    const std::function<void()> closings[] = {
        [&] { h.program.applyPortChoice(h.clock.now()); },
        [&] { h.program.closePortDialog(h.clock.now()); },
        [&] { h.program.portDialogDiscarded(h.clock.now()); }};
    h.startAndWaitForSplash();
    for (const auto& close : closings) {
        for (int t = 0; t < 1500; t += 100) {  // a steady stream, past its own delayed calibration
            h.receive({255, 100, 110, 120, 130});
            h.clock.advance(100);
        }
        ASSERT_EQ(h.program.receiver().range(1).max, 100);
        h.program.showPortDialog();
        close();
        const int beeps = h.beeper.beeps;
        h.clock.advance(999);
        EXPECT_EQ(h.beeper.beeps, beeps);
        h.clock.advance(1);
        EXPECT_EQ(h.beeper.beeps, beeps + 1);
        EXPECT_EQ(h.program.receiver().range(1).max, 0);
    }
}

}  // namespace
}  // namespace quadrel::testing
