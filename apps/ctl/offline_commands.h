#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli_args.h"

namespace kestra::ctl {

// The commands that need no processor: frame, state, encode, image. Returns the exit status.
// `args` starts with the command word.
int run_offline_command(const GlobalOptions& options, const std::vector<std::string>& args,
                        std::istream& in, std::ostream& out);

bool is_offline_command(const std::string& word);

}  // namespace kestra::ctl
