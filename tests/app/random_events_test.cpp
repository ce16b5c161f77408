// A long seeded run of random serial traffic, clicks, choices and time,
// checking after every event what the user must always be able to rely on:
// readable captions, colours that match them, bars and markers inside their
// travel, and a cable format that the type options and window agree with.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "channels/channel_display.h"
#include "frames.h"

namespace quadrel::testing {
namespace {

class RandomTraffic {
public:
    explicit RandomTraffic(std::uint32_t seed) : rng_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    bool chance(int percent) { return below(100) < percent; }

    // One chunk of wire bytes: mostly well-formed frames, often sync values
    // where they do not belong, sometimes plain noise.
    Bytes chunk() {
        switch (below(10)) {
            case 0:
            case 1:
            case 2: return standard();
            case 3:
            case 4: return variant();
            case 5:
            case 6: return zhenHua();
            case 7: {
                const int syncs[] = {239, 240, 247, 250, 254, 255};
                return {static_cast<std::uint8_t>(syncs[below(6)])};
            }
            default: {
                Bytes noise(1 + below(12));
                for (auto& b : noise) b = static_cast<std::uint8_t>(below(256));
                return noise;
            }
        }
    }

private:
    std::uint8_t channel(int limit) {
        // Now and then a value at or above the end mark cuts a frame short.
        if (chance(3)) return static_cast<std::uint8_t>(limit + below(256 - limit));
        return static_cast<std::uint8_t>(below(limit));
    }
    Bytes standard() {
        Bytes f{255};
        const int n = 1 + below(8);
        for (int k = 0; k < n; ++k) f.push_back(channel(255));
        return f;
    }
    Bytes variant() {
        Bytes f{static_cast<std::uint8_t>(240 + below(15)), static_cast<std::uint8_t>(below(239))};
        const int n = chance(50) ? 7 : 8;
        for (int k = 0; k < n; ++k) f.push_back(channel(240));
        return f;
    }
    Bytes zhenHua() {
        Bytes f{239};
        for (int k = 0; k < 4; ++k) f.push_back(ReverseBits(static_cast<std::uint8_t>(below(256))));
        return f;
    }

