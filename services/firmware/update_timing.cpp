#include "firmware/update_timing.h"

#include <algorithm>

namespace kestra {

namespace {

UpdateTiming::ms scale(UpdateTiming::ms d, double factor) {
    const auto scaled = static_cast<UpdateTiming::ms::rep>(static_cast<double>(d.count()) * factor);
    return UpdateTiming::ms(std::max<UpdateTiming::ms::rep>(scaled, 1));
}

}  // namespace

UpdateTiming UpdateTiming::scaled(double factor) const {
    factor = std::clamp(factor, 0.0, 1.0);
    UpdateTiming t = *this;
    for (ms* d :
         {&t.release_settle, &t.version_timeout, &t.drain_quiet, &t.start_timeout, &t.start_quiet,
          &t.block_pause, &t.block_timeout, &t.block_quiet, &t.completion_pause,
          &t.completion_timeout, &t.completion_quiet, &t.between_images, &t.collect_limit}) {
        *d = scale(*d, factor);
    }
    return t;
}

}  // namespace kestra
