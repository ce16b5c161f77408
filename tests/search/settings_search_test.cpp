// The settings search against a modelled interface on the far end of the
// port, in virtual time: which setting it finds, or what it blames, and
// how many tries that takes.
#include <gtest/gtest.h>

#include "fakes.h"
#include "model_interface.h"
#include "search/settings_search.h"

namespace quadrel::testing {
namespace {

using Kind = Finding::Kind;
using Power = ModelInterface::Power;
constexpr Time kStep = std::chrono::milliseconds(5);

LineSettings line(const char* text) {
    return *parseLineSettings(text);
}

// Runs a search from `stored` until it ends, or stops it at `cancelAt`.
struct SearchRun {
    FakeSerialPort port;
    SettingsSearch search{port};
    Time now{0};

    SearchRun(const ModelInterface& model, const PortSettings& stored, std::vector<int> others,
              std::optional<Time> cancelAt = {}) {
        port.setPortNumber(stored.port);
        port.setLine(stored.line);
        port.rts = stored.rts;
        port.dtr = stored.dtr;
        port.open();
        ModelLink link(model, port);
        search.start(stored, std::move(others), now);
        while (search.running() && now < std::chrono::seconds(120)) {
            now += kStep;
            if (cancelAt && now >= *cancelAt) search.cancel();
            search.feed(link.readUntil(now), now);
            search.advance(now);
        }
    }
    PortSettings portNow() const { return {port.portNumber(), port.line(), port.rts, port.dtr}; }
};

TEST(SettingsSearch, FindsTheSettingOrNamesTheCause) {
    struct Case {
        const char* name;
        ModelInterface model;
        std::vector<int> otherPorts;
        Kind found;
        std::optional<PortSettings> use;
        int tries;
        const char* says = nullptr;        // the finding, where no setting is
        const char* from = "19200,N,8,1";  // the line settings stored
    };
    const auto at = [](int port, const char* text, bool rts, bool dtr) {
        return PortSettings{port, line(text), rts, dtr};
    };
    ModelInterface inverted{.line = line("19200,N,8,1"), .inverted = true};
    ModelInterface silent{.line = line("19200,N,8,1"), .silent = true};
    ModelInterface noisy{.line = line("19200,N,8,1"), .noisy = true};
    ModelInterface uncounted{.line = line("9600,N,8,1"), .countsErrors = false};
    // clang-format off
    const Case cases[] = {
        {"as stored",          {.line = line("19200,N,8,1")}, {}, Kind::Working, at(1, "19200,N,8,1", true, false), 1},
        {"even parity",        {.line = line("19200,E,8,1")}, {}, Kind::Working, at(1, "19200,E,8,1", true, false), 2},
        {"9600 baud",          {.line = line("9600,N,8,1")},  {}, Kind::Working, at(1, "9600,N,8,1", true, false), 4},
        {"38400 baud, odd",    {.line = line("38400,O,8,1")}, {}, Kind::Working, at(1, "38400,O,8,1", true, false), 9},
        {"115200 baud",        {.line = line("115200,N,8,1")}, {}, Kind::Working, at(1, "115200,N,8,1", true, false), 13},
        {"needs DTR",          {.line = line("19200,N,8,1"), .power = Power::Dtr}, {}, Kind::Working, at(1, "19200,N,8,1", true, true), 2},
        {"needs DTR, 57600,E", {.line = line("57600,E,8,1"), .power = Power::Dtr}, {}, Kind::Working, at(1, "57600,E,8,1", true, true), 12},
        {"errors not counted", uncounted, {}, Kind::Working, at(1, "9600,N,8,1", true, false), 4},
        {"inverted",           inverted, {}, Kind::Inverted, std::nullopt, 15, "Bytes at every rate but no frames: the signal is probably inverted (try the interface's other output or an inverting cable)"},
        {"silent",             silent, {}, Kind::NoBytes, std::nullopt, 3, "No bytes on COM 1 at any setting: check power (RTS/DTR), the trainer socket and the transmitter"},
        {"noisy",              noisy, {}, Kind::Troubled, at(1, "19200,N,8,1", true, false), 15},
        // Read at 9600, each fast frame is a byte or two that follow each other steadily.
        {"57600,E from 9600",  {.line = line("57600,E,8,1")}, {}, Kind::Working, at(1, "57600,E,8,1", true, false), 11, nullptr, "9600,N,8,1"},
        {"on COM 3",           {.port = 3, .line = line("19200,N,8,1")}, {2, 3}, Kind::Working, at(3, "19200,N,8,1", true, false), 7},
        {"COM 2 missing",      {.port = 3, .line = line("9600,N,8,1")}, {5, 3}, Kind::Working, at(3, "9600,N,8,1", true, false), 8},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PortSettings stored{1, line(c.from), true, false};
        SearchRun run(c.model, stored, c.otherPorts);
        ASSERT_TRUE(run.search.finding());
        const Finding& f = *run.search.finding();
        EXPECT_EQ(f.kind, c.found) << f.text;
        EXPECT_EQ(f.settings, c.use) << f.text;
        EXPECT_EQ(f.tries, c.tries) << f.evidence;
        const bool found = c.found == Kind::Working;
        EXPECT_EQ(f.text, c.says ? c.says : found ? "Found: " + describeTry(*c.use) : f.text);
        EXPECT_EQ(run.portNow(), stored) << "the port is left as it was";
        EXPECT_TRUE(run.port.isOpen());
        if (c.otherPorts.empty()) {
            EXPECT_LT(f.took, std::chrono::seconds(20));
        }
        ::testing::Test::RecordProperty(c.name, std::to_string(f.tries) + " tries, " +
                                                    std::to_string(f.took.count() / 1000) + " ms");
    }
}

TEST(SettingsSearch, CancelLeavesThePortAsItWas) {
    const ModelInterface model{.line = line("115200,N,8,1"), .power = Power::Dtr};
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "closed");
        FakeSerialPort port;
        port.setLine(line("38400,O,7,2"));
        port.setPortNumber(2);
        if (open) port.open();
        SettingsSearch search(port);
        const PortSettings before{2, line("38400,O,7,2"), false, false};
        ModelLink link({.port = 2, .line = model.line, .power = model.power}, port);
        search.start(before, {1, 3}, Time{0});
        for (Time now = kStep; now < std::chrono::milliseconds(2300); now += kStep) {
            search.feed(link.readUntil(now), now);
            search.advance(now);
        }
        ASSERT_TRUE(search.running());
        EXPECT_EQ(port.dtr, true) << "the search had moved on";
        search.cancel();
        EXPECT_FALSE(search.running());
        EXPECT_FALSE(search.finding());
        EXPECT_EQ(port.isOpen(), open);
        EXPECT_EQ((PortSettings{port.portNumber(), port.line(), port.rts, port.dtr}), before);
        EXPECT_FALSE(search.nextDeadline());
    }
}

}  // namespace
}  // namespace quadrel::testing
