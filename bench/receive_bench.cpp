// Receive-path throughput: bytes per second through the serial receive
// handler, display and stick updates included, for each frame layout and
// the two drain streams of the end-to-end bench, with heap allocations
// counted per byte once running. "Baseline" only shifts the frame window
// and classifies; the others are read as ratios to it.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "allocation_counter.h"
#include "form/main_form.h"

namespace quadrel {
namespace {

// Plays a prepared stream over and over, one byte per receive event.
class LoopingPort final : public ReceiveOnlyPort {
public:
    explicit LoopingPort(std::vector<std::uint8_t> stream) : stream_(std::move(stream)) {}
    std::optional<std::uint8_t> Input() override {
        const std::uint8_t b = stream_[next_];
        next_ = next_ + 1 == stream_.size() ? 0 : next_ + 1;
        return b;
    }

private:
    std::vector<std::uint8_t> stream_;
    std::size_t next_ = 0;
};

struct NoBeep : Beeper {
    void beep() override {}
};
struct NoWindow : CableWindow {
    void show() override {}
    void hide() override {}
};

// Sticks sweeping through their travel, one value per channel per frame.
// Interfaces put a stick's full travel in roughly 40..220 (a 1.0 to 2.0 ms
// pulse), so channel bytes never look like sync bytes.
std::uint8_t sweep(int frame, int channel) {
    constexpr int kLow = 40, kTravel = 180;
    const int t = (frame * 3 + channel * 17) % (2 * kTravel);
    return static_cast<std::uint8_t>(kLow + (t < kTravel ? t : 2 * kTravel - t));
}

std::vector<std::uint8_t> standardStream(int channels) {
    std::vector<std::uint8_t> s;
    for (int f = 0; f < 1000; ++f) {
        s.push_back(255);
        for (int k = 0; k < channels; ++k) s.push_back(sweep(f, k));
    }
    return s;
}

std::vector<std::uint8_t> variantStream() {
    std::vector<std::uint8_t> s;
    for (int f = 0; f < 1000; ++f) {
        s.push_back(static_cast<std::uint8_t>(240 + f % 15));
        s.push_back(0x5A);  // the byte after the sync, which nobody reads
        for (int k = 0; k < 8; ++k) s.push_back(sweep(f, k));
    }
    return s;
}

std::vector<std::uint8_t> zhenHuaStream() {
    std::vector<std::uint8_t> s;
    for (int f = 0; f < 1000; ++f) {
        s.push_back(kZhenHuaSync);
        // On the wire every byte but the sync comes bit-reversed.
        for (int k = 0; k < 4; ++k) s.push_back(ReverseBits(sweep(f, k)));
        for (int i = 0; i < 4; ++i) s.push_back(0);  // filler up to the next sync
    }
    return s;
}

std::vector<std::uint8_t> noiseStream() {
    std::mt19937 rng(1234);
    std::vector<std::uint8_t> s(9000);
    for (auto& b : s) b = static_cast<std::uint8_t>(rng());
    return s;
}

// 239 and 255 by turns: every byte completes a frame, and the cable format
// switches on and off with each.
std::vector<std::uint8_t> alternatingStream() {
    std::vector<std::uint8_t> s;
    for (int i = 0; i < 1000; ++i) s.insert(s.end(), {kZhenHuaSync, 255});
    return s;
}

// Receives one byte at a time; `asTheProgram` receives as the program does,
// in batches of 4096 with the link statistics counting.
void runReceive(benchmark::State& state, std::vector<std::uint8_t> stream, bool asTheProgram = false) {
    LoopingPort port(std::move(stream));
    NoBeep beep;
    NoWindow cable;
    MainForm form(port, cable, beep);
    LinkMonitor monitor;
    if (asTheProgram) form.setLinkMonitor(&monitor);
    form.state().Option.setValue(1, true);
    form.state().Mode.setValue(2, true);
    for (int i = 0; i < 100000; ++i) form.MSComm1_OnComm();  // settle: ranges, captions

    const long long before = allocationCount();
    std::int64_t nowMs = 0;
    for (auto _ : state) {
        if (asTheProgram) {
            monitor.beginRead(++nowMs * 1000, 4096);
            form.beginReceiveBatch();
            for (int i = 0; i < 4096; ++i) form.MSComm1_OnComm();
            form.endReceiveBatch();
        } else {
            for (int i = 0; i < 1000; ++i) form.MSComm1_OnComm();
        }
    }
    const long long allocations = allocationCount() - before;
    const auto bytes = static_cast<long long>(state.iterations()) * (asTheProgram ? 4096 : 1000);
    state.SetBytesProcessed(bytes);
    state.counters["allocs_per_byte"] =
        static_cast<double>(allocations) / static_cast<double>(bytes);
    benchmark::DoNotOptimize(form.state().In(1).Caption.size());
}

void Baseline(benchmark::State& state) {
    const auto stream = standardStream(8);
    FrameWindow window;
    std::size_t next = 0;
    int frames = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            window.push(stream[next]);
            next = next + 1 == stream.size() ? 0 : next + 1;
            frames += classifyFrame(window[0]) != FrameKind::None;
        }
        benchmark::DoNotOptimize(frames);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * 1000);
}

void Standard8(benchmark::State& s) {
    runReceive(s, standardStream(8));
}
void Standard4(benchmark::State& s) {
    runReceive(s, standardStream(4));
}
void VariantSync(benchmark::State& s) {
    runReceive(s, variantStream());
}
void ZhenHua(benchmark::State& s) {
    runReceive(s, zhenHuaStream());
}
void RandomNoise(benchmark::State& s) {
    runReceive(s, noiseStream());
}
// Both drain streams of the end-to-end bench, received as the program does.
void RandomDrain(benchmark::State& s) {
    runReceive(s, noiseStream(), true);
}
void AlternatingDrain(benchmark::State& s) {
    runReceive(s, alternatingStream(), true);
}

BENCHMARK(Baseline);
BENCHMARK(Standard8);
BENCHMARK(Standard4);
BENCHMARK(VariantSync);
BENCHMARK(ZhenHua);
BENCHMARK(RandomNoise);
BENCHMARK(RandomDrain);
BENCHMARK(AlternatingDrain);

}  // namespace
}  // namespace quadrel

BENCHMARK_MAIN();
