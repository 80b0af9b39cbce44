#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "actions/action_context.h"
#include "recall/preset_library.h"
#include "recall/preset_recall_target.h"

namespace kestra {

// The preset workflow every block editor shares, for one table and the editor's channel
// (zero-based, of the table's kind). IDs, channels and names that do not exist or do not fit
// throw std::invalid_argument with nothing changed; store failures are told by the store.
class PresetActions {
public:
    static constexpr const char* kDamaged = "The stored preset is damaged and was not recalled.";
    static constexpr const char* kOutOfRange =
        "The stored preset holds a value outside its range and was not recalled.";
    static constexpr const char* kNoId =
        "The table's highest preset ID is 2147483647; no new preset can follow it.";
    static constexpr const char* kUnstorable =
        "The block holds a value its preset layout cannot keep; nothing was saved.";
    // A delete cannot be undone, so it asks first, in the words the scenes use.
    static constexpr const char* kDeleteQuestion = "Do you want to delete the setting\uFF1F";

    PresetActions(ActionContext& context, PresetLibrary& library, PresetRecallTarget& target)
        : context_(context), library_(library), target_(target) {}

    // The selector's rows, in ID order; nullopt after a noticed store error.
    std::optional<std::vector<PresetItem>> list(PresetTable table);
    // The block of `channel` as a new row with the next ID, named "SAVE<id>" unless `name` is
    // given; nullopt (no row) when the store failed or the block cannot be encoded.
    std::optional<PresetItem> save(PresetTable table, int channel,
                                   const std::optional<std::string>& name = std::nullopt);
    // Decodes the stored block into `channel`, publishes the change and hands the block to the
    // recall target. A stored text that does not match its layout is refused with a notice.
    bool recall(PresetTable table, int id, int channel);
    bool rename(PresetTable table, int id, const std::string& name);
    // Asks kDeleteQuestion first; false, with nothing deleted, when the operator says no.
    bool remove(PresetTable table, int id);

    // The preset last recalled into `channel` of the table, so its selector can show what the
    // channel holds; none before a recall and once that preset is deleted.
    std::optional<int> last_recalled(PresetTable table, int channel) const;

    // The ID of a selector item "ID:NAME"; nullopt when the text holds no ":" or no number
    // before it.
    static std::optional<int> item_id(std::string_view item_text);

private:
    void check_channel(PresetTable table, int channel) const;
    static void check_known(StoreResult result, PresetTable table, int id);

    ActionContext& context_;
    PresetLibrary& library_;
    PresetRecallTarget& target_;
    std::map<std::pair<PresetTable, int>, int> last_recalled_;  // (table, channel) -> ID
};

}  // namespace kestra
