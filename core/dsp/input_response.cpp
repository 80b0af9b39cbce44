#include "dsp/input_response.h"

#include <stdexcept>
#include <string>

namespace kestra {

namespace {

std::size_t checked(int index) {
    if (index < 0 || index >= kInputCurves) {
        throw std::out_of_range("curve index " + std::to_string(index));
    }
    return static_cast<std::size_t>(index);
}

}  // namespace

InputResponse::InputResponse() {
    for (std::size_t i = 0; i < curves_.size(); ++i) {
        curves_[i] = compute_curve(specs_[i]);
    }
    rebuild_sum();
}

int InputResponse::load(const InputChannel& channel, int input_index) {
    count_ = curve_count(input_index);
    const auto specs = input_curve_specs(channel);
    int recomputed = 0;
    for (std::size_t i = 0; i < specs.size(); ++i) {
        if (!(specs[i] == specs_[i])) {
            specs_[i] = specs[i];
            curves_[i] = compute_curve(specs[i]);
            ++recomputed;
        }
    }
    rebuild_sum();
    return recomputed;
}

bool InputResponse::set_curve(int index, const CurveSpec& spec) {
    const std::size_t i = checked(index);
    const bool changed = !(spec == specs_[i]);
    if (changed) {
        specs_[i] = spec;
        curves_[i] = compute_curve(spec);
    }
    rebuild_sum();
    return changed;
}

const ResponseCurve& InputResponse::curve(int index) const {
    return curves_[checked(index)];
}

const CurveSpec& InputResponse::spec(int index) const {
    return specs_[checked(index)];
}

void InputResponse::rebuild_sum() {
    sum_.fill(0);
    for (int i = 0; i < count_; ++i) {
        add_curve(sum_, curves_[static_cast<std::size_t>(i)]);
    }
}

}  // namespace kestra
