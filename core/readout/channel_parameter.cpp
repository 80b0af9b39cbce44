#include "readout/channel_parameter.h"

#include <memory>
#include <string_view>

#include "model/state_fields.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_value.h"
#include "params/readout_kind.h"

namespace kestra {

namespace {

using Block = StateChange::Block;
using Scope = StateChange::Scope;

constexpr int kOutputBase = ActionContext::kReadoutOutputBase;
constexpr int kPeqBandKinds = 4;  // bands 1-4 carry read-out kinds

// A catalogue row bound to the channel the read-out shows. An input without the DSP blocks
// (33-64) still shows and stores them, in input 1's terms but at its own field, and no command
// carries them.
using Row = std::shared_ptr<const Parameter>;

Row bound_row(int unit, ReadoutKind kind) {
    if (const Parameter* own = ParameterCatalogue::of_readout(unit, kind)) {
        return std::make_shared<const Parameter>(*own);
    }
    if (!StateFields::is_input(unit) || unit < kProcessedInputs) {
        return nullptr;
    }
    const Parameter* first = ParameterCatalogue::of_readout(StateFields::input_unit(0), kind);
    if (first == nullptr) {
        return nullptr;
    }
    Parameter p = *first;
    p.field.unit = unit;
    p.index = unit;
    p.change.index = unit;
    p.command = {};
    return std::make_shared<const Parameter>(std::move(p));
}

std::function<DatagramList()> command_of(const DeviceState& state, const Row& row) {
    if (row->command.letter == 0) {
        return [] { return DatagramList{}; };
    }
    return
        [&state, row] { return encode_command(state, row->command.letter, row->command.selector); };
}

// ---- the read-out's own words for a row ----

std::string first_word(const std::string& label) {
    return label.substr(0, label.find(' '));
}

// "COMP THRESHOLD" reads "Threshold": the block is the page the read-out sits on.
std::string dynamics_word(const std::string& label) {
    std::string word = label.substr(label.find(' ') + 1);
    for (std::size_t i = 1; i < word.size(); ++i) {
        if (word[i] >= 'A' && word[i] <= 'Z') {
            word[i] = static_cast<char>(word[i] - 'A' + 'a');
        }
    }
    return word;
}

std::string readout_name(const Parameter& row, bool marker) {
    if (row.change.block == Block::Compressor || row.change.block == Block::Limiter) {
        return dynamics_word(row.label);
    }
    // A graph marker and a filter's frequency are named by their band or filter alone.
    if (marker || row.change.block == Block::Filters) {
        return first_word(row.label);
    }
    return row.label;
}

// ---- building the entries ----

// A typed value stored in the row's field, telling whether the field now reads otherwise.
TypedEntry store_entry(DeviceState& state, const Parameter& row, int32_t value) {
    const int32_t before = ParameterValue::stored(row, state);
    ParameterValue::store(row, state, value);
    return {true, {}, ParameterValue::stored(row, state) != before};
}

// Reads `text` as the row's typed value and stores it; a text that is no such number leaves
// the field alone and says why, under the read-out's name.
TypedEntry store_typed(DeviceState& state, const Parameter& row, const std::string& name,
                       const std::string& text) {
    const ParameterValue::Typed typed = ParameterValue::read(row, text);
    if (!typed.stored) {
        return {false, name + ": " + typed.reason + "; nothing changed."};
    }
    return store_entry(state, row, *typed.stored);
}

// An entry whose value box shows the row's field in its display text and stores typed text
// through the row's typed reading.
ChannelParameter numeric(DeviceState& state, const Row& row, std::string name) {
    ChannelParameter p;
    p.name = std::move(name);
    p.change = row->change;
    p.value_text = [&state, row] {
        return ParameterValue::text(*row, ParameterValue::stored(*row, state));
    };
    p.store_value = [&state, row, name = p.name](const std::string& t) {
        return store_typed(state, *row, name, t);
    };
    p.command = command_of(state, row);
    return p;
}

ChannelParameter empty_kind() {
    ChannelParameter p;
    p.change = {Scope::Everything, -1, Block::All};
    p.value_text = [] { return std::string(); };
    p.store_value = [](const std::string&) { return TypedEntry{}; };
    p.command = [] { return DatagramList{}; };
    return p;
}

// The output mute was typed as the two characters of its Chinese captions (UTF-8 here); the
// read-out shows the words, so both are taken.
constexpr const char* kOpenCharacter = "\xE5\xBC\x80";   // 开
constexpr const char* kCloseCharacter = "\xE5\x85\xB3";  // 关

// In ASCII only, so that UTF-8 characters arrive intact.
std::string upper_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

// The mute reads any stored word but 0 as open, and takes only its two words (an output also
// the two characters), not the catalogue's on/off.
ChannelParameter mute_entry(DeviceState& state, const Row& row) {
    const bool characters = row->target == FieldTarget::Output;
    const std::string& close_word = row->choices.at(0);
    const std::string& open_word = row->choices.at(1);
    ChannelParameter p;
    p.name = row->label;
    p.change = row->change;
    p.value_text = [&state, row] {
        return ParameterValue::text(*row, ParameterValue::stored(*row, state) != 0 ? 1 : 0);
    };
    p.store_value = [&state, row, characters, close_word, open_word](const std::string& typed) {
        const std::string t = upper_ascii(typed);
        const bool open = t == open_word || (characters && t == kOpenCharacter);
        const bool close = t == close_word || (characters && t == kCloseCharacter);
        if (!open && !close) {
            std::string words = open_word + " or " + close_word;
            if (characters) {
                words += std::string(" (") + kOpenCharacter + " or " + kCloseCharacter + ")";
            }
            return TypedEntry{false, row->label + " takes " + words + "; nothing changed."};
        }
        return store_entry(state, *row, open ? 1 : 0);
    };
    p.command = command_of(state, row);
    return p;
}

// The PEQ graph's marker of a band: the band's gain, with its frequency in the second box.
std::optional<ChannelParameter> marker_entry(DeviceState& state, int unit, int band) {
    const Row gain = bound_row(unit, peq_band_kind(band, 0));
    const Row freq = bound_row(unit, peq_band_kind(band, 1));
    if (!gain || !freq) {
        return std::nullopt;
    }
    ChannelParameter p = numeric(state, gain, readout_name(*gain, true));
    // The middle bands spell their unit in capitals.
    const bool capitals = band == 1 || band == 2;
    p.frequency_text = [&state, freq, capitals] {
        std::string text = ParameterValue::text(*freq, ParameterValue::stored(*freq, state));
        if (capitals && text.ends_with("Hz")) {
            text.back() = 'Z';
        }
        return text;
    };
    p.store_frequency = [&state, freq, name = p.name](const std::string& t) {
        return store_typed(state, *freq, name + " FRE", t);
    };
    return p;
}

// The kind whose row a graph marker shows: a filter's marker its frequency.
ReadoutKind shown_kind(ReadoutKind kind) {
    switch (kind) {
        case ReadoutKind::HpfMarker:
            return ReadoutKind::HpfFrequency;
        case ReadoutKind::LpfMarker:
            return ReadoutKind::LpfFrequency;
        default:
            return kind;
    }
}

std::optional<ChannelParameter> entry(DeviceState& state, int unit, ReadoutKind kind) {
    if (kind == ReadoutKind::Selected) {
        return empty_kind();
    }
    if (StateFields::is_input(unit)) {
        const int marker = number_of(kind) - number_of(ReadoutKind::FirstBandMarker);
        if (marker >= 0 && marker < kPeqBandKinds) {
            return marker_entry(state, unit, marker);
        }
    }
    const Row row = bound_row(unit, shown_kind(kind));
    if (!row) {
        return std::nullopt;
    }
    if (kind == ReadoutKind::Mute) {
        return mute_entry(state, row);
    }
    return numeric(state, row, readout_name(*row, false));
}

}  // namespace

std::optional<ChannelParameter> readout_parameter(DeviceState& state, int channel,
                                                  ReadoutKind kind) {
    if (channel >= 0 && channel < kInputCount) {
        return entry(state, StateFields::input_unit(channel), kind);
    }
    if (channel >= kOutputBase && channel < kOutputBase + kOutputCount) {
        return entry(state, StateFields::output_unit(channel - kOutputBase), kind);
    }
    return std::nullopt;
}

}  // namespace kestra
