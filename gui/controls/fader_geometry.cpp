#include "controls/fader_geometry.h"

#include <algorithm>
#include <cmath>

namespace kestra {

// An empty range or a track shorter than the thumb has one place: the first end.
int FaderGeometry::pixel_of(int position) const {
    if (maximum == minimum || travel() <= 0)
        return lead + thumb / 2;
    double fraction = static_cast<double>(position - minimum) / (maximum - minimum);
    return lead + static_cast<int>(std::trunc(fraction * travel())) + thumb / 2;
}

int FaderGeometry::position_of(int pixel) const {
    if (travel() <= 0)
        return minimum;
    double fraction = static_cast<double>(pixel - thumb / 2 - lead) / travel();
    return static_cast<int>(std::trunc(fraction * (maximum - minimum) + minimum));
}

int FaderGeometry::clamp_pixel(int pixel) const {
    int low = lead + thumb / 2;
    int high = length - thumb / 2 - trail;
    return high < low ? low : std::clamp(pixel, low, high);
}

}  // namespace kestra
