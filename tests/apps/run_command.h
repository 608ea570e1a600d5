#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace test_support {

struct CommandResult {
    int status = -1;
    std::string out, err;
};

/// Runs a program to its end as a script would on a machine without a display: no DISPLAY,
/// no Qt platform chosen; its standard output and error go to files of their own. (fork and
/// exec, which the thread sanitizer follows, unlike the clone calls of QProcess.)
inline CommandResult RunCommand(const std::string& program, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> args;
    for (std::string& s : argv) args.push_back(s.data());
    args.push_back(nullptr);
    std::FILE *out = std::tmpfile(), *err = std::tmpfile();
    const pid_t child = ::fork();
    if (child == 0) {
        for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(variable);
        ::dup2(::fileno(out), STDOUT_FILENO);
        ::dup2(::fileno(err), STDERR_FILENO);
        ::execv(program.c_str(), args.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const auto text = [](std::FILE* file) {
        std::string bytes;
        std::rewind(file);
        for (int c; (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
        std::fclose(file);
        return bytes;
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text(out), text(err)};
}

}  // namespace test_support
