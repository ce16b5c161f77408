// Receive-path throughput: bytes per second through the serial receive
// handler, display and stick updates included, for each frame layout and
// the two drain streams of the end-to-end bench, with heap allocations
// counted per byte once running. "Baseline" only shifts the frame window
// and classifies; the others are read as ratios to it.
#include <benchmark/benchmark.h>

#include <random>
#include <span>
#include <vector>

#include "allocation_counter.h"
#include "link/link_monitor.h"
#include "receiver/receiver.h"

namespace quadrel {
namespace {

// A prepared stream played over and over, up to kLongestRead bytes a read.
class LoopingStream {
public:
    static constexpr std::size_t kLongestRead = 4096;

    explicit LoopingStream(const std::vector<std::uint8_t>& stream) : length_(stream.size()) {
        // Repeated, so that a read from anywhere in the stream is one span.
        while (looped_.size() < length_ + kLongestRead)
            looped_.insert(looped_.end(), stream.begin(), stream.end());
    }
    std::span<const std::uint8_t> read(std::size_t size) {
        const std::span<const std::uint8_t> bytes(looped_.data() + next_, size);
        next_ = (next_ + size) % length_;
        return bytes;
    }

private:
    std::vector<std::uint8_t> looped_;
    std::size_t length_ = 0;
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
        for (int k = 0; k < 4; ++k) s.push_back(reverseBits(sweep(f, k)));
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

// Receives one byte a read; `asTheProgram` receives as the program does,
// in reads of 4096 with the link statistics counting.
void runReceive(benchmark::State& state, std::vector<std::uint8_t> stream,
                bool asTheProgram = false) {
    LoopingStream port(stream);
    NoBeep beep;
    NoWindow cable;
    Receiver receiver(cable, beep);
    LinkMonitor monitor;
    if (asTheProgram) receiver.setLinkMonitor(&monitor);
    receiver.setType(TransmitterType::JR);
    receiver.setMode(StickMode::Two);
    Time now(0);
    for (int i = 0; i < 100000; ++i) receiver.feed(port.read(1), now);  // settle: ranges

    const long long before = allocationCount();
    for (auto _ : state) {
        now += std::chrono::milliseconds(1);
        if (asTheProgram) {
            receiver.feed(port.read(4096), now);
        } else {
            for (int i = 0; i < 1000; ++i) receiver.feed(port.read(1), now);
        }
    }
    const long long allocations = allocationCount() - before;
    const auto bytes = static_cast<long long>(state.iterations()) * (asTheProgram ? 4096 : 1000);
    state.SetBytesProcessed(bytes);
    state.counters["allocs_per_byte"] =
        static_cast<double>(allocations) / static_cast<double>(bytes);
    benchmark::DoNotOptimize(receiver.view().rows[0].value);
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
