// The rules that every deliverable reads from common/: which alignments a
// mode takes, the value widths and their type slots, references, the
// command line's limits, the base of temporary folders, the number of
// jobs and the library's version. And vorlcnv refusing by the alignment
// rule what the conversion would refuse.
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "alignment_rule.h"
#include "command_line_options.h"
#include "entry_reference.h"
#include "job_count.h"
#include "library_version.h"
#include "temporary_base.h"
#include "test_support.h"
#include "value_widths.h"
#include "vorl_cnv.h"

namespace vorl::test {
namespace {

TEST(AlignmentRule, EachModeAcceptsItsAlignments)
{
    const struct {
        int64_t align;
        bool binaryIndex;  // modes 0 and 2
        bool otherModes;   // modes 1 and 3
    } cases[] = {
        {-4, false, false}, {0, false, false},   {1, true, true},     {2, true, true},
        {3, false, true},   {4, true, true},     {12, false, true},   {16, true, true},
        {4096, true, true}, {4100, false, true}, {8192, false, true}, {65536, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.align);
        EXPECT_EQ(c.binaryIndex, common::AcceptsAlignment(VORL_INDEX_IN_DATA, c.align));
        EXPECT_EQ(c.binaryIndex, common::AcceptsAlignment(VORL_INDEX_BINARY, c.align));
        EXPECT_EQ(c.otherModes, common::AcceptsAlignment(VORL_INDEX_C_HEADER, c.align));
        EXPECT_EQ(c.otherModes, common::AcceptsAlignment(VORL_INDEX_NONE, c.align));
    }
}

TEST(AlignmentRule, CommandLineRoundsDownToFourAndCaps)
{
    const std::map<int32_t, int32_t> cases = {
        {6, 4}, {3, 1}, {0, 1}, {1, 1}, {4, 4}, {12, 12}, {4095, 4092}, {4096, 4096}, {10000, 4096}, {-4, -4},
    };
    for (const auto &[value, kept] : cases) {
        EXPECT_EQ(kept, common::CommandLineAlignment(value)) << value;
    }
}

// The values of a text such as "1, 4, 8 or 16".
std::set<int64_t> NumbersIn(std::string_view text)
{
    std::set<int64_t> numbers;
    std::string word;
    std::istringstream words{std::string(text)};
    while (words >> word) {
        if (word.back() == ',') {
            word.pop_back();
        }
        if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) {
            numbers.insert(std::stoll(word));
        }
    }
    return numbers;
}

TEST(AlignmentRule, TextNamesExactlyTheValuesOfTheMode)
{
    for (int32_t mode : {VORL_INDEX_IN_DATA, VORL_INDEX_BINARY}) {
        std::set<int64_t> taken;
        for (int64_t align = -8; align <= 2 * common::kLargestAlignment; ++align) {
            if (common::CommandLineTakesAlignment(mode, align)) {
                taken.insert(align);
            }
        }
        EXPECT_EQ(taken, NumbersIn(common::CommandLineAlignmentsOf(mode))) << mode;
    }
    for (int32_t mode : {VORL_INDEX_C_HEADER, VORL_INDEX_NONE}) {
        EXPECT_EQ(common::kCommandLineAlignments, common::CommandLineAlignmentsOf(mode));
        for (int64_t align = -8; align <= 2 * common::kLargestAlignment; ++align) {
            EXPECT_EQ(common::CommandLineKeepsAlignment(align), common::CommandLineTakesAlignment(mode, align))
                << align;
        }
    }
}

TEST(AlignmentRule, WhatTheCommandLineTakesTheConversionAccepts)
{
    for (int32_t mode = VORL_INDEX_IN_DATA; mode <= VORL_INDEX_NONE; ++mode) {
        for (int64_t align = -8; align <= 2 * common::kLargestAlignment; ++align) {
            if (common::CommandLineTakesAlignment(mode, align)) {
                EXPECT_TRUE(common::AcceptsAlignment(mode, align)) << mode << " " << align;
                EXPECT_EQ(align, common::CommandLineAlignment(static_cast<int32_t>(align)));
            }
        }
    }
}

TEST(ValueWidths, EachWidthHasItsTypeSlot)
{
    const std::map<int32_t, int> cases = {{1, 0}, {2, 1}, {4, 2}, {8, 3}, {0, -1}, {3, -1}, {16, -1}, {-1, -1}};
    for (const auto &[width, slot] : cases) {
        EXPECT_EQ(slot, common::TypeSlotOf(width)) << width;
        EXPECT_EQ(slot >= 0, common::IsValueWidth(width)) << width;
    }
    // A slot for every width, within the block's slots.
    EXPECT_EQ(static_cast<size_t>(VORL_SLOT_COUNT), common::kValueWidths.size());
}

TEST(EntryReference, StarAndRowNumber)
{
    const struct {
        std::string_view name;
        bool reference;
        int64_t row;
    } cases[] = {
        {"*0", true, 0},
        {"*12", true, 12},
        {"*9999", true, 9999},
        {"* 7", true, 7},
        {"*-1", true, -1},
        {"*-3", true, -3},
        {"*x", true, -1},
        {"*", true, -1},
        {"*12ab", true, 12},
        {"*10000", true, 10000},
        {"*99999999999999999999999", true, 10000},
        {"a.bin", false, -1},
        {"", false, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.reference, common::IsReference(c.name));
        if (c.reference) {
            EXPECT_EQ(c.row, common::ReferencedRow(c.name));
        }
    }
    EXPECT_EQ("*42", common::ReferenceTo(42));
    EXPECT_EQ(42, common::ReferencedRow(common::ReferenceTo(42)));
}

TEST(EntryReference, CommandLineFormNeedsADigitAfterTwoStars)
{
    const struct {
        std::string_view argument;
        bool reference;  // begins with "**"
        int64_t row;     // -1: an unused entry
    } cases[] = {
        {"**0", true, 0},  {"**15", true, 15},   {"**3x", true, 3},  {"**x", true, -1},
        {"**", true, -1},  {"**-1", true, -1},   {"** 1", true, -1}, {"**99999999999", true, 10000},
        {"*0", false, -1}, {"a.bin", false, -1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.argument);
        EXPECT_EQ(c.reference, common::IsCommandLineReference(c.argument));
        EXPECT_EQ(c.row, common::CommandLineReferencedRow(c.argument));
    }
}

TEST(CommandLineLimits, AreTheLibrarysOwn)
{
    std::string entries;
    for (size_t i = 0; i < options::kMostArguments - 1; ++i) {
        entries += " \"\"";
    }
    // One argument more than the line holds.
    EXPECT_EQ(VORL_ERR_TOO_MANY_ARGUMENTS, VorlConvertCommandLine(("-p3" + entries + " \"\"").c_str()));
    const std::string longest(options::kLongestCommandLine + 1, ' ');
    EXPECT_EQ(VORL_ERR_CMDLINE_TOO_LONG, VorlConvertCommandLine(longest.c_str()));
    EXPECT_EQ(0, VorlConvertCommandLine(longest.substr(1).c_str()));  // blanks only: nothing to do
}

TEST(TemporaryBase, FirstUsableVariableElseTheCurrentFolder)
{
    const struct {
        std::map<std::string, std::string> usable;
        std::string base;
    } cases[] = {
        {{}, "."},
        {{{"TMPDIR", "/d"}}, "/d"},
        {{{"TEMP", "/c"}, {"TMPDIR", "/d"}}, "/c"},
        {{{"TMP", "/b"}, {"TEMP", "/c"}}, "/b"},
        {{{"VORLTEMP", "/a"}, {"TMP", "/b"}, {"TMPDIR", "/d"}}, "/a"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> asked;
        std::string base = common::TemporaryBase([&](const char *name) -> std::optional<std::string> {
            asked.emplace_back(name);
            auto found = c.usable.find(name);
            return found == c.usable.end() ? std::nullopt : std::optional<std::string>(found->second);
        });
        EXPECT_EQ(c.base, base);
        // Asked in their order, up to the first usable one.
        const std::vector<std::string> order = {"VORLTEMP", "TMP", "TEMP", "TMPDIR"};
        EXPECT_EQ(std::vector<std::string>(order.begin(), order.begin() + static_cast<long>(asked.size())), asked);
    }
}

TEST(JobCount, ZeroAsksForOnePerCore)
{
    long cores = ::sysconf(_SC_NPROCESSORS_ONLN);
    EXPECT_EQ(cores > 0 ? static_cast<int>(cores) : 1, common::JobsToRun(0));
    EXPECT_LE(1, common::JobsToRun(0));
    for (int jobs : {1, 2, 7, 64}) {
        EXPECT_EQ(jobs, common::JobsToRun(jobs));
    }
}

TEST(LibraryVersion, DecodesIntoItsParts)
{
    const struct {
        int32_t version;
        uint32_t major, minor, build;
    } cases[] = {
        {0x2000002, 2, 0, 2},
        {0x2010100, 2, 1, 0x100},
        {0x0A0B0C0D, 10, 11, 0x0C0D},
        {static_cast<int32_t>(0xFF00FFFFu), 0xFF, 0, 0xFFFF},
    };
    for (const auto &c : cases) {
        const common::LibraryVersion parts = common::DecodeLibraryVersion(c.version);
        EXPECT_EQ(c.major, parts.major) << std::hex << c.version;
        EXPECT_EQ(c.minor, parts.minor) << std::hex << c.version;
        EXPECT_EQ(c.build, parts.build) << std::hex << c.version;
    }
    const common::LibraryVersion library = common::DecodeLibraryVersion(VorlGetDllVersion());
    EXPECT_EQ(static_cast<uint32_t>(VORL_DLL_VERSION) >> 24, library.major);
}

class VorlcnvAlignment : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "a.bin", "AAAAA");
        WriteFile(folder_ / "b.bin", "BB");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(),
                          {{"VORLTEMP", (folder_ / "work").string()}, {"TMPDIR", (folder_ / "work").string()}});
    }
    TempFolder folder_;
};

