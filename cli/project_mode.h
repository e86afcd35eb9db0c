// vorlcnv --project FILE --data NAME [--header NAME] [--workdir DIR]: a
// project saved by the editor, or a legacy one, read and converted by the
// library in one call.
#pragma once

#include <string>
#include <vector>

namespace vorlcnv {

// `arguments` are the program's arguments. The exit status.
int RunProjectMode(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
