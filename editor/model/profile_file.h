// Reading a private profile file ("vorlmake.ini"): sections in brackets,
// "key=value" lines, names compared without regard to case, a value of at
// most 255 bytes with the quotes around the whole value removed.
#pragma once

#include <string>
#include <string_view>

namespace vorlmake {

constexpr size_t kProfileValueLimit = 255;

std::string ReadProfileString(std::string_view content, std::string_view section, std::string_view key,
                              const std::string &fallback);

}  // namespace vorlmake