TEST_F(VorlcnvAlignment, BinaryIndexRefusesAlignmentItCannotState)
{
    const std::string values = "1, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048 or 4096";
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"-p0", "-a12", "a.bin"}, "vorlcnv: with -p0 the alignment must be " + values + ": -a12\n"},
        {{"-a12", "-p2", "a.bin"}, "vorlcnv: with -p2 the alignment must be " + values + ": -a12\n"},
        // The last of each counts, as the library reads them.
        {{"-p1", "-a12", "-p0", "a.bin"}, "vorlcnv: with -p0 the alignment must be " + values + ": -a12\n"},
        {{"-p0", "-a16", "-a24", "a.bin"}, "vorlcnv: with -p0 the alignment must be " + values + ": -a24\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments[0] + " " + c.arguments[1]);
        const auto before = Snapshot(folder_.Path());
        ProgramResult result = Run(c.arguments);
        EXPECT_EQ(64, result.status) << result.err;
        EXPECT_EQ(c.message + "Try 'vorlcnv --help'.\n", result.err);
        EXPECT_EQ("", result.out);
        EXPECT_EQ("", Differences(before, Snapshot(folder_.Path())));
    }
}

TEST_F(VorlcnvAlignment, OtherModesKeepAnyMultipleOfFour)
{
    ProgramResult result = Run({"-p1", "-a12", "a.bin", "b.bin"});
    ASSERT_EQ(0, result.status) << result.err;
    // Each item padded to 12 bytes; the index counts in units of 12.
    EXPECT_EQ(Hex(std::string("AAAAA") + std::string(7, '\0') + "BB" + std::string(10, '\0')),
              Hex(ReadFile(folder_ / "vorldata.dat")));
    EXPECT_EQ(
        "/* VORL Maker Header File */\n\nint VorlIndex[] = {\n\t\t\t\t\t\t\t0x00000000,\n\t\t\t\t\t\t\t0x00000001,\n"
        "\t\t\t\t\t\t\t0x00000002,\n\t\t\t\t\t\t\t};\n\n#define\tVorlIndex_SIZE\tsizeof(VorlIndex)\n",
        ReadFile(folder_ / "vorlhead.dat"));
    // Mode 0 with an alignment it can state, and the same order reversed.
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"-p0", "-a16", "a.bin"}, std::vector<std::string>{"-a12", "-p3", "a.bin"},
          std::vector<std::string>{"-p0", "-a12", "-p1", "a.bin"}}) {
        ProgramResult run = Run(arguments);
        EXPECT_EQ(0, run.status) << arguments[0] << " " << arguments[1] << ": " << run.err;
    }
}

TEST_F(VorlcnvAlignment, LibraryStillRefusesWhatItCannotState)
{
    // The library's own command line keeps -a12 and the conversion refuses
    // it in mode 0, before any file is touched.
    const std::string names = " -o" + (folder_ / "out.dat").string() + " -h" + (folder_ / "out.h").string() + " " +
                              (folder_ / "a.bin").string();
    EXPECT_EQ(VORL_ERR_BAD_ACCESS, VorlConvertCommandLine(("-p0 -a12" + names).c_str()));
    EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    EXPECT_EQ(VORL_OK, VorlConvertCommandLine(("-p1 -a12" + names).c_str()));
    EXPECT_EQ(Hex(std::string("AAAAA") + std::string(7, '\0')), Hex(ReadFile(folder_ / "out.dat")));
}

}  // namespace
}  // namespace vorl::test
