#include "dsp/biquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestra {

namespace {

// The shelves' slope parameter.
constexpr double kShelfSlope = 1.05;

// A zero a0 would divide by zero; the sections' own formulas keep it positive, so this only
// guards degenerate input.
double safe_a0(double a0) {
    return a0 == 0.0 ? 1e-10 : a0;
}

Biquad normalized(double b0, double b1, double b2, double a0, double a1, double a2) {
    a0 = safe_a0(a0);
    return Biquad{b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0};
}

double amplitude_of(double gain_db) {
    return std::pow(10.0, gain_db * 0.025);
}

struct ShelfTerms {
    double a;
    double beta;
    double c;
};

ShelfTerms shelf_terms(double w0, double gain_db) {
    const double a = amplitude_of(gain_db);
    // Outside the editor's +-15 dB the root's argument can turn negative; no slope is then
    // the nearest shelf there is.
    const double root = std::sqrt(std::max(0.0, (a + 1 / a) * (1 / kShelfSlope - 1) + 2));
    const double alpha = std::sin(w0) / 2 * root;
    return ShelfTerms{a, 2 * std::sqrt(a) * alpha, std::cos(w0)};
}

}  // namespace

Biquad Biquad::peaking(double w0, double gain_db, double q) {
    const double a = amplitude_of(gain_db);
    const double s = std::sin(w0);
    const double alpha = s * std::sinh(std::numbers::ln2 * (1 / q) * w0 / s);
    const double a0 = safe_a0(1 + alpha / a);
    const double b1 = -2 * std::cos(w0) / a0;
    return Biquad{(1 + alpha * a) / a0, b1, (1 - alpha * a) / a0, b1, (1 - alpha / a) / a0};
}

Biquad Biquad::low_shelf(double w0, double gain_db) {
    const auto [a, beta, c] = shelf_terms(w0, gain_db);
    return normalized(a * ((a + 1) - (a - 1) * c + beta), 2 * a * ((a - 1) - (a + 1) * c),
                      a * ((a + 1) - (a - 1) * c - beta), (a + 1) + (a - 1) * c + beta,
                      -2 * ((a - 1) + (a + 1) * c), (a + 1) + (a - 1) * c - beta);
}

Biquad Biquad::high_shelf(double w0, double gain_db) {
    const auto [a, beta, c] = shelf_terms(w0, gain_db);
    return normalized(a * ((a + 1) + (a - 1) * c + beta), -2 * a * ((a - 1) + (a + 1) * c),
                      a * ((a + 1) + (a - 1) * c - beta), (a + 1) - (a - 1) * c + beta,
                      2 * ((a - 1) - (a + 1) * c), (a + 1) - (a - 1) * c - beta);
}

Biquad Biquad::lowpass(double w0, double d) {
    const double alpha = std::sin(w0) * d;
    const double c = std::cos(w0);
    return normalized((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::highpass(double w0, double d) {
    const double alpha = std::sin(w0) * d;
    const double c = std::cos(w0);
    return normalized((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

Biquad Biquad::first_order_lowpass(double w0) {
    const double k = std::tan(w0 / 2);
    return normalized(k, k, 0, k + 1, k - 1, 0);
}

Biquad Biquad::first_order_highpass(double w0) {
    const double k = std::tan(w0 / 2);
    return normalized(1, -1, 0, k + 1, k - 1, 0);
}

double Biquad::magnitude_squared(double sin_phi, double cos_phi) const {
    return numerator_squared(sin_phi, cos_phi) / denominator_squared(sin_phi, cos_phi);
}

double Biquad::magnitude_db(double phi) const {
    return 10 * std::log10(magnitude_squared(std::sin(phi), std::cos(phi)));
}

}  // namespace kestra
