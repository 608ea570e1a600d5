#pragma once

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace test_support {

struct CommandResult {
    int status = -1;
    std::string out, err;
};

/// Runs a program to its end as a script would on a machine without a display: no DISPLAY,
/// no Qt platform chosen. (fork and exec, which the thread sanitizer follows, unlike the clone
/// calls of QProcess.)
inline CommandResult RunCommand(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string_view variable(*entry);
        if (!variable.starts_with("DISPLAY=") && !variable.starts_with("WAYLAND_DISPLAY=") &&
            !variable.starts_with("QT_QPA_PLATFORM="))
            environment.emplace_back(variable);
    }
    const auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> list;
        for (std::string& s : strings) list.push_back(s.data());
        list.push_back(nullptr);
        return list;
    };
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args = pointers(argv), env = pointers(environment);
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]), ::close(out[1]), ::close(err[0]), ::close(err[1]);
        ::execve(program.c_str(), args.data(), env.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    CommandResult result;
    pollfd streams[] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* texts[] = {&result.out, &result.err};
    for (int open = 2; open > 0;) {
        ::poll(streams, 2, -1);
        for (int k = 0; k < 2; ++k) {
            if (streams[k].fd < 0 || streams[k].revents == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(streams[k].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[k]->append(buffer, static_cast<std::size_t>(got));
            } else {
                ::close(streams[k].fd);
                streams[k].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace test_support
