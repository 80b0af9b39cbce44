#pragma once

#include <string_view>

namespace kestra {

// Paths of the parameter catalogue: dot-separated words and numbers ("in.3.peq.2.gain").
// A pattern's "*" stands for any one word; a "*" that ends the pattern also stands for
// everything below it, so "out.3.*" selects every parameter of output 3.
class ParameterPath {
public:
    static bool matches(std::string_view pattern, std::string_view path);
    // Whether `text` has the form of a path: non-empty words of letters, digits and '_'.
    static bool well_formed(std::string_view text, bool allow_wildcards = false);
};

}  // namespace kestra
