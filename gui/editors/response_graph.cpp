#include "editors/response_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "dsp/geq_bars.h"
#include "dsp/transfer_graph.h"
#include "skin/skin_palette.h"

namespace kestra {

namespace {

const QColor kFace = skin::SkinPalette::graph_face();
const QColor kFrame = skin::SkinPalette::graph_frame();
const QColor kGrid = skin::SkinPalette::graph_grid();
const QColor kGridStrong = skin::SkinPalette::graph_grid_strong();
const QColor kText = skin::SkinPalette::caption();
const QColor kCurve = skin::SkinPalette::graph_curve();
const QColor kTrack = skin::SkinPalette::graph_track();
const QColor kBar = skin::SkinPalette::graph_bar();
const QColor kMarker = skin::SkinPalette::graph_marker();

QRectF rect_of(const GraphRect& r) {
    return {QPointF(r.left, r.top), QPointF(r.right, r.bottom)};
}

QPointF point_of(const GraphPoint& p) {
    return {p.x, p.y};
}

GraphPoint graph_point(const QMouseEvent* e) {
    return {e->position().x(), e->position().y()};
}

}  // namespace

ResponseGraph::ResponseGraph(Mode mode, QWidget* parent) : QWidget(parent), mode_(mode) {
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

GraphAxis ResponseGraph::x_axis() const {
    switch (mode_) {
        case Mode::Eq:
            return kFrequencyAxis;
        case Mode::Bars:
            return kGeqBandAxis;
        case Mode::Transfer:
            return kTransferAxis;
    }
    return kFrequencyAxis;
}

GraphAxis ResponseGraph::y_axis() const {
    return mode_ == Mode::Transfer ? kTransferAxis : kEqGainAxis;
}

GraphGeometry ResponseGraph::geometry_now() const {
    if (mode_ == Mode::Transfer) {
        return GraphGeometry(transfer_plot_rect(width(), height()), x_axis(), y_axis());
    }
    return GraphGeometry(width(), height(), x_axis(), y_axis());
}

void ResponseGraph::set_curve(const GridValues& db) {
    curve_ = db;
    has_curve_ = true;
    update();
}

void ResponseGraph::set_bars(const std::vector<double>& db) {
    bars_ = db;
    update();
}

void ResponseGraph::set_polyline(const std::vector<GraphPoint>& points) {
    polyline_ = points;
    update();
}

void ResponseGraph::set_markers(const std::vector<GraphPoint>& values,
                                std::vector<bool> horizontal_only) {
    marker_values_ = values;
    horizontal_only_ = std::move(horizontal_only);
    place_markers();
    update();
}

void ResponseGraph::set_drawing(bool on) {
    interaction_.set_drawing(on);
    update();
}

void ResponseGraph::place_markers() {
    const GraphGeometry g = geometry_now();
    std::vector<GraphPoint> pixels;
    for (const GraphPoint& v : marker_values_) {
        pixels.push_back(g.marker_centre(v.x, v.y));
    }
    interaction_.set_plot(g.plot());
    interaction_.set_markers(std::move(pixels), horizontal_only_);
}

std::vector<double> ResponseGraph::shown_values() const {
    if (mode_ == Mode::Bars) {
        return bars_;
    }
    if (mode_ == Mode::Eq && has_curve_) {
        return {curve_.begin(), curve_.end()};
    }
    std::vector<double> flat;
    for (const GraphPoint& p : polyline_) {
        flat.push_back(p.y);
    }
    return flat;
}

void ResponseGraph::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place_markers();
}

void ResponseGraph::report(int marker, bool dragging) {
    const auto k = static_cast<std::size_t>(marker);
    const GraphPoint before = k < marker_values_.size()
                                  ? marker_values_[k]
                                  : geometry_now().marker_value(interaction_.markers()[k]);
    const GraphPoint v = interaction_.held_value(geometry_now(), before);
    emit marker_moved(marker, v.x, v.y, dragging);
}

void ResponseGraph::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    interaction_.press(graph_point(event));
    if (interaction_.stroking()) {
        const GraphPoint at = interaction_.stroke_point();
        const GraphPoint v = geometry_now().marker_value(at);
        emit stroke(v.x, v.y, at.x, at.y);
    }
    update();
}

void ResponseGraph::mouseMoveEvent(QMouseEvent* event) {
    if (interaction_.stroking()) {
        interaction_.move(graph_point(event));
        const GraphPoint at = interaction_.stroke_point();
        const GraphPoint v = geometry_now().marker_value(at);
        emit stroke(v.x, v.y, at.x, at.y);
        return;
    }
    if (const auto k = interaction_.move(graph_point(event))) {
        report(*k, true);
        update();
    }
}

void ResponseGraph::finish() {
    const bool stroked = interaction_.stroking();
    if (const auto k = interaction_.release()) {
        report(*k, false);
    } else if (stroked) {
        emit stroke_finished();
    }
    update();
}

void ResponseGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        finish();
    }
}

void ResponseGraph::leaveEvent(QEvent* event) {
    if (dragging()) {
        finish();  // leaving while dragging counts as the release
    }
    QWidget::leaveEvent(event);
}

