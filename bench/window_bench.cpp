// The main window's cost per display frame when every value changes: the
// widgets brought up to date (render), then painted (offscreen, so without
// any X server's share). Read as a ratio: render alone against render and
// paint, and either against a frame that changes nothing.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "ui/main_window.h"

namespace quadrel {
namespace {

// Two states apart in every value, bar and marker.
MainWindowState changing(int step) {
    MainWindowState s;
    for (int k = 1; k <= kChannels; ++k) {
        const int v = 40 + (step * 7 + k * 23) % 180;
        s.In(k).Caption.setNumber(v);
        s.Res(k).Caption.setNumber(180);
        s.Res(k).BackColor = kGreen;
        s.ProgressBar(k).Value = static_cast<float>((v - 40) * 100 / 180);
    }
    s.Ball1 = {1440.0f + 4 * (step % 200), 240.0f + 3 * (step % 250)};
    s.Ball2 = {240.0f + 3 * (step % 250), 240.0f + 4 * (step % 200)};
    return s;
}

void run(benchmark::State& state, bool paint, bool change) {
    MainWindow w;
    w.show();
    std::vector<MainWindowState> states;
    for (int i = 0; i < 64; ++i) states.push_back(changing(change ? i : 0));
    for (const auto& s : states) w.render(s), QApplication::processEvents();  // pictures made once
    std::size_t i = 0;
    for (auto _ : state) {
        w.render(states[i++ % states.size()]);
        if (paint) QApplication::processEvents();
    }
}

void RenderOnly(benchmark::State& s) { run(s, false, true); }
void RenderAndPaint(benchmark::State& s) { run(s, true, true); }
void NothingChanged(benchmark::State& s) { run(s, true, false); }

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
