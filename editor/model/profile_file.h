// Reading a private profile file ("vorlmake.ini"): sections in brackets,
// "key=value" lines, names compared without regard to case, the quotes
// around the whole value removed. The value comes whole: its limit of 255
// bytes counts code-page bytes, so the caller cuts it after recoding.
#pragma once

#include <string>
#include <string_view>

namespace vorlmake {

constexpr size_t kProfileValueLimit = 255;

std::string ReadProfileString(std::string_view content, std::string_view section, std::string_view key,
                              const std::string &fallback);

}  // namespace vorlmake
