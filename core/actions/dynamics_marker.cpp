#include "actions/dynamics_marker.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "dsp/transfer_graph.h"

namespace kestra {

DynamicsMarkerValue dynamics_marker_value(int marker, double x_db, double y_db,
                                          int stored_threshold) {
    if (!std::isfinite(x_db) || !std::isfinite(y_db)) {
        throw std::invalid_argument("marker position is not a number");
    }
    switch (marker) {
        case 0:
            return {DynamicsField::Threshold, threshold_code_of_marker(x_db)};
        case 1: {
            const double t = transfer_params(stored_threshold, 10, 0).threshold_db;
            return {DynamicsField::Ratio, ratio_code_of_marker(GraphPoint{x_db, y_db}, t)};
        }
        case 2:
            return {DynamicsField::Gain, gain_code_of_marker(y_db)};
        default:
            throw std::invalid_argument("dynamics marker " + std::to_string(marker) +
                                        " is outside 0..2");
    }
}

}  // namespace kestra
