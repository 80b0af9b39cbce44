#include "actions/peq_actions.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "actions/commit_row.h"
#include "actions/member_copy.h"
#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/value_range.h"

namespace kestra {

namespace {

using std::chrono::milliseconds;

constexpr int kFirstSlope = BandTypeLaw::kFirstSlope;
constexpr milliseconds kBlockPause{20};        // between the commands of the edited input's block
constexpr milliseconds kMemberPause{10};       // after each member's single command
constexpr milliseconds kMemberBlockPause{50};  // between a member's whole-block commands
constexpr std::array<int, PeqActions::kCopiedBands> kResetFreq{200, 500, 1000, 5000};
constexpr int kResetQ = 20;
constexpr std::optional<ReadoutKind> kNoKind;

bool exchanged(int input) {
    return input < kProcessedInputs;
}

// Band b's slider kinds: gain, frequency, Q.
ReadoutKind band_kind(int band, int offset) {
    return peq_band_kind(band, offset);
}

}  // namespace

PeqActions::PeqActions(ActionContext& ctx)
    : ctx_(ctx), drag_(ctx.clock()), recalls_(ctx.changes().subscribe([this](const StateChange& c) {
          forget_recalled_bypasses(c);
      })) {}

// A recall or an undo that leaves a bypassed block in another form took the bypass away
// with it; its saved block would otherwise come back at the next BYPASS.
void PeqActions::forget_recalled_bypasses(const StateChange& change) {
    if (change.origin != ChangeOrigin::Recall && change.origin != ChangeOrigin::Undo) {
        return;
    }
    const bool every = change.scope == StateChange::Scope::Everything ||
                       (change.scope == StateChange::Scope::Input && change.index < 0);
    for (int i = 0; i < kInputCount; ++i) {
        auto& saved = bypass_[static_cast<std::size_t>(i)];
        const bool covered =
            every || (change.scope == StateChange::Scope::Input && change.index == i);
        if (saved && covered && !in_bypass_form(ctx_.state().input(i))) {
            saved.reset();
        }
    }
}

// Filters off and wide open, the bands flat.
void PeqActions::put_in_bypass_form(InputChannel& in) {
    in.lpf_on = 0;
    in.hpf_on = 0;
    in.hpf_freq = kMinFreq;
    in.lpf_freq = kMaxFreq;
    for (int b = 0; b < kCopiedBands; ++b) {
        in.peq_band[static_cast<std::size_t>(b)].gain = kFlatGain;
    }
}

bool PeqActions::in_bypass_form(const InputChannel& in) {
    InputChannel bypassed = in;
    put_in_bypass_form(bypassed);
    return bypassed == in;
}

InputChannel& PeqActions::record(int input) {
    require_range(input, 0, kInputCount - 1, "input index");
    return ctx_.state().input(input);
}

// ---- sends and group copies --------------------------------------------------------------

DatagramList PeqActions::encode(int input, Part part, milliseconds pause) const {
    const DeviceState& s = ctx_.state();
    const int n = input + 1;
    DatagramList list;
    const auto add = [&](DatagramList more) {
        with_pause(more, pause);
        list.insert(list.end(), more.begin(), more.end());
    };
    switch (part.section) {
        case Section::Band:
            add(encode_peq_band(s, n, part.band + 1));
            break;
        case Section::Hpf:
            add(encode_high_pass(s, n));
            break;
        case Section::Lpf:
            add(encode_low_pass(s, n));
            break;
        case Section::Whole:
            for (int b = 1; b <= kCopiedBands; ++b) {
                add(encode_peq_band(s, n, b));
            }
            add(encode_low_pass(s, n));
            add(encode_high_pass(s, n));
            break;
    }
    return list;
}

void PeqActions::send(int input, Part part) {
    if (exchanged(input)) {
        ctx_.send(encode(input, part, milliseconds{0}));
    }
}

DatagramList PeqActions::encode_bands(int input) const {
    DatagramList list;
    for (int b = 0; b < kCopiedBands; ++b) {
        DatagramList band = encode(input, Part{Section::Band, b}, kBlockPause);
        list.insert(list.end(), band.begin(), band.end());
    }
    return list;
}

void PeqActions::send_bands(int input) {
    if (exchanged(input)) {
        ctx_.send(encode_bands(input));
    }
}

void PeqActions::send_whole_block(int input, bool filters_first) {
    if (!exchanged(input)) {
        return;
    }
    if (!filters_first) {
        ctx_.send(encode(input, Part{Section::Whole}, kBlockPause));
        return;
    }
    DatagramList list = encode(input, Part{Section::Lpf}, kBlockPause);
    for (const DatagramList& more :
         {encode(input, Part{Section::Hpf}, kBlockPause), encode_bands(input)}) {
        list.insert(list.end(), more.begin(), more.end());
    }
    ctx_.send(std::move(list));
}

MemberCopy::Changed PeqActions::copy_part(int from, int to, Part part) {
    const InputChannel& src = ctx_.state().input(from);
    InputChannel& dst = ctx_.state().input(to);
    const auto copy_hpf = [&] {
        bool wrote = ActionContext::store(dst.hpf_on, src.hpf_on);
        wrote = ActionContext::store(dst.hpf_freq, src.hpf_freq) || wrote;
        wrote = ActionContext::store(dst.hpf_slope, src.hpf_slope) || wrote;
        return ActionContext::store(dst.hpf_mode, src.hpf_mode) || wrote;
    };
    const auto copy_lpf = [&] {
        bool wrote = ActionContext::store(dst.lpf_on, src.lpf_on);
        wrote = ActionContext::store(dst.lpf_freq, src.lpf_freq) || wrote;
        wrote = ActionContext::store(dst.lpf_slope, src.lpf_slope) || wrote;
        return ActionContext::store(dst.lpf_mode, src.lpf_mode) || wrote;
    };
    using Block = StateChange::Block;
    switch (part.section) {
        case Section::Band:
            return MemberCopy::changed(
                Block::Peq,
                ActionContext::store(dst.peq_band[static_cast<std::size_t>(part.band)],
                                     src.peq_band[static_cast<std::size_t>(part.band)]));
        case Section::Hpf:
            return MemberCopy::changed(Block::Filters, copy_hpf());
        case Section::Lpf:
            return MemberCopy::changed(Block::Filters, copy_lpf());
        case Section::Whole: {
            // all five records travel with the block
            const bool bands = ActionContext::store(dst.peq_band, src.peq_band);
            const bool hpf = copy_hpf();
            const bool lpf = copy_lpf();
            return MemberCopy::changed(Block::Peq, bands) |
                   MemberCopy::changed(Block::Filters, hpf || lpf);
        }
    }
    return {};
}

void PeqActions::copy_to_group(int input, Part part, bool with_sends) {
    if (part.section == Section::Band && part.band >= kCopiedBands) {
        return;  // the fifth band is sent but never copied
    }
    const bool whole = part.section == Section::Whole;
    MemberCopy how;
    how.copy = [&](int m) { return copy_part(input, m, part); };
    if (with_sends) {
        how.encode = [&](int m) {
            return encode(m, part, whole ? kMemberBlockPause : milliseconds{0});
        };
    }
    how.send_limit = kProcessedInputs;
    how.pause = whole ? milliseconds{0} : kMemberPause;
    how.scope = StateChange::Scope::Input;
    if (part.section == Section::Band || whole) {
        how.blocks.push_back(StateChange::Block::Peq);
    }
    if (part.section != Section::Band) {
        how.blocks.push_back(StateChange::Block::Filters);
    }
    copy_to_members(ctx_, ctx_.active_groups().input_peers(input, kLinkEq), how);
}

MemberCopy::Changed PeqActions::wrote_in(Part part, bool wrote) {
    using Block = StateChange::Block;
    switch (part.section) {
        case Section::Band:
            return MemberCopy::changed(Block::Peq, wrote);
        case Section::Hpf:
        case Section::Lpf:
            return MemberCopy::changed(Block::Filters, wrote);
        case Section::Whole:
            break;
    }
    return MemberCopy::changed(Block::Peq, wrote) | MemberCopy::changed(Block::Filters, wrote);
}

void PeqActions::publish(int input, Part part, std::optional<ReadoutKind> kind,
                         MemberCopy::Changed wrote) {
    using Block = StateChange::Block;
    const auto own = [&](Block block) {
        ctx_.changed_if(wrote.test(static_cast<std::size_t>(block)),
                        StateChange{StateChange::Scope::Input, input, block});
    };
    if (part.section == Section::Band || part.section == Section::Whole) {
        own(Block::Peq);
    }
    if (part.section != Section::Band) {
        own(Block::Filters);
    }
    if (kind) {
        ctx_.report(ActionContext::input_readout(input), *kind);
    }
}

void PeqActions::commit(int input, Part part, std::optional<ReadoutKind> kind,
                        MemberCopy::Changed wrote) {
    send(input, part);
    copy_to_group(input, part, true);
    publish(input, part, kind, wrote);
}

// ---- sliders -----------------------------------------------------------------------------

void PeqActions::set_band_value(int input, int band, int32_t PeqBand::*field, int value,
                                ReadoutKind kind, SliderCommit commit_kind) {
    InputChannel& in = record(input);
    require_range(band, 0, kPeqBands - 1, "band index");
    const Part part{Section::Band, band};
    const MemberCopy::Changed wrote = wrote_in(
        part,
        ActionContext::store(in.peq_band[static_cast<std::size_t>(band)].*field, int32_t{value}));
    if (commit_kind == SliderCommit::Released) {
        commit(input, part, kind, wrote);
    } else {
        publish(input, part, kind, wrote);
    }
}

void PeqActions::set_band_gain(int input, int band, int gain, SliderCommit commit) {
    require_range(gain, 0, kMaxGain, "gain");
    set_band_value(input, band, &PeqBand::gain, gain, band_kind(band, 0), commit);
}

void PeqActions::set_band_freq(int input, int band, int hz, SliderCommit commit) {
    require_range(hz, kMinFreq, kMaxFreq, "frequency");
    set_band_value(input, band, &PeqBand::freq, hz, band_kind(band, 1), commit);
}

void PeqActions::set_band_q(int input, int band, int q, SliderCommit commit) {
    require_range(q, 1, kMaxQ, "q");
    set_band_value(input, band, &PeqBand::q, q, band_kind(band, 2), commit);
}

void PeqActions::set_filter_freq(int input, Part part, int hz, SliderCommit commit_kind) {
    InputChannel& in = record(input);
    require_range(hz, kMinFreq, kMaxFreq, "frequency");
    const bool hpf = part.section == Section::Hpf;
    const MemberCopy::Changed wrote =
        wrote_in(part, ActionContext::store(hpf ? in.hpf_freq : in.lpf_freq, int32_t{hz}));
    const ReadoutKind kind = hpf ? ReadoutKind::HpfFrequency : ReadoutKind::LpfFrequency;
    if (commit_kind == SliderCommit::Released) {
        commit(input, part, kind, wrote);
    } else {
        publish(input, part, kind, wrote);
    }
}

void PeqActions::set_hpf_freq(int input, int hz, SliderCommit commit) {
    set_filter_freq(input, Part{Section::Hpf}, hz, commit);
}

void PeqActions::set_lpf_freq(int input, int hz, SliderCommit commit) {
    set_filter_freq(input, Part{Section::Lpf}, hz, commit);
}

// ---- buttons and selectors ---------------------------------------------------------------

void PeqActions::toggle_low_shelf(int input) {
    PeqBand& band = record(input).peq_band[0];
    band.type = band.type >= 1 ? 0 : 1;
    commit(input, Part{Section::Band, 0}, kNoKind, wrote_in(Part{Section::Band, 0}, true));
}

void PeqActions::toggle_high_shelf(int input) {
    PeqBand& band = record(input).peq_band[3];
    band.type = band.type >= 1 ? 0 : 2;
    commit(input, Part{Section::Band, 3}, kNoKind, wrote_in(Part{Section::Band, 3}, true));
}

void PeqActions::set_filter_on(int input, Part part, bool on) {
    InputChannel& in = record(input);
    const bool wrote =
        ActionContext::store(part.section == Section::Hpf ? in.hpf_on : in.lpf_on, on ? 1 : 0);
    commit(input, part, kNoKind, wrote_in(part, wrote));
}

void PeqActions::set_hpf_on(int input, bool on) {
    set_filter_on(input, Part{Section::Hpf}, on);
}
void PeqActions::set_lpf_on(int input, bool on) {
    set_filter_on(input, Part{Section::Lpf}, on);
}
void PeqActions::toggle_hpf(int input) {
    set_hpf_on(input, record(input).hpf_on == 0);
}
void PeqActions::toggle_lpf(int input) {
    set_lpf_on(input, record(input).lpf_on == 0);
}

void PeqActions::select_slope(int input, Part part, int item) {
    InputChannel& in = record(input);
    require_range(item, 0, static_cast<int>(kSlopeItems.size()) - 1, "slope item");
    const bool wrote = ActionContext::store(
        part.section == Section::Hpf ? in.hpf_slope : in.lpf_slope, item + kFirstSlope);
    commit(input, part, kNoKind, wrote_in(part, wrote));
}

void PeqActions::select_hpf_slope(int input, int item) {
    select_slope(input, Part{Section::Hpf}, item);
}

void PeqActions::select_lpf_slope(int input, int item) {
    select_slope(input, Part{Section::Lpf}, item);
}

std::optional<int> PeqActions::slope_item(int slope) {
    const int item = BandTypeLaw::slope_item(slope);
    if (item < 0) {
        return std::nullopt;
    }
    return item;
}

// ---- RESET and BYPASS --------------------------------------------------------------------

void PeqActions::reset(int input) {
    InputChannel& in = record(input);
    ctx_.label(ctx_.channel_label(false, input) + " PEQ reset");
    bool bands = false;
    for (int b = 0; b < kCopiedBands; ++b) {
        PeqBand& band = in.peq_band[static_cast<std::size_t>(b)];
        PeqBand factory = band;
        factory.freq = kResetFreq[static_cast<std::size_t>(b)];
        factory.gain = kFlatGain;
        factory.q = kResetQ;
        factory.type = 0;
        bands = ActionContext::store(band, factory) || bands;
    }
    bool filters = ActionContext::store(in.hpf_slope, int32_t{kFirstSlope});
    filters = ActionContext::store(in.hpf_freq, int32_t{kMinFreq}) || filters;
    filters = ActionContext::store(in.lpf_slope, int32_t{kFirstSlope}) || filters;
    filters = ActionContext::store(in.lpf_freq, int32_t{kMaxFreq}) || filters;
    filters = ActionContext::store(in.lpf_on, int32_t{0}) || filters;
    filters = ActionContext::store(in.hpf_on, int32_t{0}) || filters;
    send_whole_block(input, false);
    copy_to_group(input, Part{Section::Whole}, true);
    publish(input, Part{Section::Whole}, kNoKind,
            MemberCopy::changed(StateChange::Block::Peq, bands) |
                MemberCopy::changed(StateChange::Block::Filters, filters));
}

PeqActions::SavedBlock PeqActions::save_block(const InputChannel& in) {
    SavedBlock keep;
    std::copy_n(in.peq_band.begin(), kCopiedBands, keep.bands.begin());
    keep.filters = {in.hpf_freq, in.hpf_mode, in.hpf_slope, in.hpf_on,
                    in.lpf_freq, in.lpf_mode, in.lpf_slope, in.lpf_on};
    return keep;
}

void PeqActions::restore_block(const SavedBlock& keep, InputChannel& in) {
    std::copy(keep.bands.begin(), keep.bands.end(), in.peq_band.begin());
    const auto& f = keep.filters;
    in.hpf_freq = f[0];
    in.hpf_mode = f[1];
    in.hpf_slope = f[2];
    in.hpf_on = f[3];
    in.lpf_freq = f[4];
    in.lpf_mode = f[5];
    in.lpf_slope = f[6];
    in.lpf_on = f[7];
}

void PeqActions::toggle_bypass(int input) {
    InputChannel& in = record(input);
    std::optional<SavedBlock>& saved = bypass_[static_cast<std::size_t>(input)];
    ctx_.label(ctx_.channel_label(false, input) + (saved ? " PEQ BYPASS off" : " PEQ BYPASS on"));
    if (!saved) {
        saved = save_block(in);
        put_in_bypass_form(in);
    } else {
        restore_block(*saved, in);
        saved.reset();
    }
    send_whole_block(input, true);
    copy_to_group(input, Part{Section::Whole}, true);
    // The bypass itself flipped, also on a block that was already flat.
    publish(input, Part{Section::Whole}, kNoKind, wrote_in(Part{Section::Whole}, true));
}

bool PeqActions::bypassed(int input) const {
    require_range(input, 0, kInputCount - 1, "input index");
    return bypass_[static_cast<std::size_t>(input)].has_value();
}

void PeqActions::block_recalled(int input) {
    record(input);
    send_whole_block(input, false);
    copy_to_group(input, Part{Section::Whole}, true);
    publish(input, Part{Section::Whole}, kNoKind, {});  // the recall published what it wrote
}

// ---- graph markers -----------------------------------------------------------------------

PeqActions::Part PeqActions::marker_part(int marker) {
    require_range(marker, 0, kMarkerCount - 1, "marker");
    if (marker == kHpfMarker) {
        return Part{Section::Hpf};
    }
    if (marker == kLpfMarker) {
        return Part{Section::Lpf};
    }
    return Part{Section::Band, marker};
}

ReadoutKind PeqActions::marker_kind(int marker) {
    if (marker == kHpfMarker) {
        return ReadoutKind::HpfMarker;
    }
    if (marker == kLpfMarker) {
        return ReadoutKind::LpfMarker;
    }
    return band_marker_kind(marker);
}

bool PeqActions::store_marker(int input, int marker, double freq_hz, double gain_db) {
    InputChannel& in = record(input);
    if (!std::isfinite(freq_hz) || !std::isfinite(gain_db)) {
        throw std::invalid_argument("marker position is not a number");
    }
    const int hz = FrequencyLaw::stored_of_hz(freq_hz);
    const int gain = EqGainLaw::stored_of_marker(gain_db);
    if (marker == kHpfMarker) {
        return ActionContext::store(in.hpf_freq, int32_t{hz});
    }
    if (marker == kLpfMarker) {
        return ActionContext::store(in.lpf_freq, int32_t{hz});
    }
    PeqBand& band = in.peq_band[static_cast<std::size_t>(marker)];
    const bool freq = ActionContext::store(band.freq, int32_t{hz});
    return ActionContext::store(band.gain, int32_t{gain}) || freq;
}

void PeqActions::marker_moved(int input, int marker, double freq_hz, double gain_db,
                              bool dragging) {
    const Part part = marker_part(marker);
    const MemberCopy::Changed wrote = wrote_in(part, store_marker(input, marker, freq_hz, gain_db));
    if (!dragging) {
        drag_.released();
    }
    if (!dragging) {
        commit(input, part, marker_kind(marker), wrote);
        return;
    }
    // While the marker moves the members follow in the state only; they are sent at the end.
    copy_to_group(input, part, false);
    drag_input_ = input;
    if (!exchanged(input)) {
        drag_.moved_without_send(marker);
    } else if (drag_.moved(marker)) {
        send(input, part);
    }
    publish(input, part, marker_kind(marker), wrote);
}

void PeqActions::marker_double_clicked(int input, int marker) {
    const Part part = marker_part(marker);
    InputChannel& in = record(input);
    const bool wrote = part.section == Section::Band &&
                       ActionContext::store(in.peq_band[static_cast<std::size_t>(marker)].gain,
                                            int32_t{kFlatGain});
    commit(input, part, marker_kind(marker), wrote_in(part, wrote));
}

void PeqActions::tick() {
    if (!ctx_.connected()) {
        return;  // a resting drag stays pending until the release
    }
    if (const std::optional<int> marker = drag_.take_trailing()) {
        send(drag_input_, marker_part(*marker));
        copy_to_group(drag_input_, marker_part(*marker), true);
    }
}

// ---- scripted fields ---------------------------------------------------------------------

bool PeqActions::commit_band_field(int index, const FieldPath& field, const CommitRow& found,
                                   int value) {
    const int band = field.index;
    require_range(band, 0, kPeqBands - 1, "band index");
    if (field.member == "gain") {
        found.check(value, "gain");
        set_band_gain(index, band, value, SliderCommit::Released);
    } else if (field.member == "freq") {
        found.check(value, "frequency");
        set_band_freq(index, band, value, SliderCommit::Released);
    } else if (field.member == "q") {
        found.check(value, "q");
        set_band_q(index, band, value, SliderCommit::Released);
    } else if (field.member == "type") {
        // Only the shelf buttons change a type: band 1 to a low shelf, band 4 to a high one.
        const int shelf = band == 0 ? 1 : band == 3 ? 2 : 0;
        if (value != 0 && value != shelf) {
            throw std::invalid_argument("band " + std::to_string(band) + " type " +
                                        std::to_string(value) + " cannot be set");
        }
        const Part part{Section::Band, band};
        commit(index, part, kNoKind,
               wrote_in(part, ActionContext::store(
                                  record(index).peq_band[static_cast<std::size_t>(band)].type,
                                  int32_t{value})));
    } else {
        return false;
    }
    return true;
}

bool PeqActions::commit_field(FieldTarget target, int index, const FieldPath& field, int value) {
    const CommitRow found = CommitRow::find(target, index, field);
    if (!found.in({StateChange::Block::Peq, StateChange::Block::Filters})) {
        return false;
    }
    if (field.name == "peq_band") {
        return commit_band_field(index, field, found, value);
    }
    if (field.is("hpf_freq") || field.is("lpf_freq")) {
        // The filter sliders refuse a channel before a frequency.
        found.check_on_channel(value, "frequency");
        field.is("hpf_freq") ? set_hpf_freq(index, value, SliderCommit::Released)
                             : set_lpf_freq(index, value, SliderCommit::Released);
        return true;
    }
    // The switches and slopes are checked on their rows before the channel.
    found.check(value, field.name);
    if (field.is("peq_on")) {
        // Every "G" carries the switch; the bands are sent so the processor takes it.
        const bool wrote = ActionContext::store(record(index).peq_on, value);
        send_bands(index);
        publish(index, Part{Section::Band, 0}, kNoKind, wrote_in(Part{Section::Band, 0}, wrote));
    } else if (field.is("hpf_on")) {
        set_hpf_on(index, value == 1);
    } else if (field.is("lpf_on")) {
        set_lpf_on(index, value == 1);
    } else if (field.is("hpf_slope")) {
        select_hpf_slope(index, value - found.row().min);
    } else if (field.is("lpf_slope")) {
        select_lpf_slope(index, value - found.row().min);
    } else {
        return false;
    }
    return true;
}

}  // namespace kestra
