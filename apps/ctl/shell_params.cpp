#include <string>

#include "operator/parameter_setter.h"
#include "parameter_listing.h"
#include "params/parameter_catalogue.h"
#include "shell.h"

namespace kestra::ctl {

namespace {

constexpr const char* kGetUsage = "usage: get PATH (wildcards: in.*.volume, out.3.*)";

// A name is the rest of the line; words are joined by single spaces.
std::string rest_of_line(const Words& w, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < w.size(); ++i) {
        text += (i > from ? " " : "") + w[i];
    }
    return text;
}

void shell_get(ShellEnv& env, const Words& w) {
    if (w.size() != 2) {
        throw CommandError(kGetUsage);
    }
    const auto rows = ParameterCatalogue::select(w[1]);
    if (rows.empty()) {
        throw CommandError("get: no parameter '" + w[1] + "'");
    }
    ProcessorSession& session = env.controller.session();
    for (const Parameter* p : rows) {
        env.out << ParameterListing::value_line(*p, session.state(), session.codec()) << '\n';
    }
    env.out.flush();
}

}  // namespace

void set_parameter(ShellEnv& env, const Words& w) {
    const Parameter* p = w.size() >= 3 ? ParameterCatalogue::find(w[1]) : nullptr;
    if (p == nullptr) {
        throw CommandError(w.size() >= 3 ? "set: no parameter '" + w[1] + "'"
                                         : std::string("usage: set PATH VALUE"));
    }
    const bool name = p->law.type == ParameterType::Text;
    if (!name && w.size() != 3) {
        throw CommandError("usage: set PATH VALUE");
    }
    ParameterSetter(env.controller.surface()).set(*p, name ? rest_of_line(w, 2) : w[2]);
    ProcessorSession& session = env.controller.session();
    env.out << ParameterListing::value_line(*p, session.state(), session.codec()) << std::endl;
}

void add_param_commands(ShellRegistry& registry) {
    registry.add("get", shell_get);
}

}  // namespace kestra::ctl
