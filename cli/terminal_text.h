// The terminal speaks UTF-8; the library speaks CP932.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlcnv {

std::optional<std::string> ToLibraryText(std::string_view utf8);
std::string ToTerminalText(std::string_view cp932);

}  // namespace vorlcnv
