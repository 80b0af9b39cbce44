#include "parameter_listing.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "cli_args.h"
#include "params/parameter_catalogue.h"
#include "params/parameter_path.h"
#include "params/parameter_value.h"

namespace kestra::ctl {

std::string ParameterListing::row_line(const Parameter& p) {
    std::string range = "\t\t";
    if (p.has_range()) {
        const double a = ParameterValue::display(p, p.min);
        const double b = ParameterValue::display(p, p.max);
        const double step = std::abs(p.law.scale) * p.step;
        range = ParameterValue::number_text(p, std::min(a, b)) + "\t" +
                ParameterValue::number_text(p, std::max(a, b)) + "\t" +
                ParameterValue::number_text(p, step);
    }
    std::string choices;
    for (const std::string& c : p.choices) {
        choices += (choices.empty() ? "" : "|") + c;
    }
    return p.path + "\t" + p.label + "\t" + ParameterCatalogue::type_name(p.law.type) + "\t" +
           p.law.unit + "\t" + range + "\t" + choices;
}

std::string ParameterListing::value_line(const Parameter& p, const DeviceState& state,
                                         const NameCodec& codec) {
    if (p.law.type == ParameterType::Text) {
        const std::string name = codec.to_utf8(ParameterValue::stored_text(p, state));
        return p.path + "\t" + name + "\t" + name;
    }
    const int32_t stored = ParameterValue::stored(p, state);
    return p.path + "\t" + ParameterValue::text(p, stored) + "\t" + std::to_string(stored);
}

void ParameterListing::print_rows(std::string_view pattern, std::ostream& out) {
    if (!ParameterPath::well_formed(pattern, true)) {
        throw CommandError("params: bad pattern '" + std::string(pattern) + "'");
    }
    const auto rows = ParameterCatalogue::select(pattern);
    if (rows.empty()) {
        throw CommandError("params: no parameter matches '" + std::string(pattern) + "'");
    }
    for (const Parameter* p : rows) {
        out << row_line(*p) << '\n';
    }
    out.flush();
}

}  // namespace kestra::ctl
