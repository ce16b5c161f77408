// Joystick latency: from a frame's last byte given to the receiver to its
// events written into a pipe that stands in for /dev/uinput, as input_event
// records with a SYN_REPORT, the way libevdev writes them. The baseline
// writes the same records with no receiver; the median and 99th percentile
// of each are counters, to be read as ratios to the baseline's.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "joystick/event_file_joystick.h"
#include "joystick/joystick_output.h"
#include "receiver/receiver.h"

namespace quadrel {
namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    Pipe() {
        if (::pipe(fds) != 0) fds[0] = fds[1] = -1;
    }
    ~Pipe() {
        ::close(fds[0]);
        ::close(fds[1]);
    }
    int fds[2];
};

// The events into a pipe, with the moment they were written.
class PipeJoystick : public JoystickDevice {
public:
    void report(std::span<const AxisValue> axes, std::span<const ButtonValue> buttons) override {
        events_.report(axes, buttons);
        written_ = Clock::now();
        char sink[4096];  // the reader's side, so that the pipe never fills
        (void)!::read(pipe_.fds[0], sink, sizeof sink);
    }
    Clock::time_point written() const { return written_; }

private:
    Pipe pipe_;
    EventFileJoystick events_{pipe_.fds[1]};
    Clock::time_point written_;
};

struct Quiet : CableWindow, Beeper {
    void show() override {}
    void hide() override {}
    void beep() override {}
};

void reportPercentiles(benchmark::State& state, std::vector<double>& us) {
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[us.size() * 99 / 100];
}

// Eight channels moving, one frame at a time, byte by byte as a port with
// low latency hands them over; the clock starts at the eighth channel.
void BM_FrameToEvents(benchmark::State& state) {
    Quiet quiet;
    Receiver receiver(quiet, quiet);
    PipeJoystick device;
    JoystickOutput joystick(device);
    joystick.setChoices(defaultJoystickChoices(TransmitterType::JR));
    receiver.setFrameListener(&joystick);
    std::vector<double> us;
    int j = 0;
    for (auto _ : state) {
        std::uint8_t frame[9] = {255};
        for (int k = 1; k <= 8; ++k)
            frame[k] = static_cast<std::uint8_t>(20 + (j * 7 + k * 13) % 200);
        ++j;
        for (int b = 0; b < 8; ++b) receiver.feed({frame + b, 1}, Time(j * 22'500));
        const auto start = Clock::now();
        receiver.feed({frame + 8, 1}, Time(j * 22'500));
        us.push_back(std::chrono::duration<double, std::micro>(device.written() - start).count());
    }
    reportPercentiles(state, us);
}
BENCHMARK(BM_FrameToEvents);

// The same records written with nothing before them.
void BM_Baseline_EventsOnly(benchmark::State& state) {
    PipeJoystick device;
    std::vector<double> us;
    int j = 0;
    for (auto _ : state) {
        AxisValue changed[8];
        for (int a = 0; a < 8; ++a) changed[a] = {a, (j * 7 + a * 13) % 60000 - 30000};
        ++j;
        const auto start = Clock::now();
        device.report(changed, {});
        us.push_back(std::chrono::duration<double, std::micro>(device.written() - start).count());
    }
    reportPercentiles(state, us);
}
BENCHMARK(BM_Baseline_EventsOnly);

}  // namespace
}  // namespace quadrel

BENCHMARK_MAIN();
