#include "recall/preset_actions.h"

#include <charconv>
#include <limits>
#include <stdexcept>

#include "text/channel_name_rule.h"

namespace kestra {

namespace {

StateChange change_of(PresetTable table, int channel) {
    using B = StateChange::Block;
    using S = StateChange::Scope;
    switch (table) {
        case PresetTable::Peq:
            return {S::Input, channel, B::Peq};
        case PresetTable::Geq:
            return {S::Output, channel, B::Geq};
        case PresetTable::Compressor:
        case PresetTable::Noise:
            return {S::Input, channel, B::Compressor};
        case PresetTable::Limit:
            return {S::Output, channel, B::Limiter};
        case PresetTable::Delay:
        case PresetTable::Rev:
            break;
    }
    return {S::Input, channel, B::All};
}

void check_name(const std::string& name) {
    if (!channel_name_fits(name)) {
        throw std::invalid_argument(kChannelNameTooLong);
    }
}

}  // namespace

void PresetActions::check_channel(PresetTable table, int channel) const {
    const PresetTableInfo& info = preset_table_info(table);
    if (channel < 0 || channel >= info.channels) {
        throw std::invalid_argument(
            std::string(info.table) + " presets serve " + (info.output ? "outputs" : "inputs") +
            " 1-" + std::to_string(info.channels) + ", not " + std::to_string(channel + 1));
    }
}

void PresetActions::check_known(StoreResult result, PresetTable table, int id) {
    if (result == StoreResult::Missing) {
        throw std::invalid_argument("no preset " + std::to_string(id) + " in " +
                                    preset_table_info(table).table);
    }
}

std::optional<std::vector<PresetItem>> PresetActions::list(PresetTable table) {
    return library_.list(table);
}

std::optional<PresetItem> PresetActions::save(PresetTable table, int channel,
                                              const std::optional<std::string>& name) {
    check_channel(table, channel);
    if (name) {
        check_name(*name);
    }
    const std::optional<std::string> data = PresetCodec::encode(table, context_.state(), channel);
    if (!data) {
        context_.notice(kUnstorable);
        return std::nullopt;
    }
    const std::optional<int> highest = library_.highest_id(table);
    if (!highest) {
        return std::nullopt;
    }
    if (*highest == std::numeric_limits<int>::max()) {
        context_.notice(kNoId);
        return std::nullopt;
    }
    PresetItem item{*highest + 1, ""};
    item.name = name.value_or("SAVE" + std::to_string(item.id));
    if (!library_.insert(table, item, *data)) {
        return std::nullopt;
    }
    return item;
}

bool PresetActions::recall(PresetTable table, int id, int channel) {
    check_channel(table, channel);
    std::string data;
    const StoreResult r = library_.read(table, id, data);
    check_known(r, table, id);
    if (r != StoreResult::Done) {
        return false;
    }
    bool wrote = false;
    switch (PresetCodec::decode(table, data, context_.state(), channel, &wrote)) {
        case PresetDecodeResult::Done:
            context_.label(context_.channel_label(preset_table_info(table).output, channel) + " " +
                           preset_table_info(table).table + " preset " + std::to_string(id) +
                           " recalled");
            break;
        case PresetDecodeResult::Damaged:
            context_.notice(kDamaged);
            return false;
        case PresetDecodeResult::OutOfRange:
            context_.notice(kOutOfRange);
            return false;
    }
    // The editor's resend and its copies to group members are part of the recall.
    const ActionContext::OriginScope recalled(context_, ChangeOrigin::Recall);
    context_.changed_if(wrote, change_of(table, channel));
    if (table == PresetTable::Peq) {
        context_.changed_if(wrote,
                            {StateChange::Scope::Input, channel, StateChange::Block::Filters});
    }
    target_.block_recalled(table, channel);
    last_recalled_[{table, channel}] = id;
    return true;
}

bool PresetActions::rename(PresetTable table, int id, const std::string& name) {
    check_name(name);
    const StoreResult r = library_.rename(table, id, name);
    check_known(r, table, id);
    return r == StoreResult::Done;
}

bool PresetActions::remove(PresetTable table, int id) {
    if (!context_.ask(kDeleteQuestion)) {
        return false;
    }
    const StoreResult r = library_.remove(table, id);
    check_known(r, table, id);
    if (r != StoreResult::Done) {
        return false;
    }
    // A later save may take the freed ID; it is not what those channels hold.
    std::erase_if(last_recalled_, [&](const auto& entry) {
        return entry.first.first == table && entry.second == id;
    });
    return true;
}

std::optional<int> PresetActions::last_recalled(PresetTable table, int channel) const {
    const auto it = last_recalled_.find({table, channel});
    if (it == last_recalled_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<int> PresetActions::item_id(std::string_view item_text) {
    const std::size_t colon = item_text.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        return std::nullopt;
    }
    int id = 0;
    const char* end = item_text.data() + colon;
    const auto [ptr, ec] = std::from_chars(item_text.data(), end, id);
    if (ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return id;
}

}  // namespace kestra
