#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "actions/action_context.h"
#include "actions/active_groups.h"

namespace kestra {

// What the unit tab shows: the eleven unit buttons (record 0 is the processor itself, 1-10
// the units), the five assignment lists with their swatches, and CALL.
struct UnitPanel {
    static constexpr int kButtons = kUnitGroups;
    static constexpr int kSlots = kUnitGroupBytes;

    bool buttons_shown = false;
    std::array<bool, kButtons> button_enabled{};
    int lit_button = -1;                    // record shown, -1 for none
    std::array<bool, kSlots> slot_shown{};  // a list and its swatch
    std::array<bool, kSlots> slot_enabled{};
    std::array<int, kSlots> slot_index{};  // list item shown; 0 is "NULL"
    bool call_shown = false;
    bool call_enabled = false;

    bool operator==(const UnitPanel&) const = default;
};

// The microphone units: pick the processor or a unit, assign up to five channels to it (each
// channel to one slot of one record at most), call the unit, clear every assignment.
class UnitActions {
public:
    enum class Assignment { Stored, Refused };

    static constexpr int kItems = 81;  // "NULL", CH01-CH64, M01-M08, D01-D08
    static constexpr const char* kAlreadySelected = "Already select.";
    static constexpr const char* kResetQuestion = "Do you want to reset all wtu300 setting?";
    static constexpr std::chrono::milliseconds kResetPause{100};
    static constexpr std::array<Rgb, UnitPanel::kSlots> kSwatch{
        Rgb{0x57, 0x7A, 0x94}, Rgb{0x29, 0x97, 0x27}, Rgb{0xBA, 0x39, 0x4F}, Rgb{0xFF, 0x9F, 0x00},
        Rgb{0xBB, 0x29, 0xBA}};

    explicit UnitActions(ActionContext& ctx) : ctx_(ctx) {}

    // "KESTRA-V " for record 0, "WTU-300-01" ... "WTU-300-10" for records 1-10.
    static std::string button_caption(int record);
    // The assignment lists' item texts, and the item a text names (as the lists spell it).
    static std::string item_text(int index);
    static std::optional<int> item_index(std::string_view text);

    int selected_unit() const { return selected_; }
    const UnitPanel& panel() const { return panel_; }
    // How many unit buttons the processor allows, at most the eleven there are.
    int enabled_buttons() const;

    // Showing the tab: enables the allowed buttons and selects the remembered record.
    void show_units();
    // A unit button pressed; only an enabled button can be. Throws std::invalid_argument.
    void select_unit(int record);
    // A list item chosen in slot 0-4 of the selected record. Throws std::invalid_argument when
    // no record is selected, the slot's list is not shown or the item does not exist.
    Assignment assign_slot(int slot, int index);
    // CALL, shown for units 1-10 only; throws std::invalid_argument when it is not shown.
    void call_unit();
    // Asks first; returns false when the operator cancels, with nothing changed.
    bool reset_all_units();

private:
    void apply_selection(int record);
    bool taken_elsewhere(int record, int slot, int index) const;
    uint8_t& slot_byte(int record, int slot);

    ActionContext& ctx_;
    int selected_ = -1;
    UnitPanel panel_;
};

}  // namespace kestra
