// What the project formats settle once for every reader and writer: the
// oldest version still read, and the keywords of the XML project's
// settings, each in the order of the values it stands for.
#pragma once

#include <array>
#include <cstdint>

namespace vorl {

// Version 3.02; the newest is VORL_PRJ_VERSION, the one written.
constexpr int32_t kOldestReadableVersion = 302;

constexpr std::array<const char *, 4> kIndexOutKeywords = {"infile", "outtext", "outbinary", "nothing"};
constexpr std::array<const char *, 3> kPathModeKeywords = {"nothing", "absolute", "relative"};
constexpr std::array<const char *, 2> kBooleanKeywords = {"false", "true"};

}  // namespace vorl
