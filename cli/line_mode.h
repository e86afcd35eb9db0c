// vorlcnv [options] [--] ENTRY...: a conversion described by the program's
// arguments, handed to the library as its command line.
#pragma once

#include <string>
#include <vector>

namespace vorlcnv {

// `arguments` are the program's arguments. The exit status.
int RunLineMode(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
