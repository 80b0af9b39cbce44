#pragma once

#include <QWidget>
#include <vector>

#include "dsp/graph_geometry.h"
#include "dsp/graph_interaction.h"

namespace kestra {

// The editors' graph: the EQ curve with its band and filter markers, the graphic EQ's 15 bars
// (with a draw mode), or a dynamics block's transfer curve with its three markers. Values go
// in as axis values; the geometry and the mouse rules are core's. Every move of a marker is
// reported with its values and `dragging` true, the release (or leaving the graph) once more
// with `dragging` false.
class ResponseGraph : public QWidget {
    Q_OBJECT

public:
    enum class Mode { Eq, Bars, Transfer };

    explicit ResponseGraph(Mode mode, QWidget* parent = nullptr);

    Mode mode() const { return mode_; }
    GraphGeometry geometry_now() const;
    // The curve as 241 grid values (EQ) or none.
    void set_curve(const GridValues& db);
    // Bar gains in dB (Bars).
    void set_bars(const std::vector<double>& db);
    // The transfer curve's corners in axis values (Transfer).
    void set_polyline(const std::vector<GraphPoint>& points);
    // Marker centres in axis values; `horizontal_only` markers move sideways only.
    void set_markers(const std::vector<GraphPoint>& values, std::vector<bool> horizontal_only = {});
    void set_drawing(bool on);
    bool drawing() const { return interaction_.drawing(); }

    // For the script driver's dump and anchors.
    std::vector<GraphPoint> marker_pixels() const { return interaction_.markers(); }
    std::vector<double> shown_values() const;
    bool dragging() const { return interaction_.held().has_value() || interaction_.stroking(); }
    // A marker's caption ("1" ... "15", "H", "L"), circle radius and the captions' font.
    QString marker_caption(int k) const;
    double marker_radius(int k) const;
    static QFont marker_font(const QFont& base);

signals:
    void marker_moved(int marker, double x_value, double y_value, bool dragging);
    void marker_double_clicked(int marker);
    // A draw stroke at the given axis values and pixels, and its end.
    void stroke(double x_value, double y_value, double x_pixel, double y_pixel);
    void stroke_finished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    GraphAxis x_axis() const;
    GraphAxis y_axis() const;
    void place_markers();
    void report(int marker, bool dragging);
    void finish();
    void paint_grid(QPainter& p, const GraphGeometry& g) const;
    void paint_bars(QPainter& p, const GraphGeometry& g) const;
    void paint_markers(QPainter& p) const;

    Mode mode_;
    GridValues curve_{};
    bool has_curve_ = false;
    std::vector<double> bars_;
    std::vector<GraphPoint> polyline_;
    std::vector<GraphPoint> marker_values_;
    std::vector<bool> horizontal_only_;
    GraphInteraction interaction_;
};

}  // namespace kestra
