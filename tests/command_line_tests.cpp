// The command-line conversion: splitting, the option table, entry
// arguments, references, list files, limits, and whole conversions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "argument_splitter.h"
#include "command_arguments.h"
#include "legacy_reader.h"
#include "test_support.h"
#include "work_directory.h"

namespace vorl::test {
namespace {

TEST(CommandLineSplit, QuotesBlanksAndControlCharacters)
{
    struct Case {
        const char *line;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"-p0 a.bin b.bin", {"-p0", "a.bin", "b.bin"}},
        {"  \t -p0   \"my file.bin\"  ", {"-p0", "my file.bin"}},
        {"\"\" a.bin", {"", "a.bin"}},
        {"a.bin \"\" b.bin", {"a.bin", "", "b.bin"}},
        {"a\tb c", {"ab", "c"}},
        {"x\"y z\"w", {"xy zw"}},
        {"\x95\x5C.bin \x83\x5C", {"\x95\x5C.bin", "\x83\x5C"}},  // CP932 bytes stay
        {"   \t\n  ", {}},
    };
    for (const auto &c : cases) {
        SplitResult result = SplitCommandLine(c.line);
        EXPECT_EQ(0, result.code) << c.line;
        EXPECT_EQ(c.arguments, result.arguments) << c.line;
    }
}

TEST(CommandLineSplit, AtMost255Arguments)
{
    std::string line;
    for (int i = 0; i < 255; ++i) {
        line += "a ";
    }
    EXPECT_EQ(255u, SplitCommandLine(line).arguments.size());
    EXPECT_EQ(0, SplitCommandLine(line).code);
    EXPECT_EQ(VORL_ERR_TOO_MANY_ARGUMENTS, SplitCommandLine(line + "b").code);
}

// Parses arguments into a block and reads its records back, as the
// conversion does.
class CommandArguments : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(VORL_OK, SetupWorkDirectory(info_, folder_.Path().c_str()));
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "b.bin", "BBBBBB");
    }
    void TearDown() override { ReleaseBlock(info_); }
    int Parse(std::vector<std::string> arguments)
    {
        for (auto &argument : arguments) {
            // "@name" and "-f@name" stand for files in the test's folder.
            size_t at = argument.find('@');
            if (at == 0 || (at == 2 && argument.rfind("-f", 0) == 0)) {
                argument = argument.substr(0, at) + (folder_ / argument.substr(at + 1)).string();
            }
        }
        int rc = ParseCommandArguments(info_, arguments);
        return rc == VORL_OK ? ReadLegacyEntries(info_) : rc;
    }
    IndexEntry &Row(int row) { return info_.entries[row]; }
    TempFolder folder_;
    VorlInformation info_{};
};

TEST_F(CommandArguments, DefaultsAndOptions)
{
    ASSERT_CODE(VORL_OK, Parse({"-p0", "@a.bin"}));
    EXPECT_EQ(1, info_.dataalign);
    EXPECT_EQ(0, info_.indexout);
    EXPECT_EQ(1, info_.indexnum);
    EXPECT_EQ(1, info_.pathmode);
    EXPECT_EQ(4, info_.indexbyte);
    EXPECT_EQ(400, info_.version);
    EXPECT_STREQ("vorldata.dat", info_.datafile);
    EXPECT_STREQ("vorlhead.dat", info_.headerfile);
    EXPECT_STREQ("VorlIndex", info_.label);
    EXPECT_STREQ("int", info_.type[2]);
    EXPECT_EQ("Vorl", std::string(info_.headerid, 4));

    ReleaseBlock(info_);
    info_ = VorlInformation{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(info_, folder_.Path().c_str()));
    ASSERT_CODE(VORL_OK, Parse({"-P9", "-a6", "-index", "-S", "-e", "-B", "-t2", "-lunsigned char tbl", "-hh.bin",
                                "-oout.bin", "@a.bin"}));
    EXPECT_EQ(0, info_.indexout);
    EXPECT_EQ(4, info_.dataalign);
    EXPECT_EQ(1, info_.indexmode);
    EXPECT_EQ(1, info_.skipnofile);
    EXPECT_EQ(2, info_.usealias);
    EXPECT_EQ(1, info_.changeendian);
    EXPECT_EQ(2, info_.indexbyte);
    EXPECT_STREQ("unsigned char", info_.type[1]);
    EXPECT_STREQ("tbl", info_.label);
    EXPECT_STREQ("h.bin", info_.headerfile);
    EXPECT_STREQ("out.bin", info_.datafile);
}

