#include "strips/strip_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "skin/skin_palette.h"

namespace kestra {

namespace {

const QColor kFace = skin::SkinPalette::strip_graph_face();
const QColor kGrid = skin::SkinPalette::strip_graph_grid();
const QColor kCurve = skin::SkinPalette::graph_curve();
const QColor kBar = skin::SkinPalette::graph_bar();

}  // namespace

StripGraph::StripGraph(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
}

void StripGraph::set_curve(const std::vector<double>& db) {
    take(db, false);
}

void StripGraph::set_bars(const std::vector<double>& db) {
    take(db, true);
}

void StripGraph::take(const std::vector<double>& db, bool bars) {
    if (db == values_ && bars == bars_) {
        return;
    }
    values_ = db;
    bars_ = bars;
    update();
}

double StripGraph::y_of(double db) const {
    const double h = height() - 1;
    const double clamped = std::clamp(db, -kRangeDb, kRangeDb);
    return h / 2 - clamped / kRangeDb * (h / 2 - 2);
}

void StripGraph::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kFace);
    p.setPen(kGrid);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawLine(QPointF(1, y_of(0)), QPointF(width() - 2, y_of(0)));
    if (values_.empty()) {
        return;
    }
    p.setRenderHint(QPainter::Antialiasing);
    const double w = width() - 4;
    const auto n = static_cast<double>(values_.size());
    if (bars_) {
        const double slot = w / n;
        for (std::size_t i = 0; i < values_.size(); ++i) {
            const double x = 2 + static_cast<double>(i) * slot;
            const double top = std::min(y_of(values_[i]), y_of(0));
            const double bottom = std::max(y_of(values_[i]), y_of(0));
            p.fillRect(QRectF(x + 0.5, top, std::max(1.0, slot - 1.5), std::max(1.0, bottom - top)),
                       kBar);
        }
        return;
    }
    QPainterPath path;
    for (std::size_t i = 0; i < values_.size(); ++i) {
        const QPointF at(2 + static_cast<double>(i) * w / (n - 1), y_of(values_[i]));
        if (i == 0) {
            path.moveTo(at);
        } else {
            path.lineTo(at);
        }
    }
    p.setPen(QPen(kCurve, 1.4));
    p.drawPath(path);
}

void StripGraph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace kestra
