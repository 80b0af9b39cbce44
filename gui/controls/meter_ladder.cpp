#include "controls/meter_ladder.h"

#include <algorithm>
#include <cmath>

namespace kestra {

int MeterLadder::lit_height(double value, double minimum, double maximum, int height) {
    if (!(maximum > minimum) || height <= 0)
        return 0;
    double clamped = std::clamp(value, minimum, maximum);
    return static_cast<int>(std::trunc(height * (clamped - minimum) / (maximum - minimum)));
}

MeterLadder::Zone MeterLadder::zone_at(int offset, int height, MeterZones zones) {
    double fraction = height > 0 ? static_cast<double>(offset) / height : 0.0;
    if (fraction < zones.low)
        return Zone::low;
    if (fraction >= zones.top)
        return Zone::top;
    return Zone::middle;
}

QColor MeterLadder::lit_colour(Zone zone) {
    switch (zone) {
        case Zone::low:
            return {219, 254, 36};
        case Zone::middle:
            return {255, 176, 35};
        case Zone::top:
            break;
    }
    return {255, 35, 35};
}

QColor MeterLadder::unlit_colour(Zone zone) {
    switch (zone) {
        case Zone::low:
            return {61, 73, 1};
        case Zone::middle:
            return {72, 48, 0};
        case Zone::top:
            break;
    }
    return {72, 0, 1};
}

// Runs of rows in one zone are filled as one rectangle.
void MeterLadder::paint_rows(QPainter& painter, QRect bar, int rows, MeterZones zones, bool lit) {
    int height = bar.height();
    int bottom = bar.top() + height;
    int row = 0;
    while (row < rows) {
        Zone zone = zone_at(row * kRowHeight, height, zones);
        int end = row + 1;
        while (end < rows && zone_at(end * kRowHeight, height, zones) == zone)
            ++end;
        int top = bottom - end * kRowHeight;
        int run = (end - row) * kRowHeight;
        painter.fillRect(QRect(bar.left(), top, bar.width(), run),
                         lit ? lit_colour(zone) : unlit_colour(zone));
        row = end;
    }
}

void MeterLadder::paint_columns(QPainter& painter, QRect bar, int columns, MeterZones zones,
                                bool lit) {
    int width = bar.width();
    int column = 0;
    while (column < columns) {
        Zone zone = zone_at(column * kRowHeight, width, zones);
        int end = column + 1;
        while (end < columns && zone_at(end * kRowHeight, width, zones) == zone)
            ++end;
        painter.fillRect(QRect(bar.left() + column * kRowHeight, bar.top(),
                               (end - column) * kRowHeight, bar.height()),
                         lit ? lit_colour(zone) : unlit_colour(zone));
        column = end;
    }
}

}  // namespace kestra
