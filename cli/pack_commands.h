// vorlcnv --list and --extract as commands: their arguments, the listing
// printed, and the item put where the user asked for it.
#pragma once

#include <string>
#include <vector>

namespace vorlcnv {

// `arguments` are the program's arguments, "--list" or "--extract" first.
// The exit status.
int RunListCommand(const std::vector<std::string> &arguments);
int RunExtractCommand(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
