// vorlcnv --list and --extract as commands: the pack's files opened and
// read no further than its index and the item asked for, and the item
// put where the user asked for it.
#pragma once

#include <string>
#include <vector>

namespace vorlcnv {

// `arguments` are the program's arguments, "--list" or "--extract" first.
// The exit status.
int RunListCommand(const std::vector<std::string> &arguments);
int RunExtractCommand(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
