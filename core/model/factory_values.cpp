#include "model/factory_values.h"

#include <cstdio>

namespace kestra {

namespace {

constexpr std::array<int32_t, 4> kFactoryPeqFreq{200, 500, 1000, 5000};

void factory_input(InputChannel& ch, int i) {
    for (std::size_t b = 0; b < ch.peq_band.size(); ++b) {
        PeqBand& band = ch.peq_band[b];
        if (b < kFactoryPeqFreq.size()) {
            band.freq = kFactoryPeqFreq[b];
        }
        band.gain = 150;
        band.q = 20;
        band.reserved = {};
        band.type = 0;
    }
    ch.peq_on = 1;
    ch.hpf_freq = 20;
    ch.hpf_mode = 2;
    ch.hpf_slope = 2;
    ch.hpf_on = 0;
    ch.lpf_freq = 20000;
    ch.lpf_mode = 2;
    ch.lpf_slope = 2;
    ch.lpf_on = 0;
    ch.mute = 0;
    ch.volume = i < kProcessedInputs ? 60 : 0;
    ch.phantom = 1;
    ch.priority = 0;
    ch.source = 0;
    ch.gain_step = 0;
    ch.automix_threshold = 35;
    ch.comp_on = 0;
    ch.comp_threshold = 30;
    ch.comp_attack = 100;
    ch.comp_release = 100;
    ch.comp_gain = 0;
    ch.comp_ratio = 10;
    ch.gate_on = 0;
    // "% d" writes a space where a sign would go, so the names read "CH 1" ... "CH 64".
    ch.short_name.assign(numbered_name("CH% d", i + 1));
    ch.index = i;
    ch.matrix_row.fill(1);
}

void factory_output(OutputChannel& out, int m) {
    for (GeqBand& band : out.geq_band) {
        band.gain = 150;
        band.q = 25;
        band.reserved = {};
    }
    out.geq_on = 0;
    out.mute = 0;
    out.phase = 100;
    out.volume = 0;
    out.delay_step = 0;
    out.line_mode = 1;
    out.fbk = 0;
    out.lim_on = 0;
    out.lim_threshold = 30;
    out.lim_attack = 100;
    out.lim_release = 100;
    out.lim_gain = 0;
    out.lim_ratio = 10;
    out.short_name.assign(default_output_short_name(m));
    out.index = m;
}

}  // namespace

void apply_factory_values(DeviceState& state) {
    for (int i = 0; i < kInputCount; ++i) {
        factory_input(state.inputs[static_cast<std::size_t>(i)], i);
    }
    for (int m = 0; m < kOutputCount; ++m) {
        factory_output(state.outputs[static_cast<std::size_t>(m)], m);
    }
    state.system.automix_cfg = {0, 1, 1, 0, 27, 1};
    state.system.automix_sync = 1;
    state.groups = GroupTables{};
}

}  // namespace kestra
