#include <cstdio>
#include <ostream>

#include "dsp/geq_bars.h"
#include "dsp/response_curve.h"
#include "shell.h"

namespace kestra::ctl {

namespace {

void print_values(std::ostream& out, const GridValues& values) {
    char line[32];
    for (double v : values) {
        std::snprintf(line, sizeof line, "%.4f\n", v);
        out << line;
    }
    out.flush();
}

// An input prints its editor's drawn sum; an output the graphic EQ's 15 band gains carried
// across the same grid, as its bar graph shows them.
void shell_curve(ShellEnv& env, const Words& words) {
    if (words.size() != 3 || (words[1] != "input" && words[1] != "output")) {
        throw CommandError("usage: curve input N | curve output M");
    }
    const bool input = words[1] == "input";
    const int n = word_int(words, 2, 1, input ? kInputCount : kOutputCount, "channel");
    DeviceState& state = env.controller.session().state();
    if (input) {
        print_values(env.out, input_response(state.input(n - 1), n - 1));
    } else {
        print_values(env.out, geq_grid_curve(geq_gains_db(state.output(n - 1))));
    }
}

}  // namespace

void add_curve_commands(ShellRegistry& registry) {
    registry.add("curve", shell_curve);
}

}  // namespace kestra::ctl
