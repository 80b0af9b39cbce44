#include "actions/unit_actions.h"

#include <algorithm>
#include <stdexcept>

namespace kestra {

namespace {

constexpr int kRecords = UnitPanel::kButtons;
constexpr int kSlots = UnitPanel::kSlots;
constexpr int kProcessorRecord = 0;
constexpr int kLastProcessorSlot = kSlots - 2;  // the processor's record shows slots 0-3
constexpr int kFirstMaster = 65;
constexpr int kFirstDante = 73;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

}  // namespace

std::string UnitActions::button_caption(int record) {
    if (record < 0 || record >= kRecords) {
        throw std::invalid_argument("unit record " + std::to_string(record) + " is outside 0..10");
    }
    return record == kProcessorRecord ? "KESTRA-V " : numbered_name("WTU-300-%02d", record);
}

std::string UnitActions::item_text(int index) {
    if (index <= 0 || index >= kItems) {
        return "NULL";
    }
    if (index < kFirstMaster) {
        return numbered_name("CH%02d", index);
    }
    if (index < kFirstDante) {
        return numbered_name("M%02d", index - kFirstMaster + 1);
    }
    return numbered_name("D%02d", index - kFirstDante + 1);
}

std::optional<int> UnitActions::item_index(std::string_view text) {
    for (int i = 0; i < kItems; ++i) {
        if (item_text(i) == text) {
            return i;
        }
    }
    return std::nullopt;
}

int UnitActions::enabled_buttons() const {
    return std::clamp(ctx_.state().system.unit_extra, 0, kRecords);
}

void UnitActions::show_units() {
    panel_.buttons_shown = true;
    const int allowed = enabled_buttons();
    for (int b = 0; b < kRecords; ++b) {
        panel_.button_enabled[at(b)] = b < allowed;
    }
    if (allowed == 0) {
        apply_selection(-1);
        return;
    }
    // A record remembered from a processor that allowed more buttons is no longer usable.
    apply_selection(selected_ >= 0 && selected_ < allowed ? selected_ : kProcessorRecord);
}

void UnitActions::select_unit(int record) {
    if (record < 0 || record >= enabled_buttons()) {
        throw std::invalid_argument("unit button " + std::to_string(record + 1) +
                                    " is not enabled; the processor allows " +
                                    std::to_string(enabled_buttons()));
    }
    apply_selection(record);
}

void UnitActions::apply_selection(int record) {
    selected_ = record;
    panel_.lit_button = record;
    if (record < 0) {
        panel_.slot_shown.fill(true);
        panel_.slot_enabled.fill(false);
        panel_.slot_index.fill(0);
        panel_.call_enabled = false;
        return;
    }
    const bool processor = record == kProcessorRecord;
    for (int s = 0; s < kSlots; ++s) {
        const bool shown = !processor || s <= kLastProcessorSlot;
        panel_.slot_shown[at(s)] = shown;
        panel_.slot_enabled[at(s)] = shown;
        panel_.slot_index[at(s)] = slot_byte(record, s);
    }
    panel_.call_shown = !processor;
    panel_.call_enabled = !processor;
}

UnitActions::Assignment UnitActions::assign_slot(int slot, int index) {
    if (selected_ < 0) {
        throw std::invalid_argument("no unit is selected");
    }
    if (slot < 0 || slot >= kSlots || !panel_.slot_shown[at(slot)]) {
        throw std::invalid_argument("slot " + std::to_string(slot + 1) + " is not shown for " +
                                    button_caption(selected_));
    }
    if (index < 0 || index >= kItems) {
        throw std::invalid_argument("list item " + std::to_string(index) + " is outside 0..80");
    }
    if (index != 0 && taken_elsewhere(selected_, slot, index)) {
        ctx_.notice(kAlreadySelected);
        // The slot keeps its channel, so its list must keep showing it.
        panel_.slot_index[at(slot)] = slot_byte(selected_, slot);
        return Assignment::Refused;
    }
    const bool wrote =
        ActionContext::store(slot_byte(selected_, slot), static_cast<uint8_t>(index));
    panel_.slot_index[at(slot)] = index;
    ctx_.send(encode_unit_settings(ctx_.state(), selected_));
    ctx_.changed_if(wrote, {StateChange::Scope::Units, selected_, StateChange::Block::Units});
    return Assignment::Stored;
}

bool UnitActions::taken_elsewhere(int record, int slot, int index) const {
    const auto& table = ctx_.state().system.unit_table;
    for (int r = 0; r < kRecords; ++r) {
        for (int s = 0; s < kSlots; ++s) {
            if ((r != record || s != slot) && table[at(r * kSlots + s)] == index) {
                return true;
            }
        }
    }
    return false;
}

uint8_t& UnitActions::slot_byte(int record, int slot) {
    return ctx_.state().system.unit_table[at(record * kSlots + slot)];
}

void UnitActions::call_unit() {
    if (selected_ <= kProcessorRecord || !panel_.call_enabled) {
        throw std::invalid_argument("CALL is offered for WTU-300-01 ... WTU-300-10 only");
    }
    ctx_.send(encode_unit_call(selected_));
}

bool UnitActions::reset_all_units() {
    if (!ctx_.ask(kResetQuestion)) {
        return false;
    }
    auto& table = ctx_.state().system.unit_table;
    bool wrote = false;
    for (int k = 0; k < kRecords * kSlots; ++k) {
        wrote = ActionContext::store(table[at(k)], uint8_t{0}) || wrote;
    }
    if (ctx_.connected()) {
        DatagramList all;
        for (int r = 0; r < kRecords; ++r) {
            DatagramList one = encode_unit_settings(ctx_.state(), r);
            with_pause(one, kResetPause);
            all.insert(all.end(), one.begin(), one.end());
        }
        ctx_.send(std::move(all));
        // The records take over a second on the wire; the silence is not the processor's.
        ctx_.state().system.last_report_at = ctx_.clock().wall_now();
    }
    apply_selection(selected_);
    ctx_.changed_if(wrote, {StateChange::Scope::Units, -1, StateChange::Block::Units});
    return true;
}

}  // namespace kestra
