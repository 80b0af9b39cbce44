#pragma once

namespace kestra {

// One filter section, coefficients divided by a0. A first-order section has b2 = a2 = 0.
// Angles are radians at the processor's sample rate (see angle_of).
struct Biquad {
    double b0 = 1;
    double b1 = 0;
    double b2 = 0;
    double a1 = 0;
    double a2 = 0;

    static Biquad peaking(double w0, double gain_db, double q);
    // The corner angle is used as given; the band's own corner shift is the caller's.
    static Biquad low_shelf(double w0, double gain_db);
    static Biquad high_shelf(double w0, double gain_db);
    // Second-order section with damping value d (alpha = sin(w0) * d).
    static Biquad lowpass(double w0, double d);
    static Biquad highpass(double w0, double d);
    static Biquad first_order_lowpass(double w0);
    static Biquad first_order_highpass(double w0);

    // |H|^2 at angle phi, from its sine and cosine (callers keep them per grid point), and
    // its numerator and denominator apart, so a cascade divides once.
    double magnitude_squared(double sin_phi, double cos_phi) const;
    // Inline: they sit in the innermost loop of every curve.
    double numerator_squared(double sin_phi, double cos_phi) const {
        const double im = (b0 - b2) * sin_phi;
        const double re = b1 + (b0 + b2) * cos_phi;
        return im * im + re * re;
    }
    double denominator_squared(double sin_phi, double cos_phi) const {
        const double im = (1 - a2) * sin_phi;
        const double re = a1 + (1 + a2) * cos_phi;
        return im * im + re * re;
    }
    // 20 log10 |H| at angle phi.
    double magnitude_db(double phi) const;
};

}  // namespace kestra