TEST_F(CommandArguments, AlignmentValues)
{
    struct Case {
        const char *option;
        int32_t align;
    };
    for (Case c : {Case{"-a6", 4}, Case{"-a3", 1}, Case{"-a0", 1}, Case{"-a", 1}, Case{"-a10000", 4096},
                   Case{"-a16", 16}, Case{"-a-8", -8}}) {
        ReleaseBlock(info_);
        info_ = VorlInformation{};
        ASSERT_EQ(VORL_OK, SetupWorkDirectory(info_, folder_.Path().c_str()));
        ASSERT_CODE(VORL_OK, Parse({"-p0", c.option, "@a.bin"}));
        EXPECT_EQ(c.align, info_.dataalign) << c.option;
    }
}

TEST_F(CommandArguments, LaterOptionsOverrideAndEmptyValuesAreIgnored)
{
    ASSERT_CODE(VORL_OK, Parse({"-p1", "-p2", "-e", "--e", "-s", "--s", "-o", "-l", "-lTable", "@a.bin"}));
    EXPECT_EQ(2, info_.indexout);
    EXPECT_EQ(0, info_.usealias);
    EXPECT_EQ(0, info_.skipnofile);
    EXPECT_STREQ("vorldata.dat", info_.datafile);
    EXPECT_STREQ("Table", info_.label);
    EXPECT_STREQ("", info_.type[2]);  // no blank: the label alone
}

TEST_F(CommandArguments, EntryArguments)
{
    ASSERT_CODE(VORL_OK, Parse({"-p0", "-a4", "@a.bin,2,0x10", "@b.bin,,7", "", "**0,9,0x20", "**x", "@a.bin,010"}));
    ASSERT_EQ(6, info_.indexnum);
    EXPECT_EQ(1, Row(0).use);
    EXPECT_EQ((folder_ / "a.bin").string(), Row(0).filename);
    EXPECT_EQ(2, Row(0).convertnum);
    EXPECT_EQ(16u, Row(0).alias);
    EXPECT_EQ(0u, Row(0).filesize);  // every file is taken whole
    EXPECT_EQ(0, Row(1).convertnum);
    EXPECT_EQ(7u, Row(1).alias);
    EXPECT_EQ(0, Row(2).use);
    EXPECT_STREQ("*0", Row(3).filename);
    EXPECT_EQ(0, Row(3).convertnum);  // a reference never has a converter
    EXPECT_EQ(32u, Row(3).alias);
    EXPECT_EQ(0, Row(4).use);
    EXPECT_EQ(8, Row(5).convertnum);  // octal
}

TEST_F(CommandArguments, ReferencesMustPointBack)
{
    EXPECT_CODE(VORL_ERR_FORWARD_REFERENCE, Parse({"-p0", "**0"}));
    EXPECT_CODE(VORL_ERR_FORWARD_REFERENCE, Parse({"-p0", "@a.bin", "**1"}));
    EXPECT_CODE(VORL_ERR_FORWARD_REFERENCE, Parse({"-p0", "@a.bin", "**99999999999999999999"}));
}

TEST_F(CommandArguments, MissingFilesAndWildcards)
{
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Parse({"-p0", "@absent.bin"}));
    fs::create_directory(folder_ / "a-dir.bin");
    ASSERT_CODE(VORL_OK, Parse({"-p0", "-s", "@absent.bin", "@?.bin", "@*-dir.bin", "@b*"}));
    EXPECT_EQ(0, Row(0).use);
    EXPECT_EQ((folder_ / "a.bin").string(), Row(1).filename);  // the first match in name order
    EXPECT_EQ(0, Row(2).use);                                  // folders are no inputs
    EXPECT_EQ((folder_ / "b.bin").string(), Row(3).filename);
}

TEST_F(CommandArguments, ListFiles)
{
    std::string cp932Name = "\x95\x5C.bin";  // "表.bin": its last byte is 0x5C
    WriteFile(folder_ / "表.bin", "JP");
    WriteFile(folder_ / "list.lst", (folder_ / "a.bin").string() + "\r\n\r\n" + (folder_ / "b.bin").string() + ",,5\n" +
                                        folder_.Path().string() + "/" + cp932Name + "\r\n**0");
    ASSERT_CODE(VORL_OK, Parse({"-p0", "-f@list.lst"}));
    ASSERT_EQ(5, info_.indexnum);
    EXPECT_EQ(1, Row(0).use);
    EXPECT_EQ(0, Row(1).use);
    EXPECT_EQ(5u, Row(2).alias);
    EXPECT_EQ(folder_.Path().string() + "/" + cp932Name, Row(3).filename);
    EXPECT_STREQ("*0", Row(4).filename);
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Parse({"-p0", "-f@absent.lst"}));
}

