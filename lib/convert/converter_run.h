// Running an entry's external converter over its input file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "vorl_cnv.h"

namespace vorl {

// Runs converter slot `slot` (1 to 4) with `input` as "$I" and `output` as
// "$O". 0 once the command has run, whatever its own exit status; -19 when
// the command interpreter could not be started, or the command failed; then
// `exitCode` holds its exit code (-1: ended by a signal or never started).
// `stopNow`, when given, is asked while the converter runs and ends it
// (see RunShellCommand).
int RunConverter(const VorlInformation &info, int slot, const std::string &input, const std::string &output,
                 int &exitCode, const std::function<bool()> &stopNow = {});

class ConverterCache;

// As RunConverter, taking the result from `cache` when it holds one for
// this template and these input bytes, and storing a new one there.
// `itemLength` is how many bytes from the start of `output` are the item;
// -1 for all of them.
int RunConverterCached(const VorlInformation &info, int slot, const std::string &input, const std::string &output,
                       int &exitCode, int64_t &itemLength, ConverterCache *cache,
                       const std::function<bool()> &stopNow = {});

}  // namespace vorl
