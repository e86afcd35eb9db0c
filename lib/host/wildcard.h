// Wildcard patterns: '?' matches one character, '*' any run of them.
// Case-sensitive, as the host's file names are. A two-byte CP932 character
// counts as one character.
#pragma once

#include <string_view>

namespace vorl::host {

bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace vorl::host
