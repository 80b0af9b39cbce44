#pragma once

namespace kestra {

// Where a fader's thumb centre sits for a position and back. `lead`/`trail` are the track
// insets at the minimum and maximum ends, `length` the control's extent along the track and
// `thumb` the thumb's extent along it. Both conversions truncate toward zero.
struct FaderGeometry {
    int lead = 0;
    int trail = 0;
    int length = 0;
    int thumb = 0;
    int minimum = 0;
    int maximum = 100;

    int pixel_of(int position) const;
    int position_of(int pixel) const;
    // The thumb centre's travel: [lead + thumb / 2, length − thumb / 2 − trail].
    int clamp_pixel(int pixel) const;
    int travel() const { return length - lead - trail - thumb; }
};

}  // namespace kestra
