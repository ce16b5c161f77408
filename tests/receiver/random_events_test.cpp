// A long seeded run of random traffic, clicks, choices and time, checking after
// every event what the user relies on: values and widths that fit their
// ranges, bars and markers inside their travel, a cable format that the type
// and window agree with; and that a twin receiving in reads of many bytes
// shows the same after each as one receiving every byte alone.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "harness.h"
#include "receiver_invariants.h"

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

// What a user can do between two reads: click, tick, choose, wait. True
// after "Recalibrate". While the cable fixes the type it cannot be changed.
bool randomUserStep(ReceiverHarness& h, RandomTraffic& r) {
    const int step = r.below(8);
    if (step == 0) h.receiver.calibrate();
    if (step == 1) h.receiver.recalibrate();
    if (step == 2) h.receiver.setReverse(1 + r.below(4), static_cast<ReverseBox>(r.below(3)));
    if (step == 3) h.receiver.setMode(static_cast<StickMode>(1 + r.below(4)));
    const auto type = static_cast<TransmitterType>(1 + r.below(5));
    if (step == 4 && (!h.view().cableFormat || type == TransmitterType::ZhenHua))
        h.receiver.setType(type);
    if (step > 4) h.clock.advance(r.below(r.chance(20) ? 1500 : 120));
    return step == 1;
}

// A twin that receives the same bytes in reads of several, as the serial
// port delivers them, ending a read now and then and before every step of
// the user: what differs from the one that received each byte alone, once a
// read has been taken, or an empty text.
struct BatchedTwin {
    ReceiverHarness h;
    Bytes pending;
    std::minstd_rand readEnds;

    explicit BatchedTwin(std::uint32_t seed) : readEnds(seed) {}

    std::string endRead(const ReceiverHarness& eager) {
        h.receive(pending);
        pending.clear();
        std::ostringstream p;
        if (!(h.view() == eager.view())) p << "window; ";
        for (int k = 1; k <= kChannels; ++k)
            if (!(h.receiver.range(k) == eager.receiver.range(k))) p << "channel " << k << "; ";
        for (int at = 0; at < FrameWindow::kSize; ++at)
            if (h.receiver.frameWindow()[at] != eager.receiver.frameWindow()[at])
                p << "frame window " << at << "; ";
        return p.str();
    }
    std::string endReadNowAndThen(const ReceiverHarness& eager) {
        return readEnds() % 24 == 0 ? endRead(eager) : std::string();
    }
    // Runs a step of the user here as `step(eager, r)` runs it there.
    bool alike(ReceiverHarness& eager, RandomTraffic& r, std::string& broken) {
        broken += endRead(eager);
        RandomTraffic same = r;
        randomUserStep(h, same);
        return randomUserStep(eager, r);
    }
};

TEST(RandomEvents, InvariantsHoldThroughoutALongRun) {
    constexpr std::uint32_t kSeed = 0x5EED2024;
    constexpr int kEvents = 200000;
    RandomTraffic r{std::mt19937(kSeed)};
    ReceiverHarness h;
    BatchedTwin twin(kSeed);

    int events = 0, frames = 0, zhenHuaFrames = 0;
    bool recalibrated = false;  // since the last decoded frame
    auto check = [&](bool received, std::string broken) {
        ++events;
        const int oldest = h.receiver.frameWindow()[0];
        if (received && oldest >= 239) ++frames, recalibrated = false;
        zhenHuaFrames += received && oldest == 239;
        broken += brokenInvariants(h, !recalibrated);
        if (!broken.empty())
            ADD_FAILURE() << broken << "after event " << events << " (seed " << kSeed << ")";
        return broken.empty();
    };
    while (events < kEvents) {
        if (r.chance(4)) {
            std::string broken;
            recalibrated |= twin.alike(h, r, broken);
            if (!check(false, broken)) return;
        } else {
            for (std::uint8_t b : r.chunk()) {
                h.receive({b});
                twin.pending.push_back(b);
                if (!check(true, twin.endReadNowAndThen(h))) return;
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
