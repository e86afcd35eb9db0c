// The shared helpers of common/: the one reader of whole numbers with the
// rules its callers put on top, the wildcard matcher in its UTF-8 form
// (the CP932 form is the host's, in host_tests.cpp), and rounding up.
#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "number_text.h"
#include "round_up.h"
#include "wildcard_match.h"

namespace vorl::test {
namespace {

using common::NumberBase;
using common::ReadNumberText;

TEST(NumberText, ReadsDigitsWithTheirOverflow)
{
    struct Case {
        std::string_view text;
        NumberBase base;
        uint64_t value;
        bool overflowed;
        bool negative;
        bool digits;
        size_t end;
    };
    constexpr NumberBase kDec = NumberBase::Decimal;
    constexpr NumberBase kAny = NumberBase::Prefixed;
    const Case cases[] = {
        {"", kDec, 0, false, false, false, 0},
        {"   ", kDec, 0, false, false, false, 0},
        {" \t\n\v\f\r12", kDec, 12, false, false, true, 8},
        {"+", kDec, 0, false, false, false, 0},
        {"-", kDec, 0, false, true, false, 0},
        {"+7", kDec, 7, false, false, true, 2},
        {"-7", kDec, 7, false, true, true, 2},
        {"- 7", kDec, 0, false, true, false, 0},  // no blank after the sign
        {"+-7", kDec, 0, false, false, false, 0},
        {"12abc", kDec, 12, false, false, true, 2},
        {"12 34", kDec, 12, false, false, true, 2},
        {"0x1F", kDec, 0, false, false, true, 1},  // no prefix in decimal
        {"010", kDec, 10, false, false, true, 3},
        {"0x1F", kAny, 31, false, false, true, 4},
        {"0X1f", kAny, 31, false, false, true, 4},
        {"-0x10", kAny, 16, false, true, true, 5},
        {"0x", kAny, 0, false, false, true, 1},  // the 0 alone, "x" is text
        {"0xg", kAny, 0, false, false, true, 1},
        {"010", kAny, 8, false, false, true, 3},
        {"08", kAny, 0, false, false, true, 1},  // 8 is no octal digit
        {"0", kAny, 0, false, false, true, 1},
        {"  +0777", kAny, 511, false, false, true, 7},
        {"2147483647", kDec, 2147483647u, false, false, true, 10},
        {"2147483648", kDec, 2147483648u, false, false, true, 10},
        {"-2147483648", kDec, 2147483648u, false, true, true, 11},
        {"4294967295", kDec, 4294967295u, false, false, true, 10},
        {"4294967296", kDec, 4294967296u, false, false, true, 10},
        {"0xFFFFFFFF", kAny, 0xFFFFFFFFu, false, false, true, 10},
        {"0x100000000", kAny, 0x100000000u, false, false, true, 11},
        {"18446744073709551615", kDec, UINT64_MAX, false, false, true, 20},
        {"18446744073709551616", kDec, 0, true, false, true, 20},  // 2^64: its low 64 bits
        {"18446744073709551617", kDec, 1, true, false, true, 20},
        {"0x10000000000000005", kAny, 5, true, false, true, 19},
        {"02000000000000000000000", kAny, 0, true, false, true, 23},  // 2^64 in octal
        {"-99999999999999999999999999", kDec, 0xDCC80CD2E3FFFFFFu, true, true, true, 27},
    };
    for (const auto &c : cases) {
        auto number = ReadNumberText(c.text, c.base);
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(c.value, number.value);
        EXPECT_EQ(c.overflowed, number.overflowed);
        EXPECT_EQ(c.negative, number.negative);
        EXPECT_EQ(c.digits, number.digits);
        EXPECT_EQ(c.end, number.end);
    }
}

// Each rule on the same texts: the project's modulo 2^32, the references'
// clamp, and strtoul's and strtol's ends where their longs have 64 bits.
TEST(NumberText, EachRuleOnTheSameDigits)
{
    struct Case {
        std::string_view text;
        int32_t wrapped;
        uint64_t clamped;  // to 65536
        uint64_t saturatedUnsigned;
        int64_t saturatedSigned;
    };
    const Case cases[] = {
        {"", 0, 0, 0, 0},
        {"abc", 0, 0, 0, 0},
        {"1", 1, 1, 1, 1},
        {"-1", -1, 1, UINT64_MAX, -1},
        {"65537", 65537, 65536, 65537, 65537},
        {"2147483647", INT32_MAX, 65536, 2147483647u, 2147483647},
        {"2147483648", INT32_MIN, 65536, 2147483648u, 2147483648},
        {"-2147483648", INT32_MIN, 65536, 0xFFFFFFFF80000000u, -2147483648},
        {"-2147483649", INT32_MAX, 65536, 0xFFFFFFFF7FFFFFFFu, -2147483649},
        {"4294967295", -1, 65536, 4294967295u, 4294967295},
        {"4294967296", 0, 65536, 4294967296u, 4294967296},
        {"4294967297", 1, 65536, 4294967297u, 4294967297},
        {"9223372036854775808", 0, 65536, 9223372036854775808u, INT64_MAX},
        {"-9223372036854775808", 0, 65536, 9223372036854775808u, INT64_MIN},
        {"-9223372036854775809", -1, 65536, 9223372036854775807u, INT64_MIN},
        {"-18446744073709551615", 1, 65536, 1, INT64_MIN},
        {"18446744073709551616", 0, 65536, UINT64_MAX, INT64_MAX},
        {"-18446744073709551616", 0, 65536, UINT64_MAX, INT64_MIN},
        {"99999999999999999999999999", -469762049, 65536, UINT64_MAX, INT64_MAX},
        {"-99999999999999999999999999", 469762049, 65536, UINT64_MAX, INT64_MIN},
        {" 12x", 12, 12, 12, 12},
    };
    for (const auto &c : cases) {
        auto number = ReadNumberText(c.text);
        SCOPED_TRACE(std::string(c.text));
        EXPECT_EQ(c.wrapped, common::WrappedInt32(number));
        EXPECT_EQ(c.wrapped, common::DecimalValue(c.text));
        EXPECT_EQ(c.clamped, common::ClampedMagnitude(number, 65536));
        EXPECT_EQ(c.saturatedUnsigned, common::SaturatedUnsigned(number));
        EXPECT_EQ(c.saturatedSigned, common::SaturatedSigned(number));
    }
}

size_t Utf8Length(std::string_view text, size_t at)
{
    size_t length = 1;
    while (at + length < text.size() && (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

// VorlList's form: '?' takes a whole UTF-8 character, other bytes compare
// one by one.
TEST(WildcardMatch, Utf8CharactersComparedByteByByte)
{
    constexpr common::WildcardCharacters kUtf8 = {Utf8Length, false};
    struct Case {
        const char *pattern;
        const char *name;
        bool matches;
    };
    const Case cases[] = {
        {"sprite???.png", "sprite001.png", true},
        {"sprite???.png", "Sprite001.png", false},
        {"?.png", "あ.png", true},
        {"??.png", "あ.png", false},
        {"あ*", "あい", true},
        {"*い", "あい", true},
        {"a\xC3*", "a\xC3\xA9", true},
        {"*", ".hidden", true},
        {"", "", true},
        {"", "a", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.matches, common::MatchWildcard(c.pattern, c.name, kUtf8)) << c.pattern << " ~ " << c.name;
    }
}

TEST(RoundUp, StepsToTheNextMultipleWithoutWrapping)
{
    struct Case {
        uint64_t value;
        uint64_t multiple;
        uint64_t rounded;
    };
    const Case cases[] = {
        {0, 4, 0},
        {1, 4, 4},
        {4, 4, 4},
        {5, 4, 8},
        {7, 0, 7},
        {7, 1, 7},
        {2049, 2048, 4096},
        {7, 12, 12},
        {0xFFFFFFFFu, 4096, 0x100000000u},
        {UINT64_MAX - 4095, 4096, UINT64_MAX - 4095},  // already a multiple
        {UINT64_MAX - 4, 12, UINT64_MAX - 3},          // fits, though value + 11 would not
        {UINT64_MAX - 4094, 4096, UINT64_MAX},         // past 64 bits
        {UINT64_MAX, 2, UINT64_MAX},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.rounded, common::RoundUp(c.value, c.multiple)) << c.value << " / " << c.multiple;
    }
}

}  // namespace
}  // namespace vorl::test
