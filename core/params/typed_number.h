#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestra {

// The numbers an operator types into the read-out's boxes: leading blanks, an optional sign,
// then digits (and for a decimal a point and more digits); whatever follows is ignored. Text
// without a number reads as 0. An integer beyond the int range saturates; exponents and the
// words "inf" and "nan" are not numbers here, so every result compares as a number.
int leading_integer(std::string_view text);
double leading_decimal(std::string_view text);

// What a parameter's value is typed in: the unit its read-out shows, which may follow the
// number, or none. A ratio may be typed as it is shown ("1:4") or as its second number.
enum class TypedUnit { None, Ratio, Decibel, Hertz, Millisecond };

// A typed number read in both of the read-out's ways: `decimal` as written, `integer` its part
// before the point (truncated toward zero, saturated to the int range).
struct TypedValue {
    double decimal = 0.0;
    int integer = 0;
};

// A whole typed text as a number of `unit`: blanks, a sign, digits with an optional decimal
// point, then blanks and the unit's word in any case ("dB", "Hz", "ms"). A frequency also takes
// "k" or "kHz" for thousands ("1.5k" is 1500). Anything else is refused, with the reason as the
// operator reads it: a word that is no number must not become 0, and a number meant in another
// unit must not be taken as this one.
struct TypedNumber {
    std::optional<TypedValue> value;
    std::string refusal;  // set when `value` is empty
};
TypedNumber read_typed_number(std::string_view text, TypedUnit unit);

}  // namespace kestra
