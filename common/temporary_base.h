// Where temporary folders go when the caller names no place: the library's
// working directories and vorlcnv's temporary list files lie side by side.
// The first of VORLTEMP, TMP and TEMP (the variables of the format's own
// platform), then TMPDIR (the variable Linux users set) that is set, not
// empty and usable; else the current folder.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace vorl::common {

constexpr std::array<const char *, 4> kTemporaryBaseVariables = {"VORLTEMP", "TMP", "TEMP", "TMPDIR"};
constexpr std::string_view kTemporaryBaseFallback = ".";

// `valueOf(name)` gives the variable's value as its caller can use it, or
// nothing when it is unset, empty or unusable to that caller (a value
// without a CP932 form, say); the next variable is asked then.
template <typename ValueOf>
std::string TemporaryBase(ValueOf valueOf)
{
    for (const char *name : kTemporaryBaseVariables) {
        if (std::optional<std::string> value = valueOf(name)) {
            return *value;
        }
    }
    return std::string(kTemporaryBaseFallback);
}

}  // namespace vorl::common
