// Path conversion: both result tables under the Windows rules, the same
// cases under the host's POSIX rules, and the room rules of the buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>

#include "absolute_path.h"
#include "lower_ascii_sjis.h"
#include "path_conversion.h"
#include "recode_text.h"
#include "relative_path.h"
#include "test_support.h"
#include "vorl_cnv.h"

namespace vorl {
namespace {

struct PathCase {
    const char *path;
    const char *base;
    const char *windows;  // result under the Windows rules
    const char *posix;    // result under the host's rules
};

const PathCase kAbsToRel[] = {
    {R"(C:\Data\Pic\a.BMP)", R"(C:\Data\Prj)", R"(..\pic\a.bmp)", R"(../Pic\a.BMP)"},
    {R"(C:\Data\Pic\a.bmp)", R"(C:\Data)", R"(pic\a.bmp)", R"(Pic\a.bmp)"},
    {R"(C:\Data\Pic\a.bmp)", R"(C:\Data\)", R"(pic\a.bmp)", R"(Pic\a.bmp)"},
    {R"(C:\Data)", R"(C:\Data\Prj\Sub)", R"(..\..)", R"(../..)"},
    {R"(C:\Data\Prj)", R"(C:\Data\Prj)", R"(.)", R"(.)"},
    {R"(C:\Data\Prj\)", R"(C:\Data\Prj)", R"(.\)", R"(./)"},
    {R"(C:\Data\Prj)", R"(C:\Data\Prj\)", R"(.)", R"(.)"},
    {R"(C:\DataX\f)", R"(C:\Data)", R"(..\datax\f)", R"(../DataX\f)"},
    {R"(D:\x\y.bin)", R"(C:\x)", R"(d:\x\y.bin)", R"(D:\x\y.bin)"},
    {R"(\\srv\a\b.txt)", R"(\\srv\a)", R"(b.txt)", R"(b.txt)"},
};

const PathCase kRelToAbs[] = {
    {R"(..\Pic\a.bmp)", R"(C:\Data\Prj)", R"(c:\data\pic\a.bmp)", R"(C:\Data/Pic\a.bmp)"},
    {R"(Pic\a.bmp)", R"(C:\Data\Prj\)", R"(c:\data\prj\pic\a.bmp)", R"(C:\Data\Prj/Pic\a.bmp)"},
    {R"(.)", R"(C:\Data\Prj\)", R"(c:\data\prj)", R"(C:\Data\Prj)"},
    {R"(.\)", R"(C:\Data\Prj)", R"(c:\data\prj\)", R"(C:\Data\Prj/)"},
    {R"(..)", R"(C:\Data\Prj)", R"(c:\data)", R"(C:\Data)"},
    {R"(..\..)", R"(C:\Data\Prj)", R"(c:)", R"(C:)"},
    {R"(..\..\)", R"(C:\Data\Prj)", R"(c:\)", R"(C:/)"},
    // Without drive letters "C:\Data" is a relative folder: the ".." that
    // climb above it stay, and never reach the root.
    {R"(..\..\..\x)", R"(C:\Data)", R"(\x)", R"(../x)"},
    {R"(...\x)", R"(C:\Data)", R"(c:\data\...\x)", R"(C:\Data/...\x)"},
    // The host has no drive letters: "D:" is an ordinary name there.
    {R"(D:\x)", R"(C:\y)", R"(d:\x)", R"(C:\y/D:\x)"},
    {R"(\x\y)", R"(C:\y)", R"(\x\y)", R"(\x\y)"},
    {R"(..\x)", R"(C:)", R"(\x)", R"(x)"},
};

// Names as they are written on this host.
const PathCase kNativeAbsToRel[] = {
    {"/data/pic/a.BMP", "/data/prj", nullptr, "../pic/a.BMP"},
    {"/data/Pic", "/data/pic", nullptr, "../Pic"},
    {"/home/u/a", "/home/u/", nullptr, "a"},
    {"/home/u", "/home/u/sub/deeper", nullptr, "../.."},
    {"/x/y", "/home/u", nullptr, "../../x/y"},
};

const PathCase kNativeRelToAbs[] = {
    {"../pic/a.bmp", "/data/prj", nullptr, "/data/pic/a.bmp"},
    {"a", "/", nullptr, "/a"},
    {"../x", "/data", nullptr, "/x"},
    {"./sub/f", "/data/", nullptr, "/data/sub/f"},
    {"/abs/f", "/data", nullptr, "/abs/f"},
};

std::string Apply(int (*convert)(const char *, const char *, char *, int, const host::PathRules &), const PathCase &c,
                  const host::PathRules &rules)
{
    char out[512] = {};
    EXPECT_EQ(1, convert(c.path, c.base, out, 511, rules)) << c.path << " | " << c.base;
    return out;
}

TEST(PathConversion, AbsoluteToRelativeUnderWindowsRules)
{
    for (const auto &c : kAbsToRel) {
        EXPECT_EQ(c.windows, Apply(ConvertAbsToRel, c, host::kWindowsRules)) << c.path << " | " << c.base;
    }
}

TEST(PathConversion, AbsoluteToRelativeUnderHostRules)
{
    for (const auto &c : kAbsToRel) {
        EXPECT_EQ(c.posix, Apply(ConvertAbsToRel, c, host::kPosixRules)) << c.path << " | " << c.base;
    }
    for (const auto &c : kNativeAbsToRel) {
        EXPECT_EQ(c.posix, Apply(ConvertAbsToRel, c, host::kPosixRules)) << c.path << " | " << c.base;
    }
}

TEST(PathConversion, RelativeToAbsoluteUnderWindowsRules)
{
    for (const auto &c : kRelToAbs) {
        EXPECT_EQ(c.windows, Apply(ConvertRelToAbs, c, host::kWindowsRules)) << c.path << " | " << c.base;
    }
}

TEST(PathConversion, RelativeToAbsoluteUnderHostRules)
{
    for (const auto &c : kRelToAbs) {
        EXPECT_EQ(c.posix, Apply(ConvertRelToAbs, c, host::kPosixRules)) << c.path << " | " << c.base;
    }
    for (const auto &c : kNativeRelToAbs) {
        EXPECT_EQ(c.posix, Apply(ConvertRelToAbs, c, host::kPosixRules)) << c.path << " | " << c.base;
    }
}

TEST(PathConversion, ExportsUseTheHostRules)
{
    char out[512];
    ASSERT_EQ(1, VorlAbs2RelPath("/data/Pic/a.BMP", "/data/Prj", out, 511));
    EXPECT_STREQ("../Pic/a.BMP", out);
    ASSERT_EQ(1, VorlRel2AbsPath("../Pic/a.BMP", "/data/Prj", out, 511));
    EXPECT_STREQ("/data/Pic/a.BMP", out);
}

TEST(PathConversion, SameFolderNeedsThreeBytes)
{
    for (const auto *rules : {&host::kWindowsRules, &host::kPosixRules}) {
        char out[3] = {'x', 'x', 'x'};
        EXPECT_EQ(0, ConvertAbsToRel(R"(C:\Data\Prj)", R"(C:\Data\Prj)", out, 2, *rules));
        EXPECT_EQ(1, ConvertAbsToRel(R"(C:\Data\Prj\)", R"(C:\Data\Prj)", out, 3, *rules));
        EXPECT_EQ(2u, std::string(out).size());
    }
}

TEST(PathConversion, ResultThatDoesNotFitReturnsZeroAndStaysTerminated)
{
    char out[8];
    std::memset(out, 'x', sizeof out);
    EXPECT_EQ(0, ConvertRelToAbs("Pic\\a.bmp", "C:\\Data\\Prj", out, 8, host::kWindowsRules));
    EXPECT_EQ('\0', out[7]);
    EXPECT_EQ(0, ConvertAbsToRel("C:\\Data\\Pic\\a.bmp", "C:\\Data\\Prj", out, 8, host::kWindowsRules));
    EXPECT_EQ('\0', out[7]);
    // Exactly fitting: "c:\\data" is 7 bytes plus its NUL.
    EXPECT_EQ(1, ConvertRelToAbs("..", "C:\\Data\\Prj", out, 8, host::kWindowsRules));
    EXPECT_STREQ("c:\\data", out);
    EXPECT_EQ(0, ConvertRelToAbs("a", "b", nullptr, 0, host::kWindowsRules));
    EXPECT_EQ(0, VorlRel2AbsPath(nullptr, "b", out, 8));
}

// Found by fuzzing: a same-folder result refused for room left the buffer
// without its terminator.
TEST(PathConversion, RefusedResultStillLeavesATerminatedBuffer)
{
    for (int size : {1, 2}) {
        char out[2] = {'x', 'x'};
        EXPECT_EQ(0, ConvertAbsToRel("", "", out, size, host::kPosixRules));
        EXPECT_EQ('\0', out[0]);
        out[0] = 'x';
        EXPECT_EQ(0, MakeRelativePath("/a", "/a", out, size, host::kPosixRules));
        EXPECT_EQ('\0', out[0]);
    }
}

TEST(PathConversion, EmptyRelativePathGivesTheBaseWithoutSeparator)
{
    EXPECT_EQ(R"(C:\Data)", MakeAbsolutePath("", R"(C:\Data\)", host::kWindowsRules));
    EXPECT_EQ("/data", MakeAbsolutePath("", "/data/", host::kPosixRules));
}

// A relative base is never taken for the root: what climbs above it stays
// a "..", and a ".." or "." of the base is never taken off by a later one.
TEST(PathConversion, RelativeBaseNeverBecomesTheRoot)
{
    struct Case {
        const char *path, *base, *result;
    };
    const Case windows[] = {
        {R"(..\a.bin)", R"(sub\)", R"(a.bin)"},
        {R"(..\..\a.bin)", R"(sub\)", R"(..\a.bin)"},
        {R"(..)", R"(sub)", R"(.)"},
        {R"(..\)", R"(sub)", R"(.\)"},
        {R"(..\a.bin)", R"(C:\w\x\..\)", R"(C:\w\x\..\..\a.bin)"},
        // A rooted base stops at its root, as in the tables above.
        {R"(..\a.bin)", R"(C:\)", R"(\a.bin)"},
    };
    for (const auto &c : windows) {
        EXPECT_EQ(c.result, MakeAbsolutePath(c.path, c.base, host::kWindowsRules)) << c.path << " | " << c.base;
    }
    const Case posix[] = {
        {"../a.bin", "sub/", "a.bin"},
        {"../a.bin", "sub", "a.bin"},
        {"../../a.bin", "sub/", "../a.bin"},
        {"../../a.bin", "sub\\x", "a.bin"},
        {"..", "sub/", "."},
        {"../", "sub", "./"},
        {"../..", "sub", ".."},
        {"a.bin", "", "a.bin"},
        {".", "", "."},
        {"./", "", "./"},
        {"../a.bin", "../", "../../a.bin"},
        {"../a.bin", "./", "./../a.bin"},
        {"../a.bin", "/h/x/../", "/h/x/../../a.bin"},
        {"../../a.bin", "/h/x/", "/a.bin"},
        {"../../../a.bin", "/h/x/", "/a.bin"},
    };
    for (const auto &c : posix) {
        EXPECT_EQ(c.result, MakeAbsolutePath(c.path, c.base, host::kPosixRules)) << c.path << " | " << c.base;
    }
}

TEST(PathConversion, NoSharedSeparatorKeepsTheWholePath)
{
    // Relative names with a common first byte but no common folder.
    EXPECT_EQ("abc", *ResolveRelativePath("abc", "abd", 511, host::kPosixRules));
    EXPECT_EQ("../abc/x", *ResolveRelativePath("abc/x", "abd/y", 511, host::kPosixRules));
}

TEST(LowerAsciiSjis, FoldsAsciiCapitalsButNotTrailBytes)
{
    // 0x83 0x41 is a two-byte character whose second byte is "A"; 0x82 0x60
    // is the full-width "A"; 0x5C after a lead byte is part of "ソ".
    std::string text = "AbC\x83\x41Z\x82\x60Q\x83\x5CX";
    LowerAsciiSjis(text);
    EXPECT_EQ("abc\x83\x41z\x82\x60q\x83\x5Cx", text);
}

// Folders whose last character ends in the byte 0x5C in CP932. The cases
// are written in UTF-8 to be read: "#" stands for the separator the caller
// wrote, "+" for the one the rules write.
const char *const kFoldersEndingIn5C[] = {"ソ", "ソフト表", "才能"};

struct JapaneseCase {
    const char *path;  // "F" stands for the folder of the row
    const char *base;
    const char *result;
};

const JapaneseCase kJapaneseRelToAbs[] = {
    {"..#能力.bin", "#d#F", "#d+能力.bin"},
    {"..#能力.bin", "#d#F#", "#d+能力.bin"},
    {"sub#能.bin", "#d#F", "#d#F+sub#能.bin"},
    {"sub#能.bin", "#d#F#", "#d#F+sub#能.bin"},
    {"..", "#d#F#能", "#d#F"},
    {"..#..#x", "#d#F#能", "#d+x"},
    {".#", "#d#F", "#d#F+"},
    {".", "#d#F#", "#d#F"},
    {"..#x", "#F", "+x"},
};

const JapaneseCase kJapaneseAbsToRel[] = {
    {"#x#ゲーム#a.bin", "#x#F#", "..+ゲーム#a.bin"},
    {"#x#ゲーム#a.bin", "#x#F示", "..+ゲーム#a.bin"},
    {"#d#F#sub#能.bin", "#d#F", "sub#能.bin"},
    {"#d#F#sub#能.bin", "#d#F#", "sub#能.bin"},
    {"#d#能力.bin", "#d#F", "..+能力.bin"},
    {"#d#F", "#d#F#能", ".."},
    {"#d#F#", "#d#F", ".+"},
    {"#d#F", "#d#F#", "."},
    // Shares the whole first character, not just its bytes up to 0x5C.
    {"#d#F", "#d#F表", "..+F"},
    {"#d#F表", "#d#F", "..+F表"},
};

std::string JapaneseRow(const char *text, const std::string &folder, char separator, char join)
{
    std::string row;
    for (const char *c = text; *c != '\0'; ++c) {
        switch (*c) {
            case '#':
                row.push_back(separator);
                break;
            case '+':
                row.push_back(join);
                break;
            case 'F':
                row += folder;
                break;
            default:
                row.push_back(*c);
                break;
        }
    }
    auto cp932 = common::Utf8ToCp932(row);
    EXPECT_TRUE(cp932.has_value()) << row;
    return cp932.value_or(std::string());
}

// Each rule set with every separator it knows.
struct RulesAndSeparator {
    const host::PathRules *rules;
    char separator;
};
const RulesAndSeparator kRulesAndSeparators[] = {
    {&host::kWindowsRules, '\\'}, {&host::kPosixRules, '\\'}, {&host::kPosixRules, '/'}};

void ExpectJapaneseCases(int (*convert)(const char *, const char *, char *, int, const host::PathRules &),
                         const JapaneseCase *cases, size_t count)
{
    for (const char *folder : kFoldersEndingIn5C) {
        for (const auto &[rules, separator] : kRulesAndSeparators) {
            for (size_t i = 0; i < count; ++i) {
                const JapaneseCase &c = cases[i];
                std::string path = JapaneseRow(c.path, folder, separator, rules->joinSeparator);
                std::string base = JapaneseRow(c.base, folder, separator, rules->joinSeparator);
                std::string expected = JapaneseRow(c.result, folder, separator, rules->joinSeparator);
                char out[512] = {};
                EXPECT_EQ(1, convert(path.c_str(), base.c_str(), out, 511, *rules));
                EXPECT_EQ(test::Hex(expected), test::Hex(out))
                    << c.path << " | " << c.base << " in " << folder << " with " << separator
                    << (rules->hasDrives ? " (Windows)" : " (POSIX)");
            }
        }
    }
}

TEST(PathConversion, TrailByte5CIsNoSeparatorRelativeToAbsolute)
{
    ExpectJapaneseCases(ConvertRelToAbs, kJapaneseRelToAbs, std::size(kJapaneseRelToAbs));
}

TEST(PathConversion, TrailByte5CIsNoSeparatorAbsoluteToRelative)
{
    ExpectJapaneseCases(ConvertAbsToRel, kJapaneseAbsToRel, std::size(kJapaneseAbsToRel));
}

TEST(PathConversion, LoneLeadByteAtTheEndStaysApart)
{
    // A text cut after a lead byte shares nothing more with the whole
    // character in the other, and reading never passes its end.
    EXPECT_EQ("../\x83", *ResolveRelativePath("/d/\x83", "/d/\x83\x5C", 511, host::kPosixRules));
    EXPECT_EQ("../\x83\x5C", *ResolveRelativePath("/d/\x83\x5C", "/d/\x83", 511, host::kPosixRules));
    EXPECT_EQ("/d/\x83/x", MakeAbsolutePath("x", "/d/\x83", host::kPosixRules));
}

TEST(PathRules, SeparatorsAreFoundAtTheStartOfACharacterOnly)
{
    constexpr size_t kNone = std::string_view::npos;
    EXPECT_EQ(1u, host::kPosixRules.LastSeparator("a/\x83\x5C"));
    EXPECT_EQ(1u, host::kWindowsRules.LastSeparator("a\\\x95\x5C\x8E\xA6"));
    EXPECT_EQ(kNone, host::kWindowsRules.LastSeparator("a/b"));
    EXPECT_EQ(kNone, host::kPosixRules.LastSeparator("\x94\x5C"));
    EXPECT_FALSE(host::kPosixRules.EndsInSeparator("/d/\x94\x5C"));
    EXPECT_TRUE(host::kPosixRules.EndsInSeparator("/d/\x94\x5C\\"));
    EXPECT_TRUE(host::kPosixRules.EndsInSeparator("/d/\x94\x5C/"));
    // After a one-byte character (here the half-width katakana 0xB1) the
    // byte 0x5C is a separator of its own.
    EXPECT_EQ(1u, host::kPosixRules.LastSeparator("\xB1\x5C"));
}

}  // namespace
}  // namespace vorl
