// A long seeded run of random traffic, clicks, choices and time, checking after
// every event what the user relies on: readable captions, colours that match
// them, bars and markers inside their travel, a cable format that the type
// options and window agree with; and that a twin receiving in batches shows
// the same at the end of each.
#include <gtest/gtest.h>

#include <charconv>
#include <random>
#include <sstream>

#include "harness.h"

namespace quadrel::testing {
namespace {

// Mostly well-formed frames, often sync values where they do not belong, some
// noise; now and then a channel value at or above the end mark ends a frame.
struct RandomTraffic {
    std::mt19937 rng;
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    bool chance(int percent) { return below(100) < percent; }
    int value(int limit) { return chance(3) ? limit + below(256 - limit) : below(limit); }

    Bytes chunk() {
        std::vector<int> out;
        const int kind = below(10);
        if (kind < 3) {  // standard
            out = {255};
            for (int k = 1 + below(8); k > 0; --k) out.push_back(value(255));
        } else if (kind < 5) {  // sync 240..254
            out = {240 + below(15), below(239)};
            for (int k = chance(50) ? 7 : 8; k > 0; --k) out.push_back(value(240));
        } else if (kind < 7) {  // Zhen Hua
            out = {239, below(256), below(256), below(256), below(256)};
        } else if (kind == 7) {
            out = {239 + below(17)};
        } else {
            for (int k = 1 + below(12); k > 0; --k) out.push_back(below(256));
        }
        return Bytes(out.begin(), out.end());
    }
};

// The number a caption shows, or -1 when it is not a decimal 0..255.
int decimal(std::string_view s) {
    int v = -1;
    const char* end = s.data() + s.size();
    if (s.empty() || s[0] == '-' || std::from_chars(s.data(), end, v).ptr != end) return -1;
    return v <= 255 ? v : -1;
}

bool within(float v, float lo, float hi) { return v >= lo && v <= hi; }

// An empty text when everything holds, otherwise what does not. A shown
// channel's resolution and bar must agree with the range learnt so far,
// except between a "Recalibrate" (which keeps the rows) and the next frame.
std::string brokenInvariants(const MainFormHarness& h, bool rowsMatchRanges) {
    const MainWindowState& ui = h.form.state();
    std::ostringstream p;
    for (int k = 1; k <= kChannels; ++k) {
        const std::string_view in = ui.In(k).Caption, res = ui.Res(k).Caption;
        const int value = decimal(in), resolution = decimal(res);
        const ColorValue color = ui.Res(k).BackColor;
        if (in != "-" && value < 0) p << "In" << k << " '" << in << "'; ";
        if (res == "-" ? color != kRed : resolution < 0 || color != (resolution < 100 ? kRed : kGreen))
            p << "Res" << k << " '" << res << "' on " << color << "; ";
        const BarState& bar = ui.ProgressBar(k);
        if (bar.Min != 0 || bar.Max != 100 || !within(bar.Value, 0, 100) || bar.Value != static_cast<int>(bar.Value))
            p << "ProgressBar" << k << ' ' << bar.Min << '/' << bar.Max << '/' << bar.Value << "; ";
        if (rowsMatchRanges && value >= 0) {
            const ChannelRange& range = h.form.channelRange(k);
            if (value < range.Min || value > range.Max) p << "In" << k << ' ' << value << " outside its range; ";
            if (resolution != range.resolution()) p << "Res" << k << " '" << res << "' for its range; ";
            if (bar.Value != barValue(value, range.Min, range.Max)) p << "ProgressBar" << k << " for its range; ";
        }
    }
    if (!within(ui.Ball1.Top, 240, 1100) || !within(ui.Ball1.Left, 1440, 2300)) p << "Ball1 outside its box; ";
    if (!within(ui.Ball2.Top, 240, 1100) || !within(ui.Ball2.Left, 240, 1100)) p << "Ball2 outside its box; ";

    const bool cable = h.form.ZhenHuaActive();
    if (h.cable.visible != cable) p << "cable window " << h.cable.visible << " with format " << cable << "; ";
    if ((ui.Option(5).Caption == "Zhen Hua Cable") != cable) p << "Option5 caption; ";
    for (int k = 1; k <= 4; ++k)
        if (ui.Option(k).Enabled == cable) p << "Option" << k << " enabled state; ";
    if (cable && !ui.Option(5).Value) p << "Option5 not chosen in cable format; ";
    if (!ui.Label11.Visible && !ui.Timer1.Enabled()) p << "watchdog off while data is shown; ";
    return p.str();
}

// What a user can do between two bytes: click, tick, choose, wait. True
// after "Recalibrate". A disabled option cannot be clicked.
bool randomUserStep(MainFormHarness& h, RandomTraffic& r) {
    const int step = r.below(8), k = 1 + r.below(5);
    if (step == 0) h.form.Command1_Click();
    if (step == 1) h.form.SCal_Click();
    if (step == 2) h.ui().Check(1 + r.below(4)).setValue(r.below(3));
    if (step == 3) h.ui().Mode.setValue(1 + r.below(4), true);
    if (step == 4 && h.ui().Option(k).Enabled) h.ui().Option.setValue(k, true);
    if (step > 4) h.clock.advance(r.below(r.chance(20) ? 1500 : 120));
    return step == 1;
}

// A line error, an empty read or a failing read. True when a byte (0) was
// pushed.
bool oddSerialEvent(MainFormHarness& h, RandomTraffic& r) {
    const int kind = r.below(3);
    h.port.event = kind == 0 ? comm_event::Overrun : comm_event::Receive;
    h.port.failNextInput = kind == 2;
    h.form.MSComm1_OnComm();
    h.port.event = comm_event::Receive;
    return kind != 0;
}

// The same events for a twin that receives in batches, as the serial port
// delivers bytes, ending one now and then: what differs from the eager form
// once a batch has ended, or an empty text.
struct BatchedTwin {
    MainFormHarness h;
    std::minstd_rand batchEnds;

