#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "model/device_state.h"
#include "params/parameter.h"
#include "text/name_codec.h"

namespace kestra::ctl {

// The catalogue as kestra-ctl prints it, one row a line, tab-separated.
class ParameterListing {
public:
    // PATH LABEL TYPE UNIT MIN MAX STEP CHOICES: the range in the display unit, the choices
    // '|'-separated; empty fields where the row has none.
    static std::string row_line(const Parameter& p);
    // PATH DISPLAY_TEXT STORED for the value `state` holds.
    static std::string value_line(const Parameter& p, const DeviceState& state,
                                  const NameCodec& codec);
    // Every row matching `pattern` ("*" for all); throws CommandError for a malformed pattern
    // or one that matches nothing.
    static void print_rows(std::string_view pattern, std::ostream& out);
};

}  // namespace kestra::ctl
