#pragma once

#include <optional>
#include <vector>

#include "dsp/graph_geometry.h"

namespace kestra {

// What the mouse does on a response graph, in pixels, without any widget: which marker a
// press grabs, where a drag takes it, and when the drag ends (a release, or the mouse leaving
// the graph). A draw stroke is a drag that grabs no marker. The widget turns the results into
// values with its GraphGeometry and tells the editor.
class GraphInteraction {
public:
    // Markers in pixels; `horizontal_only` ones keep their y while dragged (the HPF and LPF).
    void set_markers(std::vector<GraphPoint> centres, std::vector<bool> horizontal_only = {});
    const std::vector<GraphPoint>& markers() const { return markers_; }
    void set_plot(GraphRect plot) { plot_ = plot; }
    void set_drawing(bool on) { drawing_ = on; }
    bool drawing() const { return drawing_; }

    // Marker indices from the bottom of the drawing to its top: the sideways-only markers lie
    // beneath the others, so a band marker moved onto a filter marker stays in sight; among
    // equals a later marker lies above an earlier one; the held marker is always on top.
    std::vector<int> stacking() const;
    // The marker a press at `at` grabs: the topmost one in `stacking` whose hit box holds it.
    // In draw mode no marker is grabbed and the press starts a stroke.
    std::optional<int> press(GraphPoint at);
    // The dragged marker with its new centre, limited to the plot; none when nothing is held.
    // A stroke reports the point itself through stroke_point instead.
    std::optional<int> move(GraphPoint at);
    // Ends a drag or a stroke; the marker that was held, if any. Leaving the graph is the same.
    std::optional<int> release();
    std::optional<int> held() const { return held_; }
    bool stroking() const { return stroking_; }
    // The last point of a stroke, limited to the plot.
    GraphPoint stroke_point() const { return stroke_point_; }
    // The marker a double-click at `at` lands on.
    std::optional<int> hit(GraphPoint at) const;
    // The value of the held (or just released) marker. An axis along which the mouse has not
    // moved since the press gives `before` back exactly: a pixel carries less than a value, so
    // a drag straight up must not shift the frequency by a rounding.
    GraphPoint held_value(const GraphGeometry& geometry, GraphPoint before) const;

private:
    GraphPoint limited(GraphPoint p) const;

    std::vector<GraphPoint> markers_;
    std::vector<bool> horizontal_only_;
    GraphRect plot_{0, 0, 1e9, 1e9};
    bool drawing_ = false;
    std::optional<int> held_;
    std::optional<int> last_held_;
    GraphPoint press_at_;
    GraphPoint press_centre_;
    bool moved_x_ = false;
    bool moved_y_ = false;
    bool stroking_ = false;
    GraphPoint stroke_point_;
};

}  // namespace kestra
