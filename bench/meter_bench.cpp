// Eighty strip meters fed new levels and repainted offscreen, as at the 50 Hz report rate.
// One iteration is one round: every meter gets a new value and the window paints.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>
#include <vector>

#include "controls/level_meter.h"

namespace {

constexpr int kMeters = 80;

struct StripMeters {
    QWidget window;
    std::vector<kestra::LevelMeter*> meters;

    StripMeters() {
        window.resize(kMeters * 32, 200);
        for (int i = 0; i < kMeters; ++i) {
            auto* meter = new kestra::LevelMeter(&window);
            meter->setGeometry(i * 32, 0, 30, 200);
            meter->set_bar_count(1);
            meter->set_bar_range(0, 0, 60);
            meter->set_zone_limits(0.7, 0.9);
            meter->set_margins(0, 0);
            meters.push_back(meter);
        }
        window.show();
        QApplication::processEvents();
    }
};

// Levels walk up and down like speech so every meter changes every round.
double level(int meter, long round) {
    long phase = (round * 3 + meter * 7) % 140;
    return static_cast<double>(phase < 70 ? phase : 140 - phase);
}

void BM_StripMeterRound(benchmark::State& state) {
    StripMeters strips;
    long round = 0;
    for (auto _ : state) {
        for (int i = 0; i < kMeters; ++i)
            strips.meters[static_cast<size_t>(i)]->set_value(level(i, round), 0);
        // delivers the pending update request: only the changed bars are painted
        QApplication::processEvents();
        ++round;
    }
    state.SetItemsProcessed(state.iterations() * kMeters);
}
BENCHMARK(BM_StripMeterRound)->Iterations(500)->Unit(benchmark::kMillisecond);

// Baseline: the whole window painted each round, every meter in full.
void BM_StripMeterFullRepaint(benchmark::State& state) {
    StripMeters strips;
    long round = 0;
    for (auto _ : state) {
        for (int i = 0; i < kMeters; ++i)
            strips.meters[static_cast<size_t>(i)]->set_value(level(i, round), 0);
        strips.window.repaint();
        ++round;
    }
}
BENCHMARK(BM_StripMeterFullRepaint)->Iterations(500)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
