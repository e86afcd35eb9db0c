// Expressing a path relative to a base folder, byte by byte and without
// case folding; the file system is never consulted.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "path_rules.h"

namespace vorl {

// Nothing when the result would not fit a buffer of `size` bytes: the
// same-folder results "." and "./" need at least three.
std::optional<std::string> ResolveRelativePath(std::string_view path, std::string_view base, int size,
                                               const host::PathRules &rules);

// 1 when the result fits `out` (`size` bytes with the NUL), else 0.
int MakeRelativePath(const char *path, const char *base, char *out, int size,
                     const host::PathRules &rules = host::HostRules());

}  // namespace vorl
