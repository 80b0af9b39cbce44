#pragma once

#include <QWidget>
#include <vector>

namespace kestra {

// The small response graph of a strip: an input's equaliser curve over the 241-point grid or
// an output's 15 graphic-EQ band gains as bars, both on a -15 .. +15 dB scale. A click opens
// the channel's EQ editor.
class StripGraph : public QWidget {
    Q_OBJECT

public:
    static constexpr double kRangeDb = 15.0;

    explicit StripGraph(QWidget* parent = nullptr);

    // Repaints only when the values differ from those shown.
    void set_curve(const std::vector<double>& db);
    void set_bars(const std::vector<double>& db);
    const std::vector<double>& values() const { return values_; }
    bool shows_bars() const { return bars_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void take(const std::vector<double>& db, bool bars);
    double y_of(double db) const;

    std::vector<double> values_;
    bool bars_ = false;
};

}  // namespace kestra
