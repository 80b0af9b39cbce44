#include "params/band_type_law.h"

#include <algorithm>

namespace kestra {

int BandTypeLaw::slope_item(int slope) {
    return (slope >= kFirstSlope && slope <= kLastItemSlope) ? slope - kFirstSlope : -1;
}

int BandTypeLaw::slope_of_item(int item) {
    return std::clamp(item, 0, kLastItemSlope - kFirstSlope) + kFirstSlope;
}

}  // namespace kestra
