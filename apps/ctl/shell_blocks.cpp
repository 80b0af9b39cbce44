#include <string>

#include "shell.h"

namespace kestra::ctl {

namespace {

// The word after the channel: which block action of the editor's buttons to run.
struct BlockWords {
    int index;  // zero-based channel
    std::string action;
};

BlockWords block_words(const Words& w, int channels, const std::string& usage) {
    if (w.size() != 3) {
        throw CommandError("usage: " + usage);
    }
    return BlockWords{word_int(w, 1, 1, channels, "channel") - 1, w[2]};
}

// "on" / "off" as the block's button sets it: pressed only when the switch differs.
bool wanted_switch(const std::string& word, const std::string& usage) {
    if (word != "on" && word != "off") {
        throw CommandError("usage: " + usage);
    }
    return word == "on";
}

void shell_peq(ShellEnv& env, const Words& w) {
    const std::string usage = "peq N reset|bypass";
    const BlockWords b = block_words(w, kInputCount, usage);
    PeqActions& peq = env.controller.surface().peq;
    if (b.action == "reset") {
        peq.reset(b.index);
    } else if (b.action == "bypass") {
        peq.toggle_bypass(b.index);
    } else {
        throw CommandError("usage: " + usage);
    }
}

void shell_geq(ShellEnv& env, const Words& w) {
    const std::string usage = "geq M reset|on|off";
    const BlockWords b = block_words(w, kOutputCount, usage);
    GeqActions& geq = env.controller.surface().geq;
    if (b.action == "reset") {
        geq.reset(b.index);
        return;
    }
    const bool on = wanted_switch(b.action, usage);
    if ((env.controller.session().state().output(b.index).geq_on != 0) != on) {
        geq.toggle_on(b.index);
    }
}

void run_dynamics(DynamicsActions& actions, const BlockWords& b, const std::string& usage) {
    if (b.action == "reset") {
        actions.reset(b.index);
        return;
    }
    const bool on = wanted_switch(b.action, usage);
    if ((actions.value(b.index, DynamicsField::On) != 0) != on) {
        actions.toggle_on(b.index);
    }
}

}  // namespace

void add_block_commands(ShellRegistry& registry) {
    registry.add("peq", shell_peq);
    registry.add("geq", shell_geq);
    registry.add("comp", [](ShellEnv& env, const Words& w) {
        const std::string usage = "comp N reset|on|off";
        run_dynamics(env.controller.surface().compressor, block_words(w, kInputCount, usage),
                     usage);
    });
    registry.add("lim", [](ShellEnv& env, const Words& w) {
        const std::string usage = "lim M reset|on|off";
        run_dynamics(env.controller.surface().limiter, block_words(w, kOutputCount, usage), usage);
    });
}

}  // namespace kestra::ctl
