#include "params/typed_number.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

namespace kestra {

namespace {

bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Index of the first character after leading blanks and the sign; `negative` tells the sign.
std::size_t skip_sign(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])) != 0) {
        ++i;
    }
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return i;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && is_blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && is_blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string lower_ascii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

const char* unit_word(TypedUnit unit) {
    switch (unit) {
        case TypedUnit::Decibel:
            return "dB";
        case TypedUnit::Hertz:
            return "Hz";
        case TypedUnit::Millisecond:
            return "ms";
        default:
            return "";
    }
}

// Units of other parameters, so that "5 ms" in a level box is told apart from a typing slip.
bool is_unit_word(const std::string& lower) {
    for (const char* word : {"db", "hz", "khz", "k", "ms", "s", "%"}) {
        if (lower == word) {
            return true;
        }
    }
    return false;
}

// A sign, digits and an optional point with digits, with the point moved `places` to the right
// in the text itself: "1.001" thousands must come out 1001, which a multiplication in binary
// floating point does not promise.
std::string shift_point(std::string_view number, std::size_t places) {
    const auto point = number.find('.');
    std::string shifted(number.substr(0, point));
    std::string fraction(point == std::string_view::npos ? "" : number.substr(point + 1));
    if (fraction.size() < places) {
        fraction.resize(places, '0');
    }
    return shifted + fraction.substr(0, places) + "." + fraction.substr(places);
}

TypedNumber refused(std::string why) {
    return {std::nullopt, std::move(why)};
}

// Why `suffix`, the text after the number, makes the text no value in `unit`.
std::string suffix_refusal(const std::string& quoted, const std::string& suffix, TypedUnit unit) {
    if (suffix.size() > 1 && suffix[0] == ',' && is_digit(suffix[1])) {
        return quoted + " is not a number: decimals take a point, as in 1.5";
    }
    if (!is_unit_word(suffix)) {
        return quoted + " is not a number";
    }
    if (unit == TypedUnit::None || unit == TypedUnit::Ratio) {
        return quoted + " takes no unit";
    }
    return quoted + " is not in " + unit_word(unit) + (unit == TypedUnit::Hertz ? " or kHz" : "");
}

}  // namespace

TypedNumber read_typed_number(std::string_view text, TypedUnit unit) {
    const std::string_view t = trimmed(text);
    if (t.empty()) {
        return refused("nothing was typed");
    }
    const std::string quoted = "\"" + std::string(t) + "\"";
    std::size_t i = unit == TypedUnit::Ratio && t.substr(0, 2) == "1:" ? 2 : 0;
    const std::size_t start = i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < t.size() && is_digit(t[i]); ++i) {
        ++digits;
    }
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && is_digit(t[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return refused(quoted + " is not a number");
    }
    const std::string_view number = t.substr(start, i - start);
    std::string suffix = lower_ascii(trimmed(t.substr(i)));
    std::size_t places = 0;
    if (unit == TypedUnit::Hertz && (suffix == "k" || suffix == "khz")) {
        places = 3;
        suffix.clear();
    }
    if (!suffix.empty() && suffix != lower_ascii(unit_word(unit))) {
        return refused(suffix_refusal(quoted, suffix, unit));
    }
    const std::string plain = places > 0 ? shift_point(number, places) : std::string(number);
    return {TypedValue{leading_decimal(plain), leading_integer(plain)}, {}};
}

int leading_integer(std::string_view text) {
    bool negative = false;
    long long value = 0;
    for (std::size_t i = skip_sign(text, negative); i < text.size() && is_digit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(value);
}

double leading_decimal(std::string_view text) {
    bool negative = false;
    std::size_t i = skip_sign(text, negative);
    std::string number = negative ? "-" : "";
    bool large = false;  // a non-zero digit before the point
    for (; i < text.size() && is_digit(text[i]); ++i) {
        large = large || text[i] != '0';
        number += text[i];
    }
    if (i < text.size() && text[i] == '.') {
        number += '.';
        for (++i; i < text.size() && is_digit(text[i]); ++i) {
            number += text[i];
        }
    }
    // from_chars, not strtod: the application's locale may use a decimal comma.
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        const double huge = large ? std::numeric_limits<double>::max() : 0.0;
        return negative ? -huge : huge;
    }
    return error == std::errc() ? value : 0.0;
}

}  // namespace kestra
