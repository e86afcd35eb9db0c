// Converter command templates: the expansion rules with the names pasted,
// and the shell form, where names only ever travel as variables.
#include <gtest/gtest.h>

#include <string>

#include "template_expansion.h"

namespace vorl {
namespace {

struct ExpansionCase {
    const char *pattern;
    const char *input;
    const char *output;
    size_t room;
    const char *expected;
};

const ExpansionCase kCases[] = {
    {"zedpack.exe p /8 \"$I\" \"$O\"", R"(C:\in\a.bmp)", R"(C:\w\vorl0001\vorlpack.tmp)", 512,
     R"(zedpack.exe p /8 "C:\in\a.bmp" "C:\w\vorl0001\vorlpack.tmp")"},
    {"conv $i $o", "in", "out", 512, "conv in out"},
    {"cost $$5 and $x", "in", "out", 512, "cost $5 and x"},
    {"$", "in", "out", 512, ""},
    {"trailing $", "in", "out", 512, "trailing "},
    {"tab\there\nnewline\x7f", "in", "out", 512, "tabherenewline\x7f"},
    {"sjis \x83\x5C $I", "in", "out", 512, "sjis \x83\x5C in"},
    // Room 8: "ab " leaves 5, "input" (5) is not shorter, so nothing goes
    // in; " cd" leaves 2, "x" fits and leaves 1, which ends the walk.
    {"ab $I cd$Ozz", "input", "x", 8, "ab  cdx"},
    // The walk ends when one byte of room is left for the NUL.
    {"abcdef", "", "", 4, "abc"},
};

TEST(TemplateExpansion, PastesNamesByTheRoomRule)
{
    for (const auto &c : kCases) {
        EXPECT_EQ(c.expected, ExpandTemplate(c.pattern, {c.input, c.output}, c.room)) << c.pattern;
    }
}

TEST(TemplateExpansion, ShellFormQuotesReferencesForTheirPlace)
{
    struct ShellCase {
        const char *pattern;
        const char *expected;
    };
    const ShellCase cases[] = {
        {R"(cp "$I" "$O")", R"(cp "${VORL_IN}" "${VORL_OUT}")"},
        {R"(cp $I $O)", R"(cp "${VORL_IN}" "${VORL_OUT}")"},
        {R"(cp '$I' '$O')", R"(cp ''"${VORL_IN}"'' ''"${VORL_OUT}"'')"},
        {R"(sh -c 'cat "$I"' > $O)", R"(sh -c 'cat "'"${VORL_IN}"'"' > "${VORL_OUT}")"},
        {R"(echo \"$I)", R"(echo \""${VORL_IN}")"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.expected, ExpandTemplateForShell(c.pattern, {"in", "out"})) << c.pattern;
    }
}

TEST(TemplateExpansion, ShellFormKeepsTheRoomRuleOfTheNames)
{
    std::string longName(600, 'a');
    EXPECT_EQ(R"(cp "" "${VORL_OUT}")", ExpandTemplateForShell(R"(cp "$I" "$O")", {longName, "out"}));
}

}  // namespace
}  // namespace vorl
