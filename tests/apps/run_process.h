#pragma once

#include <string>
#include <vector>

namespace kestra::testing {

struct ProcessResult {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), feeding `input` on stdin.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input = {});

}  // namespace kestra::testing
