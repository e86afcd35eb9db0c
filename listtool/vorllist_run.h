// One run of VorlList with its arguments; the exit status.
#pragma once

#include <string>
#include <vector>

namespace vorllist {

int Run(const std::vector<std::string> &arguments);

}  // namespace vorllist
