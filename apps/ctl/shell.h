#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "scripted_console.h"

namespace kestra::ctl {

using Words = std::vector<std::string>;

// What a shell command works with.
struct ShellEnv {
    ScriptedConsole& controller;
    std::ostream& out;
    std::ostream& err;
};

// The shell's commands by first word. A handler throws CommandError (or any exception) to
// report the line as failed; the shell then goes on with the next line.
class ShellRegistry {
public:
    using Handler = std::function<void(ShellEnv&, const Words&)>;

    void add(const std::string& word, Handler handler);
    // Runs one line's words; throws CommandError for an unknown command.
    void run(ShellEnv& env, const Words& words) const;

private:
    std::map<std::string, Handler> handlers_;
};

// Each capability adds its commands.
void add_session_commands(ShellRegistry& registry);   // connect disconnect wait dump set status
void add_auto_commands(ShellRegistry& registry);      // unit type typefreq readout
void add_block_commands(ShellRegistry& registry);     // peq geq comp lim
void add_mix_commands(ShellRegistry& registry);       // group route rename
void add_curve_commands(ShellRegistry& registry);     // curve
void add_session_commands(ShellRegistry& registry);   // connect disconnect wait dump set
void add_firmware_commands(ShellRegistry& registry);  // firmware update
void add_store_commands(ShellRegistry& registry);     // scene preset recovery
void add_journal_commands(ShellRegistry& registry);   // undo redo journal
void add_param_commands(ShellRegistry& registry);     // get

// "set PATH VALUE": one catalogue parameter, VALUE in its display unit.
void set_parameter(ShellEnv& env, const Words& words);

// Reads commands from `in` until its end; returns 1 when any line failed.
int run_shell(const GlobalOptions& options, std::istream& in, std::ostream& out, std::ostream& err);

// The value of words[i] as an integer in lo..hi, or a CommandError naming `what`.
int word_int(const Words& words, std::size_t i, int lo, int hi, const std::string& what);

}  // namespace kestra::ctl
