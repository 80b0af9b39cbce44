// A preset row as a database edited elsewhere may hold it -> StoreRows and PresetCodec,
// checking that
//  - a stored text the codec takes leaves the block within the ranges of a scene and encodes
//    back to a text the codec takes again with the same block,
//  - a refused text changes nothing.
// Input: one byte for the table and the channel, then the ID, NAME and data texts separated
// by '\n'.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/preset_codec.h"
#include "recall/store_rows.h"
#include "stored_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace kestra;
    if (size == 0) {
        return 0;
    }
    const PresetTable table = kPresetTables[data[0] % std::size(kPresetTables)];
    const int channel = (data[0] >> 3) % preset_table_info(table).channels;
    std::vector<std::string> row(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == '\n' && row.size() < 3) {
            row.emplace_back();
        } else {
            row.back() += static_cast<char>(data[i]);
        }
    }
    if (const auto item = StoreRows::preset(row)) {
        fuzz::require(item->id >= 1 && StoreRows::id(std::to_string(item->id)) == item->id);
    }
    const std::string text = row.size() == 3 ? row[2] : std::string();

    static const DeviceState fresh;
    static DeviceState state;
    state = fresh;
    if (PresetCodec::decode(table, text, state, channel) != PresetDecodeResult::Done) {
        fuzz::require(state == fresh);
        return 0;
    }
    fuzz::require_sendable(state, fresh);
    const auto again = PresetCodec::encode(table, state, channel);
    fuzz::require(again.has_value());
    static DeviceState copy;
    copy = fresh;
    fuzz::require(PresetCodec::decode(table, *again, copy, channel) == PresetDecodeResult::Done);
    fuzz::require(copy == state);
    return 0;
}
