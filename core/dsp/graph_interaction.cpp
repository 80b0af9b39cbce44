#include "dsp/graph_interaction.h"

#include <algorithm>
#include <utility>

namespace kestra {

void GraphInteraction::set_markers(std::vector<GraphPoint> centres,
                                   std::vector<bool> horizontal_only) {
    horizontal_only.resize(centres.size(), false);
    // The held marker's centre is the mouse's, not the state's, until the drag ends.
    if (held_ && *held_ < static_cast<int>(markers_.size()) &&
        *held_ < static_cast<int>(centres.size())) {
        centres[static_cast<std::size_t>(*held_)] = markers_[static_cast<std::size_t>(*held_)];
    }
    markers_ = std::move(centres);
    horizontal_only_ = std::move(horizontal_only);
    if (held_ && *held_ >= static_cast<int>(markers_.size())) {
        held_.reset();
    }
}

std::vector<int> GraphInteraction::stacking() const {
    std::vector<int> order;
    for (const bool beneath : {true, false}) {
        for (std::size_t k = 0; k < markers_.size(); ++k) {
            if (horizontal_only_[k] == beneath && held_ != static_cast<int>(k)) {
                order.push_back(static_cast<int>(k));
            }
        }
    }
    if (held_) {
        order.push_back(*held_);
    }
    return order;
}

std::optional<int> GraphInteraction::hit(GraphPoint at) const {
    const std::vector<int> order = stacking();
    for (auto k = order.rbegin(); k != order.rend(); ++k) {
        if (GraphGeometry::marker_hit(markers_[static_cast<std::size_t>(*k)], at)) {
            return *k;
        }
    }
    return std::nullopt;
}

std::optional<int> GraphInteraction::press(GraphPoint at) {
    if (drawing_) {
        stroking_ = true;
        stroke_point_ = limited(at);
        return std::nullopt;
    }
    held_ = hit(at);
    last_held_ = held_;
    moved_x_ = false;
    moved_y_ = false;
    if (held_) {
        press_at_ = at;
        press_centre_ = markers_[static_cast<std::size_t>(*held_)];
    }
    return held_;
}

std::optional<int> GraphInteraction::move(GraphPoint at) {
    if (stroking_) {
        stroke_point_ = limited(at);
        return std::nullopt;
    }
    if (!held_) {
        return std::nullopt;
    }
    const auto k = static_cast<std::size_t>(*held_);
    moved_x_ = moved_x_ || at.x != press_at_.x;
    moved_y_ = moved_y_ || at.y != press_at_.y;
    GraphPoint next = limited(at);
    // Until the mouse goes that way the marker keeps its own place on the axis, which lies
    // between pixels.
    if (!moved_x_) {
        next.x = press_centre_.x;
    }
    if (!moved_y_ || horizontal_only_[k]) {
        next.y = horizontal_only_[k] ? markers_[k].y : press_centre_.y;
    }
    markers_[k] = next;
    return held_;
}

GraphPoint GraphInteraction::held_value(const GraphGeometry& geometry, GraphPoint before) const {
    if (!last_held_ || *last_held_ >= static_cast<int>(markers_.size())) {
        return before;
    }
    GraphPoint value = geometry.marker_value(markers_[static_cast<std::size_t>(*last_held_)]);
    if (!moved_x_) {
        value.x = before.x;
    }
    if (!moved_y_) {
        value.y = before.y;
    }
    return value;
}

std::optional<int> GraphInteraction::release() {
    stroking_ = false;
    return std::exchange(held_, std::nullopt);
}

GraphPoint GraphInteraction::limited(GraphPoint p) const {
    return {std::clamp(p.x, plot_.left, plot_.right), std::clamp(p.y, plot_.top, plot_.bottom)};
}

}  // namespace kestra
