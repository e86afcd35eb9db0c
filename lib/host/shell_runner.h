// Running a converter command through /bin/sh, synchronously.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vorl::host {

struct ShellVariable {
    std::string name;
    std::string libraryPath;  // handed to the command as its native form
};

// Runs `command` (CP932) with `/bin/sh -c`, the variables added to its
// environment. File names travel only through the environment: the shell
// expands a reference such as "${VORL_IN}" to the name without ever
// reading the name as code. Returns the command's wait status, or -1 when
// the shell could not be started (or a text has no host form).
int RunShellCommand(const std::string &command, const std::vector<ShellVariable> &variables);

// The exit code within a wait status; -1 for a command ended by a signal
// or never started.
int ExitCodeOf(int waitStatus);

}  // namespace vorl::host
