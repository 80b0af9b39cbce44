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

// A program running beside the test (a virtual processor); ended when this goes.
class BackgroundProcess {
public:
    BackgroundProcess(const std::string& program, const std::vector<std::string>& args);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // The first line it prints, waiting at most a few seconds; empty if none came.
    std::string first_line();

private:
    int pid_ = -1;
    int out_fd_ = -1;
};

}  // namespace kestra::testing
