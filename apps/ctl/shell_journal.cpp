// Shell commands of the change journal: undo, redo and the journal's lines.
#include <climits>
#include <ostream>

#include "shell.h"

namespace kestra::ctl {

namespace {

constexpr std::size_t kDefaultLines = 20;

void print_outcome(ShellEnv& env, const std::optional<UndoOutcome>& outcome, const char* none) {
    if (!outcome) {
        throw CommandError(none);
    }
    env.out << outcome->text << std::endl;
}

void undo_command(ShellEnv& env, const Words& w) {
    if (w.size() != 1) {
        throw CommandError("usage: undo");
    }
    print_outcome(env, env.controller.journal().undo(), "nothing to undo");
}

void redo_command(ShellEnv& env, const Words& w) {
    if (w.size() != 1) {
        throw CommandError("usage: redo");
    }
    print_outcome(env, env.controller.journal().redo(), "nothing to redo");
}

// TIME, ORIGIN and TEXT separated by tabs, oldest first.
void journal_command(ShellEnv& env, const Words& w) {
    if (w.size() > 2) {
        throw CommandError("usage: journal [N]");
    }
    const std::size_t n =
        w.size() == 2 ? static_cast<std::size_t>(word_int(w, 1, 1, INT_MAX, "N")) : kDefaultLines;
    for (const JournalLine& line : env.controller.journal().last(n)) {
        env.out << line.time << '\t' << line.origin << '\t' << line.text << '\n';
    }
    env.out << std::flush;
}

}  // namespace

void add_journal_commands(ShellRegistry& registry) {
    registry.add("undo", undo_command);
    registry.add("redo", redo_command);
    registry.add("journal", journal_command);
}

}  // namespace kestra::ctl
