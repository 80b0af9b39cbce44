#include "model/device_state.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace kestra {

namespace {

constexpr std::array<int32_t, kPeqBands> kPeqDefaultFreq{200, 500, 1250, 2000, 5000};
constexpr std::array<int32_t, kGeqBands> kGeqDefaultFreq{
    20,  25,   32,   40,   50,   63,   80,   100,  125,  160,  200,  250,   315,   400,   500,  630,
    800, 1000, 1250, 1600, 2000, 2500, 3150, 4000, 5000, 6300, 8000, 10000, 12500, 16000, 20000};

void clamp(int32_t& v, int32_t lo, int32_t hi) {
    v = std::clamp(v, lo, hi);
}

}  // namespace

std::string numbered_name(const char* format, int n) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, n);
    return buf;
}

std::string default_output_short_name(int index) {
    const bool master = index < kMasterOutputs;
    return numbered_name(master ? "M %d" : "D %d", master ? index + 1 : index - kMasterOutputs + 1);
}

DeviceState::DeviceState() {
    reset_defaults();
}

void DeviceState::reset_defaults() {
    for (int i = 0; i < kInputCount; ++i) {
        InputChannel ch;
        for (int b = 0; b < kPeqBands; ++b) {
            ch.peq_band[static_cast<std::size_t>(b)].freq =
                kPeqDefaultFreq[static_cast<std::size_t>(b)];
        }
        ch.name.assign(numbered_name("CH %d", i + 1));
        ch.short_name.assign(numbered_name("CH %02d", i + 1));
        ch.index = i;
        inputs[static_cast<std::size_t>(i)] = ch;
    }
    for (int m = 0; m < kOutputCount; ++m) {
        OutputChannel out;
        for (int b = 0; b < kGeqBands; ++b) {
            out.geq_band[static_cast<std::size_t>(b)].freq =
                kGeqDefaultFreq[static_cast<std::size_t>(b)];
        }
        const bool master = m < kMasterOutputs;
        const int k = master ? m + 1 : m - kMasterOutputs + 1;
        out.short_name.assign(default_output_short_name(m));
        out.name.assign(numbered_name(master ? "MASTER %d" : "DANTE %d", k));
        out.index = m;
        outputs[static_cast<std::size_t>(m)] = out;
    }
    system = SystemBlock{};
    groups.clear_leading_words();
    unnamed.assign(kImageSize, 0);
}

void DeviceState::sanitize_after_bulk() {
    for (auto& ch : inputs) {
        clamp(ch.automix_threshold, 0, 80);
        ch.peq_on = 1;
        ch.hpf_mode = 2;
        ch.lpf_mode = 2;
        clamp(ch.hpf_freq, 20, 20000);
        clamp(ch.lpf_freq, 20, 20000);
        clamp(ch.hpf_slope, 2, 8);
        clamp(ch.lpf_slope, 2, 8);
        for (int b = 0; b < 4; ++b) {
            PeqBand& band = ch.peq_band[static_cast<std::size_t>(b)];
            clamp(band.freq, 20, 20000);
            clamp(band.gain, 0, 300);
            clamp(band.q, 1, 200);
            clamp(band.type, 0, 2);
        }
        clamp(ch.source, 0, 4);
    }
    for (auto& out : outputs) {
        for (int b = 0; b < 15; ++b) {
            clamp(out.geq_band[static_cast<std::size_t>(b)].gain, 0, 300);
        }
    }
    clamp(system.automix_cfg[4], 0, 30);
}

}  // namespace kestra
