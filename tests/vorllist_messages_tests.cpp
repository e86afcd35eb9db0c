// What VorlList says when it cannot make a list that means what was asked:
// a path the conversion would read as something else, a pattern the shell
// has already expanded, folders that link back into themselves and alias
// offsets beyond 32 bits.
#include <gtest/gtest.h>

#include <functional>

#include "test_support.h"

namespace vorl::test {
namespace {

const std::string kBanner =
    "VorlListMaker  Ver0.1.0 2010/01/30\n"
    "VORL Maker for Linux " VORL_PACKAGE_VERSION
    ". Makes the list file of numbered input files for vorlcnv -f.\n"
    "Quote the pattern so that the shell leaves it alone: VorlList -oassets.lst 'sprite???.png'\n\n";

const std::string kUnlistableFolder = "コンマ、円記号、制御文字、先頭の「**」を含むフォルダ名はリストに書けません: ";
const std::string kUnlistableName = "コンマ、円記号、制御文字、先頭の「**」を含むファイル名はリストに書けません: ";
const std::string kLoop = "シンボリックリンクがループしています: ";
const std::string kUnfitOffset = "エイリアスのオフセットが32ビットに収まりません（-2147483648から2147483647まで）: ";

class VorllistMessages : public ::testing::Test {
protected:
    ProgramResult Run(const TempFolder &folder, const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLLIST_PROGRAM, arguments, folder.Path());
    }
    // Makes each file (with its folders) in `folder`, its name as content.
    static void Make(const TempFolder &folder, const std::vector<std::string> &names)
    {
        for (const std::string &name : names) {
            fs::create_directories((folder / name).parent_path());
            WriteFile(folder / name, name);
        }
    }
};

// Every part of a listed path goes into the line as it is, so a comma, a
// backslash or a line end in a folder breaks the line as one in the name
// does. The path is shown escaped when it holds a control character.
TEST_F(VorllistMessages, PathsTheConversionWouldReadOtherwise)
{
    struct Case {
        const char *how;
        std::vector<std::string> files;
        std::vector<std::string> arguments;
        std::string message;  // empty: the list is written
        std::string list;
    };
    const Case cases[] = {
        {"a comma in the pattern's folder",
         {"my,dir/f0.bin"},
         {"-oc.lst", "my,dir/f?.bin"},
         kUnlistableFolder + "my,dir/f0.bin",
         ""},
        {"a comma in a sub-folder",
         {"data/f0.bin", "data/a,b/f1.bin"},
         {"-oc.lst", "-s", "data/f?.bin"},
         kUnlistableFolder + "data/a,b/f1.bin",
         ""},
        {"a line feed in a sub-folder",
         {"data/f0.bin", "data/new\nline/f1.bin"},
         {"-oc.lst", "-s", "data/f?.bin"},
         kUnlistableFolder + "data/new\\nline/f1.bin",
         ""},
        {"a carriage return in the pattern's folder",
         {"cr\r/f0.bin"},
         {"-oc.lst", "cr\r/f?.bin"},
         kUnlistableFolder + "cr\\r/f0.bin",
         ""},
        {"both line ends and a backslash, escaped",
         {"data/x\\y\r\n/f1.bin"},
         {"-oc.lst", "-s", "data/f?.bin"},
         kUnlistableFolder + "data/x\\\\y\\r\\n/f1.bin",
         ""},
        {"a backslash in a sub-folder",
         {"data/back\\slash/f1.bin"},
         {"-oc.lst", "-s", "data/f?.bin"},
         kUnlistableFolder + "data/back\\slash/f1.bin",
         ""},
        {"a folder that makes the line a reference",
         {"**7/f0.bin"},
         {"-oc.lst", "**7/f?.bin"},
         kUnlistableFolder + "**7/f0.bin",
         ""},
        {"a line feed in the name, escaped",
         {"data/f1\n.bin"},
         {"-oc.lst", "data/f?*"},
         kUnlistableName + "data/f1\\n.bin",
         ""},
        {"a comma in a sub-folder without a listed file",
         {"data/f0.bin", "data/a,b/other.txt"},
         {"-oc.lst", "-s", "data/f?.bin"},
         "",
         "data/f0.bin\r\n"},
        {"a comma in a sub-folder that is not searched",
         {"data/f0.bin", "data/a,b/f1.bin"},
         {"-oc.lst", "data/f?.bin"},
         "",
         "data/f0.bin\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder fresh;
        Make(fresh, c.files);
        ProgramResult result = Run(fresh, c.arguments);
        if (c.message.empty()) {
            EXPECT_EQ(0, result.status) << result.out;
            EXPECT_EQ(kBanner, result.out);
            EXPECT_EQ(c.list, ReadFile(fresh / "c.lst"));
            continue;
        }
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + c.message + "\n", result.out);
        EXPECT_FALSE(fs::exists(fresh / "c.lst"));
    }
}

// The line "my,,0/f0.bin" would name the file "my", with an empty
// converter field and "0/f0.bin" as its alias: the list is refused, so
// the conversion finds no list and packs nothing, least of all "my".
TEST_F(VorllistMessages, ACommaInAFolderNeverPacksAnotherFile)
{
    for (const std::string folderName : {"my,dir", "my,,0", "my,1"}) {
        SCOPED_TRACE(folderName);
        TempFolder folder;
        Make(folder, {folderName + "/f0.bin"});
        WriteFile(folder / "my", "the wrong file");
        ProgramResult list = Run(folder, {"-oc.lst", folderName + "/f?.bin"});
        EXPECT_EQ(-1, list.status);
        EXPECT_EQ(kBanner + kUnlistableFolder + folderName + "/f0.bin\n", list.out);
        EXPECT_FALSE(fs::exists(folder / "c.lst"));
        ProgramResult pack = RunProgram(VORLCNV_PROGRAM, {"-p3", "-fc.lst", "-oout.dat"}, folder.Path(),
                                        {{"VORLTEMP", folder.Path().string()}});
        EXPECT_NE(0, pack.status);
        EXPECT_FALSE(fs::exists(folder / "out.dat")) << "packed: " << ReadFile(folder / "out.dat");
    }
}

// Without "?" nothing but the banner reaches standard output and the
// status is -2; standard error says why, and which pattern was meant.
TEST_F(VorllistMessages, PatternWithoutAQuestionMarkSaysWhy)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string err;
    };
    const std::string quote = "quote it so that the shell leaves it alone";
    const std::string mark = "put one where the file names carry their number";
    const Case cases[] = {
        {{"f0.bin"}, "VorlList: the pattern f0.bin has no '?': " + quote + ": VorlList -oassets.lst 'f?.bin'\n"},
        {{"-ol.lst", "data/sprite007.png"},
         "VorlList: the pattern data/sprite007.png has no '?': " + quote +
             ": VorlList -oassets.lst 'data/sprite???.png'\n"},
        {{"v2/a12b.bin.gz"},
         "VorlList: the pattern v2/a12b.bin.gz has no '?': " + quote + ": VorlList -oassets.lst 'v2/a??b.bin.gz'\n"},
        {{"it's7"}, "VorlList: the pattern it's7 has no '?': " + quote + ": VorlList -oassets.lst 'it'\\''s?'\n"},
        {{"*.bin"}, "VorlList: the pattern *.bin has no '?': " + mark + ": VorlList -oassets.lst 'sprite???.png'\n"},
        {{"v2/img.mp4"},
         "VorlList: the pattern v2/img.mp4 has no '?': " + mark + ": VorlList -oassets.lst 'sprite???.png'\n"},
        {{"line\nend"},
         "VorlList: the pattern line\\nend has no '?': " + mark + ": VorlList -oassets.lst 'sprite???.png'\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.back());
        TempFolder folder;
        Make(folder, {"f0.bin", "data/sprite007.png"});
        ProgramResult result = Run(folder, c.arguments);
        EXPECT_EQ(-2, result.status);
        EXPECT_EQ(kBanner, result.out);
        EXPECT_EQ(c.err, result.err);
        EXPECT_FALSE(fs::exists(folder / "output.lst"));
        EXPECT_FALSE(fs::exists(folder / "l.lst"));
    }
}

