#pragma once

namespace kestra {

// A PEQ band's type (0 peaking, 1 low shelf, 2 high shelf) and the filters' slopes. The wire
// counts types from 1; the slope selector shows slopes 2-4 ("-12dB/Oct" ... "-24dB/Oct") as
// items 0-2, and the processor alone sets the steeper slopes 5-8, which select no item.
class BandTypeLaw {
public:
    static constexpr int kFirstSlope = 2;
    static constexpr int kLastItemSlope = 4;

    static int wire(int type) { return type + 1; }
    static int type_of_wire(int wire) { return wire - 1; }

    // -1 for a slope the selector has no item for.
    static int slope_item(int slope);
    static int slope_of_item(int item);
    // The response curve's slope index, 0-6 for -12 ... -48 dB/oct.
    static int curve_slope_index(int slope) { return slope - kFirstSlope; }
};

}  // namespace kestra
