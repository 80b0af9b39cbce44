#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli_args.h"

namespace kestra::ctl {

// discover, pull, levels and shell: the commands that talk to a processor.
bool is_online_command(const std::string& word);
int run_online_command(const GlobalOptions& options, const std::vector<std::string>& args,
                       std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace kestra::ctl
