#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/device_state.h"

namespace kestra {

// The preset tables and the fixed-position hexadecimal text each keeps of one channel's block.
enum class PresetTable { Peq, Geq, Compressor, Noise, Limit, Delay, Rev };

inline constexpr PresetTable kPresetTables[] = {
    PresetTable::Peq,   PresetTable::Geq,   PresetTable::Compressor, PresetTable::Noise,
    PresetTable::Limit, PresetTable::Delay, PresetTable::Rev};

struct PresetTableInfo {
    const char* table;        // SQL table name
    const char* data_column;  // third column
    std::size_t length;       // characters of the encoded block
    bool output;              // block of an OutputChannel rather than an InputChannel
    int channels;             // channels a preset may be taken from or given to
};

const PresetTableInfo& preset_table_info(PresetTable table);
// By SQL table name, exactly as spelled ("PEQ", "Compressor", ...).
std::optional<PresetTable> preset_table_named(std::string_view name);

enum class PresetDecodeResult { Done, Damaged, OutOfRange };

class PresetCodec {
public:
    // The block of zero-based `channel` as stored text. A value that does not fit its field
    // (negative, or wider than its digits) would shift every later field, so it is refused:
    // nullopt, nothing encoded.
    static std::optional<std::string> encode(PresetTable table, const DeviceState& state,
                                             int channel);

    // Reads `text` into the block of `channel`. The text must have exactly the layout's length,
    // hexadecimal digits at every field and the separators where the layout has them
    // (otherwise Damaged), and every value within the range its block works with (otherwise
    // OutOfRange). Unless Done, the state is unchanged. `changed`, when given, tells whether
    // the channel held anything else before.
    static PresetDecodeResult decode(PresetTable table, std::string_view text, DeviceState& state,
                                     int channel, bool* changed = nullptr);
};

}  // namespace kestra
