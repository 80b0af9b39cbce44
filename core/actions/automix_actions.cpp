#include "actions/automix_actions.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "actions/commit_row.h"
#include "params/level_law.h"

namespace kestra {

namespace {

constexpr std::size_t kLastHold = 5;
// The closed-channel attenuation is stored as a level: item 0 is stored 0.
constexpr int kClosedFirstDb = -LevelLaw::kOffsetDb;

constexpr std::array<AutomixListEncoding, kAutomixListCount> kEncodings{{
    {81, 0, -80, 1, "%d dB"},             // threshold, -80 ... 0 dB
    {100, 1, 1, 50, "%d ms"},             // hold time, 50 ... 5000 ms
    {32, 1, 1, 1, "%d"},                  // maximum open channels
    {11, 20, -10, 1, "%d dB"},            // NOM attenuation, -10 ... 0 dB
    {61, 0, kClosedFirstDb, 1, "%d dB"},  // closed channel attenuation, -60 ... 0 dB
    {101, 0, 0, 1, "%d"},                 // hidden 1, 0 ... 100
    {200, 1, 1, 1, "%d"},                 // hidden 2, 1 ... 200
    {100, 1, 1, 1, "%d"},                 // hidden 3, 1 ... 100
    {41, 0, 0, 1, "%d dB"},               // hidden 4, 0 ... 40
}};

std::size_t slot(AutomixList list) {
    return static_cast<std::size_t>(list);
}

bool is_hidden(AutomixList list) {
    return list >= AutomixList::Hidden1;
}

// The automix_cfg word a global list stores into.
std::size_t cfg_word(AutomixList list) {
    switch (list) {
        case AutomixList::HoldTime:
            return 2;
        case AutomixList::MaxOpen:
            return 1;
        case AutomixList::Nom:
            return 4;
        case AutomixList::ClosedAttenuation:
            return 3;
        default:
            throw std::logic_error("not a global auto-mixer list");
    }
}

// A selector clamps what it is told to show to its items.
int clamp_to_list(int index, int count) {
    if (index < 0) {
        return 0;
    }
    return index >= count ? count - 1 : index;
}

void check_range(const char* what, int value, int lo, int hi) {
    if (value < lo || value > hi) {
        throw std::invalid_argument(std::string(what) + " " + std::to_string(value) +
                                    " is outside " + std::to_string(lo) + ".." +
                                    std::to_string(hi));
    }
}

void check_index(const AutomixListEncoding& enc, int index) {
    check_range("list item", index, 0, enc.count - 1);
}

}  // namespace

std::string AutomixListEncoding::item(int index) const {
    char text[24];
    std::snprintf(text, sizeof text, format, (index + shown_offset) * shown_scale);
    return text;
}

std::vector<std::string> AutomixListEncoding::items() const {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out.push_back(item(i));
    }
    return out;
}

const AutomixListEncoding& AutomixActions::encoding(AutomixList list) {
    return kEncodings[slot(list)];
}

void AutomixActions::show() {
    const SystemBlock& sys = ctx_.state().system;
    page_.sync_lit = sys.automix_sync != 0;
    page_.last_hold_lit = sys.automix_cfg[kLastHold] != 0;
    const int threshold_items = encoding(AutomixList::Threshold).count;
    for (int n = 0; n < kChannels; ++n) {
        page_.threshold_index[static_cast<std::size_t>(n)] =
            clamp_to_list(ctx_.state().input(n).automix_threshold, threshold_items);
    }
    for (AutomixList list : {AutomixList::Nom, AutomixList::ClosedAttenuation, AutomixList::MaxOpen,
                             AutomixList::HoldTime}) {
        const int stored = sys.automix_cfg[cfg_word(list)];
        // A hold time of 0 names no item; the selector keeps what it showed.
        if (list == AutomixList::HoldTime && stored <= 0) {
            continue;
        }
        const AutomixListEncoding& enc = encoding(list);
        page_.setting_index[slot(list)] = clamp_to_list(enc.index_of(stored), enc.count);
    }
}

std::string AutomixActions::caption(AutomixList list, int channel) const {
    int index = -1;
    if (list == AutomixList::Threshold) {
        check_range("channel", channel, 0, kChannels - 1);
        index = page_.threshold_index[static_cast<std::size_t>(channel)];
    } else {
        index = page_.setting_index[slot(list)];
    }
    return index < 0 ? std::string() : encoding(list).item(index);
}

void AutomixActions::choose_threshold(int channel, int index) {
    check_range("channel", channel, 0, kChannels - 1);
    check_index(encoding(AutomixList::Threshold), index);
    DeviceState& state = ctx_.state();
    const bool all = state.system.automix_sync != 0;
    const int first = all ? 0 : channel;
    const int last = all ? kChannels - 1 : channel;
    std::vector<int> moved;  // the channels whose threshold the choice changed
    for (int n = first; n <= last; ++n) {
        if (ActionContext::store(state.input(n).automix_threshold, int32_t{index})) {
            moved.push_back(n);
        }
        page_.threshold_index[static_cast<std::size_t>(n)] = index;
    }
    send_thresholds(all ? -1 : channel);
    for (int n : moved) {
        ctx_.changed_if(true, {StateChange::Scope::Input, n, StateChange::Block::Automix});
    }
}

