// Cost of the input graph's curves as recomputed on every mouse move of a marker drag: the
// six 241-point curves of one input from scratch, the same through InputResponse when one
// band moves, and as a baseline a plain evaluation that takes sine, cosine and a logarithm
// per section and grid point.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsp/biquad.h"
#include "dsp/eq_laws.h"
#include "dsp/input_response.h"
#include "dsp/response_curve.h"

namespace {

using namespace kestra;

// Every curve doing work: four cutting and boosting bands (one shelf), both filters on at
// their steepest slopes.
InputChannel busy_input() {
    InputChannel ch;
    const int freqs[4] = {120, 700, 2500, 9000};
    for (std::size_t b = 0; b < 4; ++b) {
        ch.peq_band[b] = PeqBand{freqs[b], 150 + 40 * (b % 2 == 0 ? 1 : -1), 25, {}, 0};
    }
    ch.peq_band[3].type = kBandHighShelf;
    ch.hpf_on = ch.lpf_on = 1;
    ch.hpf_freq = 40;
    ch.lpf_freq = 16000;
    ch.hpf_slope = ch.lpf_slope = 8;
    return ch;
}

void BM_SixCurvesFromScratch(benchmark::State& state) {
    InputChannel ch = busy_input();
    int step = 0;
    for (auto _ : state) {
        ch.peq_band[1].freq = 700 + (step++ % 64);
        benchmark::DoNotOptimize(input_response(ch, 0));
    }
}
BENCHMARK(BM_SixCurvesFromScratch);

void BM_DragOneBandThroughInputResponse(benchmark::State& state) {
    InputChannel ch = busy_input();
    InputResponse response;
    response.load(ch, 0);
    int step = 0;
    for (auto _ : state) {
        // A drag changes frequency and gain of one band per move.
        ch.peq_band[1].freq = 700 + (step % 64);
        ch.peq_band[1].gain = 100 + (step % 100);
        ++step;
        benchmark::DoNotOptimize(response.load(ch, 0));
        benchmark::DoNotOptimize(response.sum().data());
    }
}
BENCHMARK(BM_DragOneBandThroughInputResponse);

// Baseline: the sections of every curve evaluated one by one, each point with its own
// trigonometry and logarithm, summed in dB.
std::vector<Biquad> sections_of(const InputChannel& ch) {
    std::vector<Biquad> s;
    for (std::size_t b = 0; b < 4; ++b) {
        const PeqBand& band = ch.peq_band[b];
        const double g = gain_db_of_code(band.gain);
        if (band.type == kBandHighShelf) {
            s.push_back(Biquad::high_shelf(angle_of(band.freq) * 0.76923076923, g));
        } else {
            s.push_back(Biquad::peaking(angle_of(snap_to_grid(band.freq)), g, q_of_code(band.q)));
        }
    }
    const double damping[4] = {0.98039216, 0.83333333, 0.55555556, 0.1953125};
    for (double d : damping) {
        s.push_back(Biquad::highpass(angle_of(ch.hpf_freq), d));
        s.push_back(Biquad::lowpass(angle_of(ch.lpf_freq), d));
    }
    return s;
}

void BM_BaselinePerSectionTrigAndLog(benchmark::State& state) {
    InputChannel ch = busy_input();
    int step = 0;
    for (auto _ : state) {
        ch.peq_band[1].freq = 700 + (step++ % 64);
        const std::vector<Biquad> sections = sections_of(ch);
        ResponseCurve sum{};
        const GridValues& grid = frequency_grid();
        for (std::size_t i = 0; i < kGridPoints; ++i) {
            for (const Biquad& s : sections) {
                sum[i] += s.magnitude_db(angle_of(grid[i]));
            }
        }
        benchmark::DoNotOptimize(sum.data());
    }
}
BENCHMARK(BM_BaselinePerSectionTrigAndLog);

}  // namespace

BENCHMARK_MAIN();
