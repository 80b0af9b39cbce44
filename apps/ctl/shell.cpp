#include "shell.h"

#include <iostream>
#include <sstream>
#include <stdexcept>

#include "model/state_json.h"

namespace kestra::ctl {

namespace {

void shell_set(ShellEnv& env, const Words& words) {
    if (words.size() >= 3 && words[1].find('.') != std::string::npos) {
        set_parameter(env, words);
        return;
    }
    if (words.size() == 4 && words[1] == "system") {
        const auto field = FieldPath::parse(words[2]);
        if (!field) {
            throw CommandError("set: bad field name '" + words[2] + "'");
        }
        const int value = word_int(words, 3, -1000000, 1000000, "value");
        env.controller.surface().commit_field(FieldTarget::System, -1, *field, value);
        return;
    }
    if (words.size() != 5 || (words[1] != "input" && words[1] != "output")) {
        throw CommandError(
            "usage: set input|output N FIELD VALUE | set system FIELD VALUE | set PATH VALUE");
    }
    const bool input = words[1] == "input";
    const int n = word_int(words, 2, 1, input ? kInputCount : kOutputCount, "channel");
    const auto field = FieldPath::parse(words[3]);
    if (!field) {
        throw CommandError("set: bad field name '" + words[3] + "'");
    }
    const int value = word_int(words, 4, -1000000, 1000000, "value");
    env.controller.surface().commit_field(input ? FieldTarget::Input : FieldTarget::Output, n - 1,
                                          *field, value);
}

const char* phase_text(ConnectionPhase phase) {
    switch (phase) {
        case ConnectionPhase::Connecting:
            return "CONNECTING";
        case ConnectionPhase::Awaiting:
            return "AWAITING";
        case ConnectionPhase::Connected:
            return "CONNECTED";
        case ConnectionPhase::Offline:
            break;
    }
    return "OFFLINE";
}

// One "NAME<TAB>VALUE" line each, for an installer or a script to read.
void shell_status(ShellEnv& env, const Words& words) {
    if (words.size() != 1) {
        throw CommandError("usage: status");
    }
    ProcessorSession& session = env.controller.session();
    const DeviceEndpoint& device = session.device();
    env.out << "connection\t" << phase_text(session.connection().phase()) << '\n'
            << "reports\t" << ReportSupervisor::Status{session.supervisor().online()}.text() << '\n'
            << "processor\t" << device.address() << ':' << device.port << '\n'
            << "foreign_datagrams\t" << session.foreign_datagrams() << std::endl;
}

}  // namespace

void ShellRegistry::add(const std::string& word, Handler handler) {
    handlers_[word] = std::move(handler);
}

void ShellRegistry::run(ShellEnv& env, const Words& words) const {
    const auto it = handlers_.find(words.at(0));
    if (it == handlers_.end()) {
        throw CommandError("unknown command '" + words[0] + "'");
    }
    try {
        it->second(env, words);
    } catch (const std::invalid_argument& e) {
        throw CommandError(words[0] + ": " + e.what());
    }
}

int word_int(const Words& words, std::size_t i, int lo, int hi, const std::string& what) {
    if (i >= words.size()) {
        throw CommandError("missing " + what);
    }
    return parse_int(words[i], lo, hi, what);
}

void add_session_commands(ShellRegistry& registry) {
    registry.add("connect", [](ShellEnv& env, const Words& w) {
        if (w.size() != 1) {
            throw CommandError("usage: connect");
        }
        if (!env.controller.connect()) {
            throw CommandError("not connected");
        }
    });
    registry.add("disconnect", [](ShellEnv& env, const Words&) { env.controller.disconnect(); });
    registry.add("wait", [](ShellEnv& env, const Words& w) {
        if (w.size() != 2) {
            throw CommandError("usage: wait MS");
        }
        env.controller.run_for(std::chrono::milliseconds(word_int(w, 1, 0, 3600000, "wait")));
    });
    registry.add("dump", [](ShellEnv& env, const Words&) {
        env.out << StateJson::dump(env.controller.session().state(),
                                   env.controller.session().codec())
                << std::endl;
    });
    registry.add("set", shell_set);
    registry.add("status", shell_status);
}

int run_shell(const GlobalOptions& options, std::istream& in, std::ostream& out,
              std::ostream& err) {
    ShellRegistry registry;
    add_session_commands(registry);
    add_auto_commands(registry);
    add_block_commands(registry);
    add_mix_commands(registry);
    add_curve_commands(registry);
    add_firmware_commands(registry);
    add_store_commands(registry);
    add_journal_commands(registry);
    add_param_commands(registry);
    ScriptedConsole controller(options, err);
    ShellEnv env{controller, out, err};
    bool failed = false;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words_in(line);
        Words words;
        for (std::string w; words_in >> w;) {
            words.push_back(w);
        }
        if (words.empty() || words[0][0] == '#') {
            continue;
        }
        try {
            registry.run(env, words);
        } catch (const std::exception& e) {
            err << "error: " << e.what() << std::endl;
            failed = true;
        }
        controller.settle();  // each line is one step for undo
    }
    try {
        controller.disconnect();  // the end of the input closes like a disconnect
    } catch (const std::exception& e) {
        err << "error: " << e.what() << std::endl;
        failed = true;
    }
    return failed ? 1 : 0;
}

}  // namespace kestra::ctl
