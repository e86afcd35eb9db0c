// References: an entry whose file name is "*" and a row number shares the
// data of that row instead of naming a file. The readers, the writer, the
// conversion and the command line tell a reference and read its row here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "number_text.h"

namespace vorl::common {

constexpr char kReferenceMark = '*';

// The command line writes a reference as "**N", so that a file whose name
// begins with one "*" stays a file.
constexpr std::string_view kCommandLineReferenceMark = "**";

// No row has this number or a larger one (rows count from 0 to 9999): a
// number past it reads as it, so that a long one never wraps into a row.
constexpr uint64_t kBeyondEveryRow = 10000;

constexpr bool IsReference(std::string_view name)
{
    return !name.empty() && name[0] == kReferenceMark;
}

// The row a reference names, read like atoi after the "*": a number too
// long is kBeyondEveryRow, a negative one stays negative, and a text with
// no digits gives -1. None of these is an earlier row, and each is refused
// as one.
constexpr int64_t ReferencedRow(std::string_view reference)
{
    const NumberText number = ReadNumberText(reference.substr(reference.empty() ? 0 : 1));
    if (!number.digits) {
        return -1;
    }
    const auto row = static_cast<int64_t>(ClampedMagnitude(number, kBeyondEveryRow));
    return number.negative ? -row : row;
}

// The name that refers to `row`.
inline std::string ReferenceTo(int64_t row)
{
    return std::string(1, kReferenceMark).append(std::to_string(row));
}

// An entry of the command line that begins with "**" is a reference only
// when a digit follows; the rest is an unused entry.
constexpr bool IsCommandLineReference(std::string_view argument)
{
    return argument.substr(0, kCommandLineReferenceMark.size()) == kCommandLineReferenceMark;
}

// The row of a "**N" entry, or -1 when no digit follows the "**" (an
// unused entry). The digits are read as the conversion reads them.
constexpr int64_t CommandLineReferencedRow(std::string_view argument)
{
    const size_t digits = kCommandLineReferenceMark.size();
    if (!IsCommandLineReference(argument) || argument.size() <= digits || argument[digits] < '0' ||
        argument[digits] > '9') {
        return -1;
    }
    return ReferencedRow(argument.substr(digits - 1));
}

}  // namespace vorl::common