TEST_F(CommandArguments, CountsAndMode)
{
    EXPECT_CODE(VORL_ERR_NO_INDEX, Parse({"@a.bin"}));
    EXPECT_CODE(VORL_ERR_NO_INDEX, Parse({"-p0"}));
    EXPECT_CODE(VORL_ERR_NO_INDEX, Parse({"-p-1", "@a.bin"}));
    std::string lines;
    for (int i = 0; i < 10000; ++i) {
        lines += "\n";
    }
    WriteFile(folder_ / "many.lst", lines);
    EXPECT_CODE(VORL_ERR_TOO_MANY_FILES, Parse({"-p0", "-f@many.lst"}));
    WriteFile(folder_ / "many.lst", lines.substr(1));
    EXPECT_CODE(VORL_OK, Parse({"-p0", "-f@many.lst"}));
}

// Whole conversions through the export, in a folder of their own, with
// the working directory placed by VORLTEMP and checked to be gone.
class CommandLineConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path();
        fs::current_path(folder_.Path());
        fs::create_directory(work_.Path() / "base");
        setenv("VORLTEMP", (work_.Path() / "base").c_str(), 1);
        WriteFile("a.bin", "AAAA");
        WriteFile("b.bin", "BB");
        WriteFile("my file.bin", "MF");
    }
    void TearDown() override
    {
        EXPECT_TRUE(fs::is_empty(work_.Path() / "base")) << "a working directory was left behind";
        unsetenv("VORLTEMP");
        fs::current_path(previous_);
    }
    TempFolder folder_, work_;
    fs::path previous_;
};

TEST_F(CommandLineConversion, PacksTheNamedFiles)
{
    ASSERT_CODE(VORL_OK, VorlConvertCommandLine("-p0 a.bin b.bin"));
    EXPECT_EQ(Hex("Vorl" + Bytes({3, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 6, 0, 0, 0}) + "AAAABB"),
              Hex(ReadFile("vorldata.dat")));
    ASSERT_CODE(VORL_OK, VorlConvertCommandLine("-p9 a.bin b.bin -oother.dat"));
    EXPECT_EQ(ReadFile("vorldata.dat"), ReadFile("other.dat"));
    ASSERT_CODE(VORL_OK, VorlConvertCommandLine("-P1 \"my file.bin\" \"\" **0 -t2 \"-lunsigned short tbl\""));
    EXPECT_EQ("MF", ReadFile("vorldata.dat"));
    EXPECT_NE(std::string::npos, ReadFile("vorlhead.dat")
                                     .find("unsigned short tbl[] = {\n"
                                           "\t\t\t\t\t\t\t0x0000,\n"
                                           "\t\t\t\t\t\t\t0x0002,\n"
                                           "\t\t\t\t\t\t\t0x0000,\n"));
}

TEST_F(CommandLineConversion, Failures)
{
    struct Case {
        std::string line;
        int expected;
    };
    const Case cases[] = {
        {"a.bin", VORL_ERR_NO_INDEX},
        {"-p0 absent.bin", VORL_ERR_FILE_NOT_FOUND},
        {"-p0 **0", VORL_ERR_FORWARD_REFERENCE},
        {"-p0 -fabsent.lst", VORL_ERR_FILE_NOT_FOUND},
        {"", VORL_ERR_BAD_ACCESS},
        {"    ", VORL_OK},
        {"-p0 " + std::string(4091, 'x'), VORL_ERR_FILE_NOT_FOUND},
        {"-p0 " + std::string(4092, 'x'), VORL_ERR_CMDLINE_TOO_LONG},
    };
    for (const auto &c : cases) {
        EXPECT_CODE(c.expected, VorlConvertCommandLine(c.line.c_str())) << c.line.substr(0, 40);
    }
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertCommandLine(nullptr));
    std::string many = "-p0 -s";
    for (int i = 0; i < 253; ++i) {  // 255 arguments in all
        many += " x";
    }
    EXPECT_CODE(VORL_OK, VorlConvertCommandLine(many.c_str()));
    EXPECT_CODE(VORL_ERR_TOO_MANY_ARGUMENTS, VorlConvertCommandLine((many + " x").c_str()));
    setenv("VORLTEMP", (work_.Path() / "missing").c_str(), 1);
    EXPECT_CODE(VORL_ERR_WORK_DIRECTORY, VorlConvertCommandLine("-p0 a.bin"));
    setenv("VORLTEMP", (work_.Path() / "base").c_str(), 1);
}

}  // namespace
}  // namespace vorl::test
