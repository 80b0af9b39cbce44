#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>

namespace kestra {

// The LED-style ladder shared by the level meters and the buttons' mini meters: contiguous
// 2-pixel rows from the bottom up, coloured by the zone the row's height falls in.
struct MeterZones {
    double low = 0.43;  // rows below this fraction of the height use the low colour
    double top = 0.58;  // rows from this fraction up use the top colour
};

class MeterLadder {
public:
    enum class Zone { low, middle, top };
    static constexpr int kRowHeight = 2;

    // Lit height in pixels of a value over [minimum, maximum] on a bar `height` pixels high,
    // the value clamped into the range; 0 for an empty range.
    static int lit_height(double value, double minimum, double maximum, int height);
    // Whole rows only: a row is lit when it lies entirely within the lit height, so a full
    // value lights the full ladder and a value at the minimum lights nothing.
    static int rows_within(int pixels) { return pixels / kRowHeight; }
    // Zone of the row whose bottom lies `offset` pixels above the bar's bottom.
    static Zone zone_at(int offset, int height, MeterZones zones);
    static QColor lit_colour(Zone zone);
    static QColor unlit_colour(Zone zone);

    // Draws `rows` rows of the ladder in `bar` (bottom up); lit or unlit colours.
    static void paint_rows(QPainter& painter, QRect bar, int rows, MeterZones zones, bool lit);
    // The same ladder laid on its side: 2-pixel columns from the left edge rightwards.
    static void paint_columns(QPainter& painter, QRect bar, int columns, MeterZones zones,
                              bool lit);
};

}  // namespace kestra
