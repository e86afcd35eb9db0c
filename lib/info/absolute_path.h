// Resolving a relative path name against a base folder, byte by byte and
// without case folding; the file system is never consulted.
#pragma once

#include <string>
#include <string_view>

#include "path_rules.h"

namespace vorl {

std::string ResolveAbsolutePath(std::string_view relative, std::string_view base, const host::PathRules &rules);

// 1 when the result fits `out` (`size` bytes with the NUL), else 0.
int MakeAbsolutePath(const char *relative, const char *base, char *out, int size,
                     const host::PathRules &rules = host::HostRules());

}  // namespace vorl
