// Resolving a relative path name against a base folder, byte by byte and
// without case folding; the file system is never consulted.
#pragma once

#include <string>
#include <string_view>

#include "path_rules.h"

namespace vorl {

std::string MakeAbsolutePath(std::string_view relative, std::string_view base, const host::PathRules &rules);

}  // namespace vorl
