#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace kestra::testing {

namespace {

// In the child after fork: becomes the program, or ends with 127.
[[noreturn]] void exec_program(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const auto& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
}

// A program that writes to its default data folder (the change journal) writes into a
// temporary one, never the user's; a test that wants a folder of its own passes --data-dir.
// Set in this process before any fork, so the children inherit it.
void keep_default_data_out_of_home() {
    static const bool set = [] {
        const std::string dir = (std::filesystem::temp_directory_path() / "kestra-test-data");
        return setenv("KESTRA_DATA_DIR", dir.c_str(), 0) == 0;
    }();
    (void)set;
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const std::string& input) {
    int in_pipe[2], out_pipe[2], err_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    keep_default_data_out_of_home();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        for (int fd :
             {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
            close(fd);
        }
        exec_program(program, args);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    close(err_pipe[1]);
    ProcessResult result;
    std::size_t written = 0;
    int in_fd = in_pipe[1];
    if (input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    bool out_open = true, err_open = true;
    while (out_open || err_open) {
        pollfd fds[3] = {{out_open ? out_pipe[0] : -1, POLLIN, 0},
                         {err_open ? err_pipe[0] : -1, POLLIN, 0},
                         {in_fd, POLLOUT, 0}};
        if (poll(fds, 3, 20000) <= 0) {
            break;
        }
        char buf[4096];
        for (int k = 0; k < 2; ++k) {
            if (fds[k].revents & (POLLIN | POLLHUP)) {
                const ssize_t n = read(fds[k].fd, buf, sizeof buf);
                if (n <= 0) {
                    (k == 0 ? out_open : err_open) = false;
                } else {
                    (k == 0 ? result.out : result.err).append(buf, static_cast<std::size_t>(n));
                }
            }
        }
        if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
            const ssize_t n = write(in_fd, input.data() + written, input.size() - written);
            if (n > 0) {
                written += static_cast<std::size_t>(n);
            }
            if (n <= 0 || written == input.size()) {
                close(in_fd);
                in_fd = -1;
            }
        }
    }
    if (in_fd >= 0) {
        close(in_fd);
    }
    close(out_pipe[0]);
    close(err_pipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

BackgroundProcess::BackgroundProcess(const std::string& program,
                                     const std::vector<std::string>& args) {
    int out_pipe[2];
    if (pipe(out_pipe) != 0) {
        throw std::runtime_error("pipe failed");
    }
    keep_default_data_out_of_home();
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out_pipe[1], 1);
        close(out_pipe[0]);
        close(out_pipe[1]);
        exec_program(program, args);
    }
    close(out_pipe[1]);
    out_fd_ = out_pipe[0];
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (out_fd_ >= 0) {
        close(out_fd_);
    }
}

std::string BackgroundProcess::first_line() {
    std::string line;
    char c = 0;
    for (;;) {
        pollfd p{out_fd_, POLLIN, 0};
        if (poll(&p, 1, 5000) <= 0 || read(out_fd_, &c, 1) != 1 || c == '\n') {
            return line;
        }
        line += c;
    }
}

}  // namespace kestra::testing