    explicit BatchedTwin(std::uint32_t seed) : batchEnds(seed) { h.form.beginReceiveBatch(); }

    // Runs a random step here as `step(eager, r)` runs it there.
    template <typename Step>
    auto alike(MainFormHarness& eager, RandomTraffic& r, Step step) {
        RandomTraffic same = r;
        step(h, same);
        return step(eager, r);
    }

    // Ends the batch one time in `oneIn`.
    std::string endBatchNowAndThen(const MainForm& eager, unsigned oneIn) {
        if (batchEnds() % oneIn != 0) return {};
        h.form.endReceiveBatch();
        const MainForm& twin = h.form;
        std::ostringstream p;
        if (!(twin.state() == eager.state())) p << "window; ";
        if (!(twin.sticks() == eager.sticks())) p << "stick state; ";
        for (int k = 1; k <= kChannels; ++k)
            if (!(twin.channelRange(k) == eager.channelRange(k)) || !(twin.ChannelPosition(k) == eager.ChannelPosition(k)))
                p << "channel " << k << "; ";
        h.form.beginReceiveBatch();
        return p.str();
    }
};

TEST(RandomEvents, InvariantsHoldThroughoutALongRun) {
    constexpr std::uint32_t kSeed = 0x5EED2024;
    constexpr int kEvents = 200000;
    RandomTraffic r{std::mt19937(kSeed)};
    MainFormHarness h;
    BatchedTwin twin(kSeed);

    int events = 0, frames = 0, zhenHuaFrames = 0;
    bool recalibrated = false;  // since the last decoded frame
    auto check = [&](bool received) {
        ++events;
        const int oldest = h.form.frameWindow()[0];
        if (received && oldest >= 239) ++frames, recalibrated = false;
        zhenHuaFrames += received && oldest == 239;
        const std::string broken =
            brokenInvariants(h, !recalibrated) + twin.endBatchNowAndThen(h.form, received ? 24 : 2);
        if (!broken.empty()) ADD_FAILURE() << broken << "after event " << events << " (seed " << kSeed << ")";
        return broken.empty();
    };
    while (events < kEvents) {
        if (r.chance(4)) {
            recalibrated |= twin.alike(h, r, randomUserStep);
            if (!check(false)) return;
        } else if (r.chance(1)) {
            if (!check(twin.alike(h, r, oddSerialEvent))) return;
        } else {
            for (std::uint8_t b : r.chunk()) {
                for (MainFormHarness* form : {&h, &twin.h}) {
                    form->port.pending.push_back(b);
                    form->form.MSComm1_OnComm();
                }
                if (!check(true)) return;
            }
        }
    }
    // The run really exercised the decoders and the cable format.
    EXPECT_GT(frames, kEvents / 20);
    EXPECT_GT(zhenHuaFrames, kEvents / 200);
    EXPECT_GT(h.cable.shows, 10);
    EXPECT_GT(h.beeper.beeps, 10);
}

}  // namespace
}  // namespace quadrel::testing