    std::mt19937 rng_;
};

// The number a caption shows, or -1 when it is not a decimal 0..255.
int decimal(std::string_view s) {
    if (s.empty() || s.size() > 3) return -1;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v <= 255 ? v : -1;
}

bool within(float v, float lo, float hi) { return v >= lo && v <= hi; }

// Collects what does not hold; builds text only when something fails.
class Problems {
public:
    template <typename... Parts>
    void add(const Parts&... parts) {
        std::ostringstream out;
        ((out << parts), ...);
        text_ += out.str() + "; ";
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// An empty text when everything holds, otherwise what does not. A shown
// channel's resolution and bar must agree with the range learnt so far,
// except between a "Recalibrate" (which keeps the rows) and the next frame.
std::string brokenInvariants(const MainFormHarness& h, bool rowsMatchRanges) {
    const MainWindowState& ui = h.form.state();
    Problems p;
    for (int k = 1; k <= kChannels; ++k) {
        const std::string_view in = ui.In(k).Caption;
        const std::string_view res = ui.Res(k).Caption;
        const int value = decimal(in);
        const int resolution = decimal(res);
        if (in != "-" && value < 0) p.add("In", k, " '", in, "'");
        if (res == "-") {
            if (ui.Res(k).BackColor != kRed) p.add("Res", k, " '-' not on red");
        } else if (resolution < 0) {
            p.add("Res", k, " '", res, "'");
        } else if (ui.Res(k).BackColor != (resolution < 100 ? kRed : kGreen)) {
            p.add("Res", k, " colour for ", res);
        }
        const BarState& bar = ui.ProgressBar(k);
        if (bar.Min != 0 || bar.Max != 100 || !within(bar.Value, 0, 100) || bar.Value != static_cast<int>(bar.Value))
            p.add("ProgressBar", k, ' ', bar.Min, '/', bar.Max, '/', bar.Value);
        if (rowsMatchRanges && value >= 0) {
            const ChannelRange& range = h.form.channelRange(k);
            if (value < range.Min || value > range.Max) p.add("In", k, ' ', value, " outside its range");
            if (resolution != range.resolution()) p.add("Res", k, " '", res, "' for its range");
            if (bar.Value != barValue(value, range.Min, range.Max)) p.add("ProgressBar", k, " for its range");
        }
    }
    if (!within(ui.Ball1.Top, 240, 1100) || !within(ui.Ball1.Left, 1440, 2300)) p.add("Ball1 outside its box");
    if (!within(ui.Ball2.Top, 240, 1100) || !within(ui.Ball2.Left, 240, 1100)) p.add("Ball2 outside its box");

    const bool cable = h.form.ZhenHuaActive();
    if (h.cable.visible != cable) p.add("cable window ", h.cable.visible, " with format ", cable);
    if ((std::string_view(ui.Option(5).Caption) == "Zhen Hua Cable") != cable) p.add("Option5 caption");
    for (int k = 1; k <= 4; ++k)
        if (ui.Option(k).Enabled == cable) p.add("Option", k, " enabled state");
    if (cable && !ui.Option(5).Value) p.add("Option5 not chosen in cable format");
    if (!ui.Label11.Visible && !ui.Timer1.Enabled()) p.add("watchdog off while data is shown");
    return p.text();
}

// What a user can do between two bytes: click, tick, choose, wait. True
// after "Recalibrate".
bool randomUserStep(MainFormHarness& h, RandomTraffic& r) {
    MainWindowState& ui = h.ui();
    switch (r.below(8)) {
        case 0: h.form.Command1_Click(); break;
        case 1: h.form.SCal_Click(); return true;
        case 2: ui.Check(1 + r.below(4)).setValue(r.below(3)); break;
        case 3: ui.Mode.setValue(1 + r.below(4), true); break;
        case 4: {
            // A disabled option cannot be clicked; clicking one chooses it.
            const int k = 1 + r.below(5);
            if (ui.Option(k).Enabled) ui.Option.setValue(k, true);
            break;
        }
        default: h.clock.advance(r.below(r.chance(20) ? 1500 : 120)); break;
    }
    return false;
}

// Serial events other than a clean one-byte receive. True when the event
// was a receive event (and so pushed a byte).
bool oddSerialEvent(MainFormHarness& h, RandomTraffic& r) {
    switch (r.below(3)) {
        case 0:
            h.port.event = r.chance(50) ? comm_event::Overrun : comm_event::Break;
            h.form.MSComm1_OnComm();
            h.port.event = comm_event::Receive;
            return false;
        case 1: h.form.MSComm1_OnComm(); return true;  // nothing waiting: reads 0
        default:
            h.port.failNextInput = true;
            h.form.MSComm1_OnComm();
            return true;
    }
}

TEST(RandomEvents, InvariantsHoldThroughoutALongRun) {
    constexpr std::uint32_t kSeed = 0x5EED2024;
    constexpr int kEvents = 200000;
    RandomTraffic r(kSeed);
    MainFormHarness h;

    int events = 0, frames = 0, zhenHuaFrames = 0;
    bool recalibrated = false;  // since the last decoded frame
    auto afterEvent = [&](bool received) {
        ++events;
        const int oldest = h.form.frameWindow()[0];
        if (received && oldest >= 239) {
            ++frames;
            recalibrated = false;
        }
        zhenHuaFrames += received && oldest == 239;
    };
    while (events < kEvents) {
        if (r.chance(4)) {
            recalibrated |= randomUserStep(h, r);
        } else if (r.chance(1)) {
            afterEvent(oddSerialEvent(h, r));
        } else {
            for (std::uint8_t b : r.chunk()) {
                h.port.pending.push_back(b);
                h.form.MSComm1_OnComm();
                afterEvent(true);
                const std::string broken = brokenInvariants(h, !recalibrated);
                if (!broken.empty()) FAIL() << broken << "after event " << events << " (seed " << kSeed << ")";
            }
            continue;
        }
        const std::string broken = brokenInvariants(h, !recalibrated);
        if (!broken.empty()) FAIL() << broken << "after event " << events << " (seed " << kSeed << ")";
    }
    // The run really exercised the decoders and the cable format.
    EXPECT_GT(frames, kEvents / 20);
    EXPECT_GT(zhenHuaFrames, kEvents / 200);
    EXPECT_GT(h.cable.shows, 10);
    EXPECT_GT(h.beeper.beeps, 10);
}

}  // namespace
}  // namespace quadrel::testing