void ResponseGraph::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || interaction_.drawing()) {
        return;
    }
    if (const auto k = interaction_.hit(graph_point(event))) {
        emit marker_double_clicked(*k);
    }
}

void ResponseGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kFace);
    const GraphGeometry g = geometry_now();
    paint_grid(p, g);
    p.setRenderHint(QPainter::Antialiasing);
    if (mode_ == Mode::Bars) {
        paint_bars(p, g);
    } else {
        QPainterPath path;
        std::vector<GraphPoint> points;
        if (mode_ == Mode::Eq && has_curve_) {
            points = g.curve_polyline(curve_);
        } else {
            for (const GraphPoint& v : polyline_) {
                points.push_back({g.x_of(v.x), g.y_of(v.y)});
            }
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i == 0) {
                path.moveTo(point_of(points[i]));
            } else {
                path.lineTo(point_of(points[i]));
            }
        }
        p.setPen(QPen(kCurve, 2));
        p.drawPath(path);
    }
    paint_markers(p);
}

void ResponseGraph::paint_grid(QPainter& p, const GraphGeometry& g) const {
    const QRectF plot = rect_of(g.plot());
    QFont font = p.font();
    font.setPixelSize(12);
    p.setFont(font);
    if (mode_ == Mode::Transfer) {
        for (const TransferGridLine& line : transfer_grid_lines(g)) {
            p.setPen(kGrid);
            p.drawLine(QPointF(line.x, plot.top()), QPointF(line.x, plot.bottom()));
            p.drawLine(QPointF(plot.left(), line.y), QPointF(plot.right(), line.y));
            p.setPen(kText);
            const QString text = QString::fromStdString(line.text);
            p.drawText(rect_of(line.x_label), Qt::AlignCenter, text);
            QFont narrow = font;
            narrow.setPixelSize(10);
            p.setFont(narrow);
            p.drawText(rect_of(line.y_label), Qt::AlignRight | Qt::AlignVCenter, text);
            p.setFont(font);
        }
    } else {
        for (const GridLine& line : g.value_grid_lines()) {
            p.setPen(kGrid);
            p.drawLine(QPointF(plot.left(), line.position), QPointF(plot.right(), line.position));
        }
        for (const AxisLabel& label : g.value_labels()) {
            p.setPen(kText);
            p.drawText(rect_of(label.box), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromStdString(label.text));
        }
        if (mode_ == Mode::Eq) {
            for (const GridLine& line : g.frequency_grid_lines()) {
                QPen pen(line.solid ? kGridStrong : kGrid);
                pen.setStyle(line.solid ? Qt::SolidLine : Qt::DotLine);
                p.setPen(pen);
                p.drawLine(QPointF(line.position, plot.top()),
                           QPointF(line.position, plot.bottom()));
            }
            p.setPen(kText);
            for (const AxisLabel& label : g.frequency_labels()) {
                p.drawText(rect_of(label.box), Qt::AlignCenter, QString::fromStdString(label.text));
            }
        }
    }
    p.setPen(kFrame);
    p.drawRect(plot);
}

void ResponseGraph::paint_bars(QPainter& p, const GraphGeometry& g) const {
    GeqGains gains{};
    for (std::size_t b = 0; b < gains.size() && b < bars_.size(); ++b) {
        gains[b] = bars_[b];
    }
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    for (const GeqBar& bar : geq_bars(g, gains)) {
        p.fillRect(rect_of(bar.track), kTrack);
        p.fillRect(rect_of(bar.value), kBar);
        p.setPen(kText);
        for (const AxisLabel& label : bar.labels) {
            p.drawText(rect_of(label.box), Qt::AlignCenter, QString::fromStdString(label.text));
        }
    }
}

QString ResponseGraph::marker_caption(int k) const {
    // The EQ's last two markers are its filters.
    if (mode_ == Mode::Eq && k >= 4) {
        return k == 4 ? QStringLiteral("H") : QStringLiteral("L");
    }
    return QString::number(k + 1);
}

QFont ResponseGraph::marker_font(const QFont& base) {
    QFont font = base;
    font.setPixelSize(10);
    font.setBold(true);
    return font;
}

double ResponseGraph::marker_radius(int k) const {
    return GraphGeometry::marker_radius(static_cast<std::size_t>(marker_caption(k).size()));
}

void ResponseGraph::paint_markers(QPainter& p) const {
    const auto& markers = interaction_.markers();
    p.setFont(marker_font(p.font()));
    for (const int k : interaction_.stacking()) {
        const bool held = interaction_.held() == k;
        const QPointF c = point_of(markers[static_cast<std::size_t>(k)]);
        const double r = marker_radius(k);
        p.setPen(QPen(held ? Qt::white : kMarker, 1.5));
        p.setBrush(skin::SkinPalette::display_veil());
        p.drawEllipse(c, r, r);
        p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter, marker_caption(k));
    }
    p.setBrush(Qt::NoBrush);
}

}  // namespace kestra
