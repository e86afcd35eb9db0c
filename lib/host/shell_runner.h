// Running a converter command through /bin/sh, synchronously.
#pragma once

#include <functional>
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
//
// With `stopNow`, which is asked about every 50 ms while the command runs,
// the command runs in a process group of its own, so that a stop ends it
// with everything it started: SIGTERM to the group, SIGKILL two seconds
// later for what is left. The wait status then tells of the signal.
int RunShellCommand(const std::string &command, const std::vector<ShellVariable> &variables,
                    const std::function<bool()> &stopNow = {});

// The exit code within a wait status; -1 for a command ended by a signal
// or never started.
int ExitCodeOf(int waitStatus);

}  // namespace vorl::host
