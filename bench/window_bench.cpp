// The main window's cost per display frame when every value changes: the
// widgets brought up to date (render), then painted (offscreen, so without
// any X server's share). Read as a ratio: render alone against render and
// paint, and either against a frame that changes nothing.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/main_window.h"

namespace quadrel {
namespace {

// Two views apart in every value, bar and marker.
ReceiverView changing(int step) {
    ReceiverView s;
    s.noSignal = false;
    for (int k = 0; k < kChannels; ++k) {
        const int v = 40 + (step * 7 + (k + 1) * 23) % 180;
        s.rows[k] = {.value = v, .width = 180, .bar = static_cast<float>((v - 40) * 100 / 180)};
    }
    s.sticks.right = {0.4 * (step % 200), 0.3 * (step % 250)};
    s.sticks.left = {0.3 * (step % 250), 0.4 * (step % 200)};
    return s;
}

void run(benchmark::State& state, bool paint, bool change) {
    MainWindow w;
    w.show();
    const StatusLine status{" Comms Port 1: 19200,N,8,1", {}};
    std::vector<ReceiverView> views;
    for (int i = 0; i < 64; ++i) views.push_back(changing(change ? i : 0));
    for (const auto& v : views)
        w.render(v, status), QApplication::processEvents();  // pictures made once
    std::size_t i = 0;
    for (auto _ : state) {
        w.render(views[i++ % views.size()], status);
        if (paint) QApplication::processEvents();
    }
}

void RenderOnly(benchmark::State& s) {
    run(s, false, true);
}
void RenderAndPaint(benchmark::State& s) {
    run(s, true, true);
}
void NothingChanged(benchmark::State& s) {
    run(s, true, false);
}

BENCHMARK(RenderOnly);
BENCHMARK(RenderAndPaint);
BENCHMARK(NothingChanged);

}  // namespace
}  // namespace quadrel

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
