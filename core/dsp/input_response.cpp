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
    for (std::size_t i = 0; i < powers_.size(); ++i) {
        powers_[i] = compute_power(params_[i]);
    }
    rebuild_sum();
}

int InputResponse::load(const InputChannel& channel, int input_index) {
    count_ = curve_count(input_index);
    const auto params = input_curve_params(channel);
    int recomputed = 0;
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (!(params[i] == params_[i])) {
            params_[i] = params[i];
            powers_[i] = compute_power(params[i]);
            ++recomputed;
        }
    }
    rebuild_sum();
    return recomputed;
}

bool InputResponse::set_curve(int index, const CurveParams& params) {
    const std::size_t i = checked(index);
    const bool changed = !(params == params_[i]);
    if (changed) {
        params_[i] = params;
        powers_[i] = compute_power(params);
    }
    rebuild_sum();
    return changed;
}

ResponseCurve InputResponse::curve(int index) const {
    return power_to_db(powers_[checked(index)]);
}

const CurveParams& InputResponse::params(int index) const {
    return params_[checked(index)];
}

void InputResponse::rebuild_sum() {
    PowerCurve product;
    product.fill(1);
    for (int i = 0; i < count_; ++i) {
        const PowerCurve& p = powers_[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < kGridPoints; ++k) {
            product[k] *= p[k];
        }
    }
    sum_ = power_to_db(product);
}

}  // namespace kestra