// A link back up the tree would be followed until the names grew past the
// length limit; links that lead into each other cannot be searched at all.
TEST_F(VorllistMessages, LinkLoopsUnderSubFolders)
{
    struct Case {
        const char *how;
        std::vector<std::pair<std::string, std::string>> links;  // name, text
        std::vector<std::string> arguments;
        std::string message;  // empty: the list is written
        std::string list;
    };
    const Case cases[] = {
        {"a link to the folder above",
         {{"data/sub/back", ".."}},
         {"-s", "data/f?.bin"},
         kLoop + "data/sub/back/ は data/ と同じフォルダです",
         ""},
        {"a link to its own folder",
         {{"data/self", "."}},
         {"-s", "data/f?.bin"},
         kLoop + "data/self/ は data/ と同じフォルダです",
         ""},
        {"a link to the top by its full name",
         {{"data/sub/top", "@"}},
         {"-s", "data/f?.bin"},
         kLoop + "data/sub/top/ は data/ と同じフォルダです",
         ""},
        {"links that lead into each other",
         {{"data/sub/a", "b"}, {"data/sub/b", "a"}},
         {"-s", "data/f?.bin"},
         kLoop + "data/sub/a",
         ""},
        {"a searched folder that leads into itself", {{"loop", "loop"}}, {"loop/f?.bin"}, kLoop + "loop/", ""},
        {"the same folder twice, side by side",
         {{"data/x", "../shared"}, {"data/y", "../shared"}},
         {"-s", "data/f?.bin"},
         "",
         "data/f0.bin\r\ndata/sub/f1.bin\r\n"},
        {"a link up the tree without -s", {{"data/sub/back", ".."}}, {"data/f?.bin"}, "", "data/f0.bin\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder folder;
        Make(folder, {"data/f0.bin", "data/sub/f1.bin", "shared/other.txt"});
        for (const auto &[name, text] : c.links) {
            fs::create_symlink(text == "@" ? (folder / "data").string() : text, folder / name);
        }
        ProgramResult result = Run(folder, c.arguments);
        if (c.message.empty()) {
            EXPECT_EQ(0, result.status) << result.out;
            EXPECT_EQ(c.list, ReadFile(folder / "output.lst"));
            continue;
        }
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + c.message + "\n", result.out);
        EXPECT_FALSE(fs::exists(folder / "output.lst"));
    }
}

