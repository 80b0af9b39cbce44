#include "params/parameter_value.h"

#include <algorithm>
#include <cmath>

#include "model/state_fields.h"
#include "params/band_type_law.h"
#include "params/eq_gain_law.h"
#include "params/frequency_law.h"
#include "params/typed_number.h"

namespace kestra {

namespace {

constexpr int kEmptyUnitSlot = 0xFF;
// A typed decimal lands a rounding error below its step ("2.3" x 10 is just under 23); the
// nudge keeps it on the step.
constexpr double kStepNudge = 1e-9;

bool same_words(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

TypedUnit unit_of(const ValueLaw& law) {
    if (law.type == ParameterType::Ratio) {
        return TypedUnit::Ratio;
    }
    const std::string_view unit = law.unit;
    if (unit == "dB") {
        return TypedUnit::Decibel;
    }
    if (unit == "Hz") {
        return TypedUnit::Hertz;
    }
    return unit == "ms" ? TypedUnit::Millisecond : TypedUnit::None;
}

std::optional<int32_t> flag_word(std::string_view text) {
    for (const char* on : {"on", "1", "true"}) {
        if (same_words(text, on)) {
            return 1;
        }
    }
    for (const char* off : {"off", "0", "false"}) {
        if (same_words(text, off)) {
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<int32_t> choice_word(const Parameter& p, std::string_view text) {
    for (std::size_t i = 0; i < p.choices.size(); ++i) {
        if (same_words(text, p.choices[i])) {
            return p.min + static_cast<int32_t>(i) * p.step;
        }
    }
    return std::nullopt;
}

bool has_field(const Parameter& p) {
    return p.field.unit >= 0 && p.field.slot >= 0;
}

}  // namespace

int32_t ParameterValue::stored(const Parameter& p, const DeviceState& state) {
    if (!has_field(p) || p.law.type == ParameterType::Text) {
        return 0;
    }
    const int32_t v =
        StateFields::values(state, p.field.unit).at(static_cast<std::size_t>(p.field.slot)).number;
    return p.selects != 0 ? (v == p.selects ? 1 : 0) : v;
}

std::string ParameterValue::stored_text(const Parameter& p, const DeviceState& state) {
    if (!has_field(p) || p.law.type != ParameterType::Text) {
        return {};
    }
    return StateFields::values(state, p.field.unit).at(static_cast<std::size_t>(p.field.slot)).text;
}

bool ParameterValue::store(const Parameter& p, DeviceState& state, int32_t value) {
    if (!has_field(p) || p.law.type == ParameterType::Text) {
        return false;
    }
    FieldValue v{value, {}, false};
    if (p.selects != 0) {
        if (value == 0 && stored(p, state) == 0) {
            return true;  // another group stays the active one
        }
        v.number = value != 0 ? p.selects : 0;
    }
    return StateFields::assign(state, p.field.unit, p.field.slot, v);
}

double ParameterValue::display(const Parameter& p, int32_t stored) {
    return (static_cast<double>(stored) + p.law.offset) * p.law.scale;
}

std::string ParameterValue::number_text(const Parameter& p, double display) {
    long long scale = 1;
    for (int d = 0; d < p.law.decimals; ++d) {
        scale *= 10;
    }
    // In integer digits: the text must not follow the locale's decimal mark.
    const long long units = std::llround(display * static_cast<double>(scale));
    const long long magnitude = units < 0 ? -units : units;
    std::string text = units < 0 ? "-" : "";
    text += std::to_string(magnitude / scale);
    if (p.law.decimals > 0) {
        std::string fraction = std::to_string(magnitude % scale);
        fraction.insert(0, static_cast<std::size_t>(p.law.decimals) - fraction.size(), '0');
        text += "." + fraction;
    }
    return text;
}

std::string ParameterValue::text(const Parameter& p, int32_t stored) {
    if (p.law.type == ParameterType::Text) {
        return {};
    }
    if (!p.choices.empty() && stored >= p.min && stored <= p.max &&
        (stored - p.min) % p.step == 0) {
        const auto i = static_cast<std::size_t>((stored - p.min) / p.step);
        if (i < p.choices.size()) {
            return p.choices[i];
        }
    }
    const std::string number = number_text(p, display(p, stored));
    if (p.law.type == ParameterType::Ratio) {
        return "1:" + number;
    }
    const std::string_view unit = p.law.unit;
    // Unit after the number without a blank, as the read-out writes it.
    return number + std::string(unit);
}

int ParameterValue::position(const Parameter& p, int32_t stored) {
    if (p.law.control == ControlForm::LogFrequency) {
        return FrequencyLaw::slider_position(stored) - FrequencyLaw::kSliderMin;
    }
    return (limited(p, stored) - p.min) / p.step;
}

int32_t ParameterValue::stored_of_position(const Parameter& p, int position) {
    if (p.law.control == ControlForm::LogFrequency) {
        return FrequencyLaw::stored_of_slider(position + FrequencyLaw::kSliderMin);
    }
    return limited(p, static_cast<int64_t>(p.min) + static_cast<int64_t>(position) * p.step);
}

int ParameterValue::position_count(const Parameter& p) {
    if (p.law.control == ControlForm::LogFrequency) {
        return FrequencyLaw::kSliderMax - FrequencyLaw::kSliderMin + 1;
    }
    return (p.max - p.min) / p.step + 1;
}

int ParameterValue::wire(const Parameter& p, int32_t stored) {
    switch (p.law.wire) {
        case WireForm::Halved:
            return EqGainLaw::wire(stored);
        case WireForm::PlusOne:
            return BandTypeLaw::wire(stored);
        case WireForm::ZeroAsFF:
            return stored == 0 ? kEmptyUnitSlot : stored;
        case WireForm::Same:
        case WireForm::None:
            break;
    }
    return stored;
}

int32_t ParameterValue::stored_of_wire(const Parameter& p, int wire) {
    switch (p.law.wire) {
        case WireForm::Halved:
            return EqGainLaw::stored_of_wire(wire);
        case WireForm::PlusOne:
            return BandTypeLaw::type_of_wire(wire);
        case WireForm::ZeroAsFF:
            return wire == kEmptyUnitSlot ? 0 : wire;
        case WireForm::Same:
        case WireForm::None:
            break;
    }
    return wire;
}

int ParameterValue::wire_resolution(const Parameter& p) {
    return p.law.wire == WireForm::Halved ? 2 : 1;
}

int32_t ParameterValue::limited(const Parameter& p, int64_t stored) {
    const int64_t v = std::clamp<int64_t>(stored, p.min, p.max);
    const int64_t steps = (v - p.min + p.step / 2) / p.step;
    return static_cast<int32_t>(std::min<int64_t>(p.min + steps * p.step, p.max));
}

ParameterValue::Typed ParameterValue::read(const Parameter& p, std::string_view text) {
    const auto refused = [&p](std::string reason) {
        return Typed{std::nullopt, p.label + ": " + reason, reason};
    };
    if (p.law.type == ParameterType::Text) {
        return {std::nullopt, p.label + " is a text, not a number", "a text, not a number"};
    }
    if (const auto word = choice_word(p, text)) {
        return {*word, {}, {}};
    }
    if (p.law.type == ParameterType::Bool) {
        if (const auto flag = flag_word(text)) {
            return {*flag, {}, {}};
        }
        std::string words = "on or off";
        if (!p.choices.empty()) {
            words = p.choices.back() + ", " + p.choices.front() + ", " + words;
        }
        return {std::nullopt, p.label + " takes " + words, "takes " + words};
    }
    const TypedNumber typed = read_typed_number(text, typed_unit(p));
    if (!typed.value) {
        return refused(typed.refusal);
    }
    return {stored_of_typed(p, *typed.value), {}, {}};
}

TypedUnit ParameterValue::typed_unit(const Parameter& p) {
    return unit_of(p.law);
}

int32_t ParameterValue::stored_of_typed(const Parameter& p, const TypedValue& typed) {
    const ValueLaw& law = p.law;
    if (law.decimals == 0 && law.scale == 1.0) {
        return limited(p, static_cast<int64_t>(typed.integer) - law.offset);
    }
    // A tenth is typed as x 10, not / 0.1, which lands further from the step.
    const double units = law.scale < 1.0 ? typed.decimal * std::round(1.0 / law.scale) - law.offset
                                         : typed.decimal / law.scale - law.offset;
    if (!(units >= p.min)) {
        return p.min;
    }
    if (units > p.max) {
        return p.max;
    }
    return limited(p, static_cast<int64_t>(std::floor(units + kStepNudge)));
}

}  // namespace kestra
