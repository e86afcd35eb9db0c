// Whole numbers in texts: the digits are read in one place, and each
// reader of a number picks the rule for a value that does not fit it from
// the few below, so that two readers of the same text cannot disagree on
// anything but that rule.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorl::common {

enum class NumberBase {
    Decimal,   // digits 0-9 only, like atoi or strtol with base 10
    Prefixed,  // "0x" hexadecimal, a leading "0" octal, else decimal: base 0 of strtol
};

// What the digits said. The reader never fails and never clamps: a value
// too large for 64 bits keeps its low 64 bits in `value` and sets
// `overflowed`, which is all any of the rules below needs: the low 32 bits
// of the true value are the low 32 bits of `value`, and every limit of
// ours is below 2^64.
struct NumberText {
    uint64_t value = 0;       // the digits' value modulo 2^64
    bool overflowed = false;  // the digits' value is 2^64 or more
    bool negative = false;    // a '-' stood before the digits
    bool digits = false;      // at least one digit was read
    size_t end = 0;           // just past the last digit read; 0 without digits, as strtol's end pointer
};

constexpr bool IsNumberBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Leading blanks (those of the C locale), one optional sign, then digits
// up to the first other character, as the C library reads them: no blank
// may follow the sign, and a "0x" without a hexadecimal digit after it is
// the number 0 followed by text.
constexpr NumberText ReadNumberText(std::string_view text, NumberBase base = NumberBase::Decimal)
{
    auto digitOf = [](char c) -> unsigned {
        if (c >= '0' && c <= '9') {
            return static_cast<unsigned>(c - '0');
        }
        if (c >= 'a' && c <= 'f') {
            return static_cast<unsigned>(c - 'a' + 10);
        }
        if (c >= 'A' && c <= 'F') {
            return static_cast<unsigned>(c - 'A' + 10);
        }
        return 99;
    };
    NumberText number;
    size_t i = 0;
    while (i < text.size() && IsNumberBlank(text[i])) {
        ++i;
    }
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        number.negative = text[i++] == '-';
    }
    unsigned radix = 10;
    if (base == NumberBase::Prefixed && i < text.size() && text[i] == '0') {
        bool hex = i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') && digitOf(text[i + 2]) < 16;
        radix = hex ? 16 : 8;
        // The "0" of an octal number is one of its digits.
        i += hex ? 2 : 0;
    }
    for (; i < text.size() && digitOf(text[i]) < radix; ++i) {
        const uint64_t digit = digitOf(text[i]);
        if (number.value > (UINT64_MAX - digit) / radix) {
            number.overflowed = true;
        }
        // Unsigned arithmetic wraps: `value` stays the true value modulo 2^64.
        number.value = number.value * radix + digit;
        number.digits = true;
        number.end = i + 1;
    }
    return number;
}

// The rules a reader applies on top of the digits.

// Project texts and the command line's own numbers: the value modulo 2^32
// as a signed 32-bit number, so "-1" and "4294967295" both give the bits
// 0xFFFFFFFF. The project writer prints values of 2^31 and more as
// negative numbers, and they must read back as the same bits.
constexpr int32_t WrappedInt32(const NumberText &number)
{
    const uint32_t low = static_cast<uint32_t>(number.value);
    return static_cast<int32_t>(number.negative ? 0u - low : low);
}

// The digits' value, but no more than `limit`; the sign is the caller's.
constexpr uint64_t ClampedMagnitude(const NumberText &number, uint64_t limit)
{
    return number.overflowed || number.value > limit ? limit : number.value;
}

// What strtoul gives where unsigned long has 64 bits: a value past 64 bits
// is UINT64_MAX whatever its sign, and a negative one within them is taken
// modulo 2^64.
constexpr uint64_t SaturatedUnsigned(const NumberText &number)
{
    if (number.overflowed) {
        return UINT64_MAX;
    }
    return number.negative ? 0 - number.value : number.value;
}

// What strtol and atol give where long has 64 bits: a value outside the
// signed 64-bit range is its nearest end.
constexpr int64_t SaturatedSigned(const NumberText &number)
{
    constexpr uint64_t kLowestMagnitude = uint64_t{1} << 63;
    if (number.negative) {
        if (number.overflowed || number.value >= kLowestMagnitude) {
            return INT64_MIN;
        }
        return -static_cast<int64_t>(number.value);
    }
    return number.overflowed || number.value > INT64_MAX ? INT64_MAX : static_cast<int64_t>(number.value);
}

// A decimal number read like C's atoi in the modulo of WrappedInt32: the
// project readers and the command line's "-p" and "-a" read theirs so.
constexpr int32_t DecimalValue(std::string_view text)
{
    return WrappedInt32(ReadNumberText(text, NumberBase::Decimal));
}

}  // namespace vorl::common
