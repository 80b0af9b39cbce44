#include "control/typed_number.h"

#include <cctype>
#include <charconv>
#include <climits>
#include <limits>
#include <string>
#include <system_error>

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

}  // namespace

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