// The alias offset is a signed 32-bit value: one outside that range would
// be kept to its low bits and give aliases nobody asked for.
TEST_F(VorllistMessages, AliasOffsetsBeyond32Bits)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string message;  // empty: the list is written
        std::string list;
    };
    const Case cases[] = {
        {{"-a2147483648", "a?.bin"}, kUnfitOffset + "2147483648", ""},
        {{"-a-2147483649", "a?.bin"}, kUnfitOffset + "-2147483649", ""},
        {{"-a0x80000000", "a?.bin"}, kUnfitOffset + "0x80000000", ""},
        {{"-A4294967296", "a?.bin"}, kUnfitOffset + "4294967296", ""},
        {{"-a0xFFFFFFFF", "a?.bin"}, kUnfitOffset + "0xFFFFFFFF", ""},
        {{"-a077777777777", "a?.bin"}, kUnfitOffset + "077777777777", ""},
        {{"-a99999999999999999999999", "a?.bin"}, kUnfitOffset + "99999999999999999999999", ""},
        {{"-a4294967296", "-a5", "a?.bin"}, kUnfitOffset + "4294967296", ""},
        {{"-a2147483647", "a?.bin"}, "", "./a0.bin,,2147483647\r\n"},
        {{"-a-2147483648", "a?.bin"}, "", "./a0.bin,,-2147483648\r\n"},
        {{"-a0x7FFFFFFF", "a?.bin"}, "", "./a0.bin,,2147483647\r\n"},
        {{"-a-0x80000000", "a?.bin"}, "", "./a0.bin,,-2147483648\r\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.front());
        TempFolder folder;
        Make(folder, {"a0.bin"});
        ProgramResult result = Run(folder, c.arguments);
        if (c.message.empty()) {
            EXPECT_EQ(0, result.status) << result.out;
            EXPECT_EQ(c.list, ReadFile(folder / "output.lst"));
            continue;
        }
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + c.message + "\n", result.out);
        EXPECT_FALSE(fs::exists(folder / "output.lst"));
    }
    // As described: without an input file the usage text comes first, and
    // a pattern without "?" still ends the run with -2.
    TempFolder folder;
    EXPECT_EQ(-1, Run(folder, {"-a4294967296"}).status);
    EXPECT_EQ(-2, Run(folder, {"-a4294967296", "a0.bin"}).status);
}

}  // namespace
}  // namespace vorl::test
