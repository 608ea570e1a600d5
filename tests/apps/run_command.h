#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support.h"

namespace test_support {

struct CommandResult {
    int status = -1;  ///< the exit status; -1 when a signal ended the process
    std::string out, err;
};

/// Where the program's standard output goes and the limits it runs under.
struct CommandSetup {
    const char* out = nullptr;  ///< a file to write standard output to, instead of a scratch file
    bool outUnread = false;     ///< standard output a pipe whose reading end is already closed
    rlim_t fileSizeLimit = RLIM_INFINITY;
};

/// A program started as a script would start it on a machine without a display: no DISPLAY,
/// no Qt platform chosen; standard error (and output) go to scratch files. (fork and exec,
/// which the thread sanitizer follows, unlike the clone calls of QProcess.)
class Command {
public:
    Command(const std::string& program, const std::vector<std::string>& arguments, const CommandSetup& setup = {}) {
        std::vector<std::string> argv{program};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> args;
        for (std::string& s : argv) args.push_back(s.data());
        args.push_back(nullptr);
        int unread[2] = {-1, -1};
        if (setup.outUnread && ::pipe(unread) == 0) ::close(unread[0]);  // closed before the child can write
        pid = ::fork();
        if (pid == 0) {
            for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(variable);
            const int out = setup.outUnread ? unread[1]
                            : setup.out     ? ::open(setup.out, O_WRONLY)
                                            : ::fileno(out_);
            ::dup2(out, STDOUT_FILENO);
            ::dup2(::fileno(err_), STDERR_FILENO);
            const rlimit limit{setup.fileSizeLimit, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            ::execv(program.c_str(), args.data());
            ::_exit(127);
        }
        if (setup.outUnread) ::close(unread[1]);
    }
    ~Command() {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        std::fclose(out_);
        std::fclose(err_);
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    /// Waits for the program's end.
    CommandResult Wait() {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        const auto text = [](std::FILE* file) { return Contents("/proc/self/fd/" + std::to_string(::fileno(file))); };
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(out_), text(err_)};
    }

    pid_t pid = -1;

private:
    std::FILE *out_ = std::tmpfile(), *err_ = std::tmpfile();
};

}  // namespace test_support
