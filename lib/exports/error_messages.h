// The message table: the only place where an error code becomes text.
#pragma once

#include <optional>
#include <string>

#include "message_language.h"

namespace vorl {

// The CP932 message of a code from 0 to -22, or nothing.
std::optional<std::string> ErrorMessage(int code);

// The UTF-8 message of a code from 0 to -22 in `language`, or nothing.
std::optional<std::string> MessageText(int code, common::MessageLanguage language);

}  // namespace vorl
