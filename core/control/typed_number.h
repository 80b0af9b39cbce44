#pragma once

#include <string_view>

namespace kestra {

// The numbers an operator types into the read-out's boxes: leading blanks, an optional sign,
// then digits (and for a decimal a point and more digits); whatever follows is ignored. Text
// without a number reads as 0. An integer beyond the int range saturates; exponents and the
// words "inf" and "nan" are not numbers here, so every result compares as a number.
int leading_integer(std::string_view text);
double leading_decimal(std::string_view text);

}  // namespace kestra
