// vorlcnv as a Linux user meets it: arguments checked before anything runs,
// "--", any number of entries, lists in UTF-8 or CP932, names typed in the
// other form of a CP932 character, and a standard output that fails.
#include <unistd.h>

#include <gtest/gtest.h>

#include "recode_text.h"
#include "test_support.h"

namespace vorl::test {
namespace {

class VorlcnvArguments : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "a.png", "AAAA");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(),
                          {{"VORLTEMP", (folder_ / "work").string()}, {"TMPDIR", (folder_ / "work").string()}});
    }
    TempFolder folder_;
};

TEST_F(VorlcnvArguments, AreCheckedBeforeAnythingRuns)
{
    // Outputs of an earlier build, which a separate value would pack as entries.
    WriteFile(folder_ / "sprites.dat", "old data");
    WriteFile(folder_ / "sprites.h", "old header");
    struct Case {
        std::vector<std::string> arguments;
        std::string messageStart;  // after "vorlcnv: "
    };
    const Case cases[] = {
        {{"-p1", "-o", "sprites.dat", "-h", "sprites.h", "a.png"}, "-o needs its value attached: -oFILE"},
        {{"-p1", "-osprites.dat", "-h", "sprites.h", "a.png"}, "-h needs its value attached: -hFILE"},
        {{"-p1", "-f", "list.lst"}, "-f needs its value attached: -fFILE"},
        {{"-p1", "-l", "int Table", "a.png"}, "-l needs its value attached: -lTEXT"},
        {{"-p", "1", "a.png"}, "-p needs its value attached: -pN"},
        {{"-p1", "-a", "4", "a.png"}, "-a needs its value attached: -aN"},
        {{"-p1", "-t", "a.png"}, "-t needs its value attached: -t2 or -t4"},
        {{"-p1", "-x", "a.png"}, "unknown option: -x"},
        {{"-p1", "-v", "a.png"}, "unknown option: -v"},
        {{"-p1", "--verbose", "a.png"}, "unknown option: --verbose"},
        {{"-p1", "-t8", "a.png"}, "unknown option: -t8"},
        {{"-p1", "--project=game.vorlprj", "a.png"}, "unknown option: --project=game.vorlprj"},
        {{"-p1", "-sprite.png"}, "unknown option: -sprite.png (an entry that begins with '-' goes after --)"},
        {{"-p1", "-a6", "a.png"}, "the alignment must be 1 or a multiple of 4 up to 4096: -a6"},
        {{"-p1", "-a10000", "a.png"}, "the alignment must be 1 or a multiple of 4 up to 4096: -a10000"},
        {{"-p1", "-aabc", "a.png"}, "the alignment must be 1 or a multiple of 4 up to 4096: -aabc"},
        {{"-p1", "-a0", "a.png"}, "the alignment must be 1 or a multiple of 4 up to 4096: -a0"},
        {{"-p-1", "a.png"}, "the index output must be 0, 1, 2 or 3: -p-1"},
        {{"-p4", "a.png"}, "the index output must be 0, 1, 2 or 3: -p4"},
        {{"a.png"}, "the index output is required"},
        {{"-p1", "-e", "a.png,0,zz"}, "the alias of an entry is not a number that fits 32 bits: a.png,0,zz"},
        {{"-p1", "-e", "a.png,0,99999999999"}, "the alias of an entry is not a number that fits 32 bits"},
        {{"-p1", "-e", "a.png,0,0x100000000"}, "the alias of an entry is not a number that fits 32 bits"},
        {{"-p1", "-e", "a.png,0,1,2"}, "the alias of an entry is not a number that fits 32 bits"},
        {{"-p1", "a.png,one"}, "the converter of an entry is not a number: a.png,one"},
        {{"-p1", "-l" + std::string(128, 'L'), "a.png"}, "the type and label must fit 127 bytes"},
        {{"--project", "game.vorlprj", "--data", "x.dat", "--colour"}, "unknown option in project mode: --colour"},
    };
    for (const Case &c : cases) {
        ProgramResult result = Run(c.arguments);
        EXPECT_EQ(64, result.status) << c.messageStart;
        EXPECT_EQ(0u, result.err.find("vorlcnv: " + c.messageStart)) << result.err;
        EXPECT_EQ("", result.out);
    }
    EXPECT_EQ("old data", ReadFile(folder_ / "sprites.dat"));
    EXPECT_EQ("old header", ReadFile(folder_ / "sprites.h"));
    EXPECT_FALSE(fs::exists(folder_ / "vorldata.dat"));
    EXPECT_FALSE(fs::exists(folder_ / "vorlhead.dat"));

    // The values the library keeps as they are pass.
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"-p1", "-a1", "-e", "a.png,0,-1"},
          {"-P3", "-A4096", "-T2", "a.png,,0x7fffffff"},
          {"-p0", "-a4", "-e", "-l" + std::string(127, 'L'), "a.png,0,4294967295"}}) {
        ProgramResult result = Run(arguments);
        EXPECT_EQ(0, result.status) << arguments[1] << ": " << result.err;
    }
}

