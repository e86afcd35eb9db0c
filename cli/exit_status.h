// How vorlcnv ends. Beside 0, a conversion that fails ends with the
// library's code negated (1 to 22), a signal with 128 plus its number, and
// everything else with one of these, as in sysexits.h.
#pragma once

#include <string>
#include <string_view>

namespace vorlcnv {

constexpr int kUsageError = 64;    // the arguments of vorlcnv are wrong
constexpr int kDataError = 65;     // no pack, one cut short, no such item; a list or pipe too large
constexpr int kNoInput = 66;       // a file to read cannot be opened
constexpr int kCannotCreate = 73;  // an output of vorlcnv's own cannot be made, or is a file the run reads
constexpr int kIoError = 74;       // a file cannot be read, or standard output or an output written to
constexpr int kNotUpToDate = 100;  // --verify: the outputs are not what the conversion makes

// Writes a message (UTF-8) on standard error in the character set the
// locale names: every message of vorlcnv goes through here.
void SayOnStandardError(std::string_view utf8);

// Says on standard error why the arguments cannot be used, and where to
// read how they are; kUsageError.
int UsageError(const std::string &why);

// Standard output that cannot take what was written to it (a full disk,
// a closed pipe) is a failure of its own, as in the system's own tools:
// 0, or kIoError once the reason is on standard error.
int FinishStandardOutput();

// Writes `text` (UTF-8) on standard output in the locale's character set
// and finishes it.
int PrintOnStandardOutput(std::string_view text);

// The same, byte for byte.
int PrintBytesOnStandardOutput(std::string_view bytes);

}  // namespace vorlcnv
