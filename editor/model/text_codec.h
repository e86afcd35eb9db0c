// CP932 and UTF-8 for the editor's files and library calls.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlmake {

// Nothing when the text has no form in the other encoding.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

}  // namespace vorlmake
