#include "control/preset_recall_target.h"

namespace kestra {

void SendingRecallTarget::block_recalled(PresetTable table, int channel) {
    const DeviceState& s = context_.state();
    const int n = channel + 1;
    const bool processed_input = channel < kProcessedInputs;
    switch (table) {
        case PresetTable::Peq:
            if (processed_input) {
                for (int band = 1; band <= 4; ++band) {
                    context_.send(encode_peq_band(s, n, band), kPause);
                }
                context_.send(encode_low_pass(s, n), kPause);
                context_.send(encode_high_pass(s, n), kPause);
            }
            return;
        case PresetTable::Compressor:
            if (processed_input) {
                context_.send(encode_compressor(s, n), kPause);
            }
            return;
        case PresetTable::Geq:
            context_.send(encode_graphic_eq(s, n), kPause);
            return;
        case PresetTable::Limit:
            context_.send(encode_limiter(s, n), kPause);
            return;
        case PresetTable::Noise:
        case PresetTable::Delay:
        case PresetTable::Rev:
            return;
    }
}

}  // namespace kestra
