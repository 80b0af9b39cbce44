#pragma once

#include <array>
#include <string>
#include <vector>

#include "actions/action_context.h"
#include "actions/field_committer.h"

namespace kestra {

class CommitRow;

// The selector lists of the MODE page. Threshold has one list per channel; the others are
// single lists. The four hidden lists have no visible control but are still committed.
enum class AutomixList {
    Threshold,
    HoldTime,
    MaxOpen,
    Nom,
    ClosedAttenuation,
    Hidden1,
    Hidden2,
    Hidden3,
    Hidden4,
};
inline constexpr int kAutomixListCount = 9;

// How one list's items read and what each item stores:
// stored = index + stored_offset; shown number = (index + shown_offset) * shown_scale.
struct AutomixListEncoding {
    int count;
    int stored_offset;
    int shown_offset;
    int shown_scale;
    const char* format;

    int stored(int index) const { return index + stored_offset; }
    int index_of(int stored_value) const { return stored_value - stored_offset; }
    std::string item(int index) const;
    std::vector<std::string> items() const;
};

// What the page shows: lit buttons and the chosen item of each list, -1 before any item was
// chosen (the list then shows no caption).
struct AutomixPage {
    bool sync_lit = false;
    bool last_hold_lit = false;
    std::array<int, kProcessedInputs> threshold_index;
    std::array<int, kAutomixListCount> setting_index;  // by AutomixList; Threshold unused

    AutomixPage() {
        threshold_index.fill(-1);
        setting_index.fill(-1);
    }
    bool operator==(const AutomixPage&) const = default;
};

// The MODE page's operator actions: gating thresholds of inputs 1-32 (optionally all at once),
// the global settings sent with "M", the hidden ones sent with "N". The gating itself runs in
// the processor.
class AutomixActions final : public FieldCommitter {
public:
    static constexpr int kChannels = kProcessedInputs;
    static constexpr const char* kSetSuccessfully = "Set successfully.";
    static constexpr std::chrono::milliseconds kSyncPause{20};

    explicit AutomixActions(ActionContext& ctx) : ctx_(ctx) {}

    static const AutomixListEncoding& encoding(AutomixList list);

    // Loads every visible control from the state, as showing the page does.
    void show();
    const AutomixPage& page() const { return page_; }
    // The caption a list shows: its chosen item, or "" when none was chosen.
    std::string caption(AutomixList list, int channel = 0) const;

    // Operator choices. `channel` is 0-31 and `index` an item of the list; anything else
    // throws std::invalid_argument with nothing changed.
    void choose_threshold(int channel, int index);
    void choose_setting(AutomixList list, int index);
    void toggle_last_hold();
    void toggle_sync();

    // Scripted "set" of the page's fields in state units: system automix_cfg[1..5],
    // automix_hidden[0..3], automix_sync; input automix_threshold of inputs 1-32.
    bool commit_field(FieldTarget target, int index, const FieldPath& field, int value) override;

private:
    void set_last_hold(bool on);
    void set_sync(bool on);
    void send_thresholds(int channel);
    void commit_system(const FieldPath& field, const CommitRow& found, int value);

    ActionContext& ctx_;
    AutomixPage page_;
};

}  // namespace kestra
