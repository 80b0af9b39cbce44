#pragma once

namespace kestra {

// Static transfer curve of the compressor and limiter: output level for input level x (dB),
// threshold t (dB), ratio r (1:r) and make-up gain g (dB).
double dynamics_transfer(double x, double t, double r, double g);

// The IN / OUT / GR bars of a dynamics meter, from a reported level 0-70 and the block's
// stored threshold (0-60), ratio (x10) and gain (x10). GR is 60 for no gain change.
struct DynamicsMeter {
    double in = 0;
    double out = 0;
    double gr = 60;
    // What the GR bar shows: the dB taken off (IN above OUT), 0 when nothing is reduced; a
    // make-up gain above the input is not a reduction.
    double reduction() const { return gr < 60 ? 60 - gr : 0; }
};
DynamicsMeter dynamics_meter(int level, int threshold, int ratio, int gain);

}  // namespace kestra