// channel -1 sends every channel, one after the other with the page's pause between them.
void AutomixActions::send_thresholds(int channel) {
    if (channel >= 0) {
        ctx_.send(encode_automix_channel(ctx_.state(), channel + 1));
        return;
    }
    DatagramList all;
    for (int n = 1; n <= kChannels; ++n) {
        DatagramList one = encode_automix_channel(ctx_.state(), n);
        with_pause(one, kSyncPause);
        all.insert(all.end(), one.begin(), one.end());
    }
    ctx_.send(std::move(all));
}

void AutomixActions::choose_setting(AutomixList list, int index) {
    if (list == AutomixList::Threshold) {
        throw std::invalid_argument("a threshold is chosen per channel");
    }
    const AutomixListEncoding& enc = encoding(list);
    check_index(enc, index);
    SystemBlock& sys = ctx_.state().system;
    page_.setting_index[slot(list)] = index;
    const StateChange change{StateChange::Scope::System, -1, StateChange::Block::Automix};
    if (is_hidden(list)) {
        const bool wrote = ActionContext::store(
            sys.automix_hidden[slot(list) - slot(AutomixList::Hidden1)], enc.stored(index));
        ctx_.send(encode_automix_hidden(ctx_.state()));
        ctx_.changed_if(wrote, change);
        return;
    }
    const bool wrote = ActionContext::store(sys.automix_cfg[cfg_word(list)], enc.stored(index));
    ctx_.send(encode_automix_settings(ctx_.state()));
    ctx_.changed_if(wrote, change);
    // The page confirms the four global lists even when nothing could be sent.
    ctx_.notice(kSetSuccessfully);
}

void AutomixActions::toggle_last_hold() {
    set_last_hold(!page_.last_hold_lit);
}

void AutomixActions::toggle_sync() {
    set_sync(!page_.sync_lit);
}

void AutomixActions::set_last_hold(bool on) {
    page_.last_hold_lit = on;
    const bool wrote = ActionContext::store(ctx_.state().system.automix_cfg[kLastHold], on ? 1 : 0);
    ctx_.send(encode_automix_settings(ctx_.state()));
    ctx_.changed_if(wrote, {StateChange::Scope::System, -1, StateChange::Block::Automix});
}

// The processor never learns of sync: it only makes the page send every threshold.
void AutomixActions::set_sync(bool on) {
    page_.sync_lit = on;
    const bool wrote = ActionContext::store(ctx_.state().system.automix_sync, on ? 1 : 0);
    ctx_.changed_if(wrote, {StateChange::Scope::System, -1, StateChange::Block::Automix});
}

bool AutomixActions::commit_field(FieldTarget target, int index, const FieldPath& field,
                                  int value) {
    const CommitRow found = CommitRow::find(target, index, field);
    if (!found.in({StateChange::Block::Automix})) {
        return false;
    }
    if (target == FieldTarget::Input) {
        if (index < 0 || index >= kChannels) {
            throw std::invalid_argument("automix_threshold is set on inputs 1-32 only");
        }
        found.check(value, "automix_threshold");
        choose_threshold(index, value);
        return true;
    }
    commit_system(field, found, value);
    return true;
}

// The page's lists hold the stored ranges of the rows; the field picks the list.
void AutomixActions::commit_system(const FieldPath& field, const CommitRow& found, int value) {
    if (field.is("automix_sync")) {
        found.check(value, "automix_sync");
        set_sync(value != 0);
        return;
    }
    if (field.name == "automix_hidden") {
        check_range("automix_hidden index", field.index, 0, 3);
        const auto list = static_cast<AutomixList>(slot(AutomixList::Hidden1) +
                                                   static_cast<std::size_t>(field.index));
        found.check(value, "automix_hidden");
        choose_setting(list, encoding(list).index_of(value));
        return;
    }
    switch (field.index) {
        case 0:
            throw std::invalid_argument("automix_cfg[0] is not set by the MODE page");
        case 5:
            found.check(value, field.str());
            set_last_hold(value != 0);
            return;
        case 1:
        case 2:
        case 3:
        case 4: {
            const AutomixList lists[] = {AutomixList::MaxOpen, AutomixList::HoldTime,
                                         AutomixList::ClosedAttenuation, AutomixList::Nom};
            const AutomixList list = lists[field.index - 1];
            found.check(value, field.str());
            choose_setting(list, encoding(list).index_of(value));
            return;
        }
        default:
            throw std::invalid_argument("automix_cfg has the entries 0-5");
    }
}

}  // namespace kestra
