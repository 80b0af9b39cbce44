#include "recall/preset_recall_target.h"

namespace kestra {

void EditorRecallTarget::block_recalled(PresetTable table, int channel) {
    switch (table) {
        case PresetTable::Peq:
            peq_.block_recalled(channel);
            return;
        case PresetTable::Compressor:
            compressor_.block_recalled(channel);
            return;
        case PresetTable::Geq:
            geq_.block_recalled(channel);
            return;
        case PresetTable::Limit:
            limiter_.block_recalled(channel);
            return;
        case PresetTable::Noise:
        case PresetTable::Delay:
        case PresetTable::Rev:
            return;
    }
}

}  // namespace kestra
