// The message table: the only place where an error code becomes text.
#pragma once

#include <optional>
#include <string>

namespace vorl {

// The CP932 message of a code from 0 to -22, or nothing.
std::optional<std::string> ErrorMessage(int code);

}  // namespace vorl