// After "--" every argument is an entry: a file whose name begins with "-"
// packs, however much it looks like an option, and a name with a double
// quote, which the library's line cannot carry, travels in a list.
TEST_F(VorlcnvArguments, DoubleDashEndsTheOptions)
{
    WriteFile(folder_ / "-sprite.png", "SPRITE");
    WriteFile(folder_ / "-p2", "P2");
    WriteFile(folder_ / "say \"hi\".bin", "HI");
    ProgramResult result = Run({"-p3", "-oout.dat", "a.png", "--", "-sprite.png", "-p2", "say \"hi\".bin", "--"});
    EXPECT_EQ(9, result.status) << "a second -- is an entry";
    EXPECT_EQ("vorlcnv: --: ファイルが見つかりませんでした。 (error 9)\n", result.err);
    result = Run({"-p3", "-oout.dat", "a.png", "--", "-sprite.png", "-p2", "say \"hi\".bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("AAAASPRITEP2HI", ReadFile(folder_ / "out.dat"));
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// 2,000 entries with long names in a folder with blanks and a Japanese
// name are far beyond one command line of the library; they pack exactly
// as the same entries listed by VorlList.
TEST_F(VorlcnvArguments, AnyNumberOfEntriesPackLikeTheirList)
{
    const std::string folder = "long folder with blanks/ソース/";
    fs::create_directories(folder_ / folder);
    std::vector<std::string> arguments = {"-p1", "-a4", "-t4", "-s", "-odirect.dat", "-hdirect.h"};
    for (int i = 0; i < 2000; ++i) {
        char name[80];
        std::snprintf(name, sizeof name, "asset_with_a_rather_long_name_number_%04d.bin", i);
        WriteFile(folder_ / (folder + name),
                  std::string(static_cast<size_t>(i % 7 + 1), static_cast<char>('a' + i % 26)));
        arguments.push_back(folder + name);
    }
    arguments.insert(arguments.begin() + 1000, "-i");  // an option between entries keeps its place
    ProgramResult direct = Run(arguments);
    ASSERT_EQ(0, direct.status) << direct.err;

    ProgramResult list = RunProgram(
        VORLLIST_PROGRAM, {"-ofiles.lst", folder + "asset_with_a_rather_long_name_number_????.bin"}, folder_.Path());
    ASSERT_EQ(0, list.status) << list.out;
    std::string lines = ReadFile(folder_ / "files.lst");
    size_t middle = 0;
    for (int i = 0; i < 994; ++i) {
        middle = lines.find("\r\n", middle) + 2;
    }
    WriteFile(folder_ / "first.lst", lines.substr(0, middle));
    WriteFile(folder_ / "second.lst", lines.substr(middle));
    ProgramResult listed =
        Run({"-p1", "-a4", "-t4", "-s", "-olisted.dat", "-hlisted.h", "-ffirst.lst", "-i", "-fsecond.lst"});
    ASSERT_EQ(0, listed.status) << listed.err;
    EXPECT_TRUE(ReadFile(folder_ / "direct.dat") == ReadFile(folder_ / "listed.dat"));
    EXPECT_TRUE(ReadFile(folder_ / "direct.h") == ReadFile(folder_ / "listed.h"));
    EXPECT_TRUE(fs::is_empty(folder_ / "work")) << "the temporary lists are removed";
}

// A list written by hand in a UTF-8 editor packs the same as the CP932
// list VorlList writes; a name with no CP932 form is refused by its line.
TEST_F(VorlcnvArguments, ListsInUtf8AndCp932PackTheSame)
{
    fs::create_directories(folder_ / "表示");
    WriteFile(folder_ / "表示/画像01.bin", "IMAGE-1");
    WriteFile(folder_ / "表示/画像02.bin", "IMAGE-2");
    const std::string utf8 = "表示/画像01.bin\n\n表示/画像02.bin,,7\n";
    WriteFile(folder_ / "utf8.lst", utf8);
    WriteFile(folder_ / "bom.lst", "\xEF\xBB\xBF" + utf8);
    WriteFile(folder_ / "cp932.lst", *common::Utf8ToCp932("表示/画像01.bin\r\n\r\n表示/画像02.bin,,7\r\n"));
    for (const char *list : {"utf8", "bom", "cp932"}) {
        ProgramResult result = Run({"-p1", "-e", "-f" + std::string(list) + ".lst", "-o" + std::string(list) + ".dat",
                                    "-h" + std::string(list) + ".h"});
        ASSERT_EQ(0, result.status) << list << ": " << result.err;
    }
    EXPECT_EQ(ReadFile(folder_ / "cp932.dat"), ReadFile(folder_ / "utf8.dat"));
    EXPECT_EQ(ReadFile(folder_ / "cp932.h"), ReadFile(folder_ / "utf8.h"));
    EXPECT_EQ(ReadFile(folder_ / "cp932.h"), ReadFile(folder_ / "bom.h"));

    WriteFile(folder_ / "emoji.lst", "表示/画像01.bin\n\xF0\x9F\x98\x80.bin\n");
    ProgramResult result = Run({"-p1", "-femoji.lst"});
    EXPECT_EQ(64, result.status);
    EXPECT_EQ(0u, result.err.find("vorlcnv: emoji.lst:2: this line has no Shift-JIS (CP932) form")) << result.err;
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// 〜 ‖ − ¢ £ ¬ as typed here encode to the same CP932 bytes as ～ ∥ － ￠ ￡ ￢,
// which is the form those bytes decode to.
TEST_F(VorlcnvArguments, NamesWithEitherFormOfAmbiguousCharactersPack)
{
    for (const char *character : {"〜", "‖", "−", "¢", "£", "¬"}) {
        const std::string name = std::string(character) + "00.bin";
        WriteFile(folder_ / name, name);
        ProgramResult result = Run({"-p3", "-oout.dat", name});
        EXPECT_EQ(0, result.status) << name << ": " << result.err;
        EXPECT_EQ(name, ReadFile(folder_ / "out.dat"));
        WriteFile(folder_ / "one.lst", name + "\n");
        result = Run({"-p3", "-oout.dat", "-fone.lst"});
        EXPECT_EQ(0, result.status) << name << ": " << result.err;
    }
}

// An input that exists but cannot be read, as a user without the right to
// read it meets it (root reads any file, so root runs the program as nobody).
TEST_F(VorlcnvArguments, UnreadableInputIsNamedWithItsReason)
{
    WriteFile(folder_ / "secret.bin", "SECRET");
    fs::permissions(folder_ / "secret.bin", fs::perms::none);
    fs::permissions(folder_.Path(), fs::perms::all);
    fs::permissions(folder_ / "work", fs::perms::all);
    auto command = AsOtherUser(VORLCNV_PROGRAM, {"-p3", "-oout.dat", "a.png", "secret.bin"});
    if (!command) {
        GTEST_SKIP() << "running as root without setpriv";
    }
    std::string program = command->front();
    command->erase(command->begin());
    ProgramResult result = RunProgram(program, *command, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    EXPECT_EQ(9, result.status);
    EXPECT_EQ("vorlcnv: secret.bin: ファイルが見つかりませんでした。 (error 9: Permission denied)\n", result.err);
    EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
}

TEST_F(VorlcnvArguments, FailedStandardOutputIsStatus74)
{
    for (const char *option : {"--help", "--version"}) {
        ProgramResult result =
            RunProgram("/bin/sh", {"-c", "exec \"$0\" \"$1\" >/dev/full", VORLCNV_PROGRAM, option}, folder_.Path());
        EXPECT_EQ(74, result.status) << option;
        EXPECT_EQ("vorlcnv: write error on standard output: No space left on device\n", result.err);
    }
}

}  // namespace
}  // namespace vorl::test
