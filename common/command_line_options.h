// The options of the command-line conversion, in one table: the library
// reads its command lines by it, and vorlcnv tells by it which files a
// line writes, so the two can never drift apart.
#pragma once

#include <array>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "number_text.h"

namespace vorl::options {

enum class Option {
    Mode,
    Align,
    IndexMark,
    RunningOffsets,
    Skip,
    NoSkip,
    Alias,
    NoAlias,
    BigEndian,
    LittleEndian,
    Width2,
    Width4,
    Label,
    Header,
    Data,
    ListFile
};

struct OptionText {
    std::string_view text;
    Option option;
};

// Tested from top to bottom; the first whose text begins the argument
// (ignoring case) wins, and the rest of the argument is its value.
constexpr std::array<OptionText, 16> kOptions = {{
    {"-p", Option::Mode},
    {"-a", Option::Align},
    {"-i", Option::IndexMark},
    {"--i", Option::RunningOffsets},
    {"-s", Option::Skip},
    {"--s", Option::NoSkip},
    {"-e", Option::Alias},
    {"--e", Option::NoAlias},
    {"-b", Option::BigEndian},
    {"--b", Option::LittleEndian},
    {"-t2", Option::Width2},
    {"-t4", Option::Width4},
    {"-l", Option::Label},
    {"-h", Option::Header},
    {"-o", Option::Data},
    {"-f", Option::ListFile},
}};

// The longest line the library reads and the most arguments it holds:
// vorlcnv moves entries into list files rather than pass it more.
constexpr size_t kLongestCommandLine = 4095;
constexpr size_t kMostArguments = 255;

// The names a line writes when it names none: its "-o" and "-h" with an
// empty value keep them.
constexpr std::string_view kDefaultDataFile = "vorldata.dat";
constexpr std::string_view kDefaultHeaderFile = "vorlhead.dat";

inline bool StartsWithIgnoringCase(std::string_view argument, std::string_view prefix)
{
    if (argument.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(argument[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

inline std::optional<OptionText> MatchOption(std::string_view argument)
{
    for (const auto &option : kOptions) {
        if (StartsWithIgnoringCase(argument, option.text)) {
            return option;
        }
    }
    return std::nullopt;
}

// The output mode a "-p" value selects, from its decimal number: a number
// past 3 selects 0, as the format's own reader does; below 0 there is none.
inline int32_t OutputModeOf(std::string_view value)
{
    int32_t mode = common::DecimalValue(value);
    return mode > 3 ? 0 : mode;
}

}  // namespace vorl::options
