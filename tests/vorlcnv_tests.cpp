// vorlcnv run as a program: its output, its errors and its exit status.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

#include "test_support.h"

namespace vorl::test {
namespace {

class Vorlcnv : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "b.bin", "BB");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    }
    TempFolder folder_;
};

// Standard output is left to the data: the summary goes to standard error,
// or nowhere with -q.
TEST_F(Vorlcnv, SuccessPrintsOneSummaryLineOnStandardError)
{
    ProgramResult result = Run({"-p0", "a.bin", "b.bin"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("vorlcnv: wrote vorldata.dat (26 bytes)\n", result.err);
    EXPECT_EQ("", result.out);
    result = Run({"-q", "-p0", "a.bin"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("", result.err + result.out);
    result = Run({"-p1", "-t2", "-lunsigned short tbl", "a.bin", "", "**0", "-oout.dat", "-hout.h"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("vorlcnv: wrote out.dat (4 bytes), out.h (155 bytes)\n", result.err);
    EXPECT_NE(std::string::npos, ReadFile(folder_ / "out.h")
                                     .find("unsigned short tbl[] = {\n"
                                           "\t\t\t\t\t\t\t0x0000,\n"
                                           "\t\t\t\t\t\t\t0x0004,\n"
                                           "\t\t\t\t\t\t\t0x0000,\n"
                                           "\t\t\t\t\t\t\t0x0004,\n"));
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// One line: the list and its line or the file concerned, the library's
// message, its number and, in English, why.
TEST_F(Vorlcnv, FailureNamesTheFileAndShowsTheLibrarysMessage)
{
    fs::create_directory(folder_ / "folder");
    WriteFile(folder_ / "empty.bin", "");
    WriteFile(folder_ / "assets.lst", "a.bin\r\nb.bin\r\nplain.bin\r\n");
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"-p0", "absent.bin"}, 9, "vorlcnv: absent.bin: ファイルが見つかりませんでした。 (error 9)\n"},
        {{"-p0", "-fassets.lst"}, 9, "vorlcnv: assets.lst:3: plain.bin: ファイルが見つかりませんでした。 (error 9)\n"},
        {{"-p0", "-fnone.lst"}, 9, "vorlcnv: none.lst: ファイルが見つかりませんでした。 (error 9)\n"},
        {{"-p0", "folder"}, 9, "vorlcnv: folder: ファイルが見つかりませんでした。 (error 9: is a folder)\n"},
        {{"-p0", "a.bin", "empty.bin"},
         9,
         "vorlcnv: empty.bin: ファイルが見つかりませんでした。 (error 9: is empty)\n"},
        {{"-p0", "**0"}, 14, "vorlcnv: **0: 自分より大きいインデックス番号を、参照することは出来ません。 (error 14)\n"},
        {{"-p0", "-onowhere/out.dat", "a.bin"},
         13,
         "vorlcnv: nowhere/out.dat: 出力ファイルが作成できませんでした。 (error 13: its folder does not exist)\n"},
        {{"-p2", "a.bin", "-ofolder"},
         13,
         "vorlcnv: folder: 出力ファイルが作成できませんでした。 (error 13: is a folder)\n"},
        {{"-p3", "-oa.bin", "a.bin"},
         13,
         "vorlcnv: a.bin: 出力ファイルが作成できませんでした。 (error 13: the data file is also the input of entry 0 "
         "(a.bin); nothing "
         "was written)\n"},
    };
    for (const auto &c : cases) {
        ProgramResult result = Run(c.arguments);
        EXPECT_EQ(c.status, result.status) << c.arguments[1];
        EXPECT_EQ(c.message, result.err);
        EXPECT_EQ("", result.out);
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

TEST_F(Vorlcnv, ArgumentsItCannotPassOn)
{
    for (std::vector<std::string> arguments : {std::vector<std::string>{},
                                               {"-p0", "line\nbreak"},
                                               {"-p0", "\xF0\x9F\x98\x80.bin"},
                                               {"-p0", "-o\"q\".dat", "a.bin"},
                                               {"--project", "p.vorlprj"},
                                               {"--project", "p", "--data"},
                                               {"--data", "x", "--colour", "red"}}) {
        ProgramResult result = Run(arguments);
        EXPECT_EQ(64, result.status);
        EXPECT_NE(std::string::npos, result.err.find("vorlcnv: ")) << result.err;
        EXPECT_NE(std::string::npos, result.err.find("--help"));
    }
}

TEST_F(Vorlcnv, JapaneseNamesAndBlanksSurvive)
{
    WriteFile(folder_ / "表 データ.bin", "JP");
    ProgramResult result = Run({"-p3", "表 データ.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("JP", ReadFile(folder_ / "vorldata.dat"));
}

// The second byte of 表 and ソ is 0x5C: a wildcard in such a folder, and a
// project named relative to the current folder whose entries climb out of
// its own folder, find their files.
TEST_F(Vorlcnv, FoldersWhoseNamesEndInByte5C)
{
    fs::create_directories(folder_ / "ソース");
    fs::create_directories(folder_ / "ソフト表");
    WriteFile(folder_ / "ソース/表1.bin", "ONE");
    WriteFile(folder_ / "能力.bin", "ABILITY");
    ProgramResult result = Run({"-p3", "ソース/表?.bin", "-oout.dat"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("ONE", ReadFile(folder_ / "out.dat"));
    WriteFile(
        folder_ / "ソフト表/game.vorlprj",
        "<VorlProject version='400'><header><indexnum>1</indexnum><indexout>nothing</indexout><indexbyte>4</indexbyte>"
        "<indexinterval>1</indexinterval><dataalign>1</dataalign></header>"
        "<index num='0' use='true'><filename>../能力.bin</filename></index></VorlProject>");
    result = Run({"--project", "ソフト表/game.vorlprj", "--data", "out2.dat"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("ABILITY", ReadFile(folder_ / "ソフト表/out2.dat"));
}

// Packing to standard output: the data alone goes there, the summary to
// standard error.
TEST_F(Vorlcnv, DataOnStandardOutputStaysClean)
{
    ProgramResult result = Run({"-p3", "-o/dev/stdout", "a.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("AAAA", result.out);
    EXPECT_EQ(0u, result.err.find("vorlcnv: wrote /dev/stdout")) << result.err;
}

TEST_F(Vorlcnv, HelpAndVersion)
{
    ProgramResult help = Run({"--help"});
    EXPECT_EQ(0, help.status);
    EXPECT_EQ(0u, help.out.find("Usage:\n  vorlcnv [options] [--] ENTRY...\n"));
    for (const char *option : {"-pN", "-aN", "-s / --s", "-t2", "-lTEXT", "-oFILE", "-hFILE", "-fFILE", "--project",
                               "--workdir", "Example:", "Exit status", "--quiet", "UTF-8", "CP932", "74"}) {
        EXPECT_NE(std::string::npos, help.out.find(option)) << option;
    }
    ProgramResult version = Run({"--version"});
    EXPECT_EQ(0, version.status);
    EXPECT_EQ("vorlcnv (VORL Maker for Linux) " VORL_PACKAGE_VERSION
              "\nlibrary version 2.0.2 (0x2000002), project format 4.00\n",
              version.out);
}

// The manual page and --help cannot drift apart: every option of one is an
// option of the other.
TEST_F(Vorlcnv, HelpAndManualPageNameTheSameOptions)
{
    auto namesIn = [](const std::string &line, std::set<std::string> &names) {
        static const std::regex option(R"((^|[ "])(--?[a-z][a-z0-9]*(?:-[a-z0-9]+)*|--)(?=[ ",]|$))");
        for (std::sregex_iterator it(line.begin(), line.end(), option), end; it != end; ++it) {
            names.insert((*it)[2]);
        }
    };
    std::set<std::string> inHelp;
    std::istringstream help(Run({"--help"}).out);
    for (std::string line; std::getline(help, line);) {
        if (line.rfind("  -", 0) == 0) {
            // The option column ends at the first run of two blanks.
            std::string column = line.substr(2, line.find("  ", 3) - 2);
            column = std::regex_replace(column, std::regex("(-[a-z])[A-Z]+"), "$1");
            namesIn(column, inHelp);
        }
    }
    std::set<std::string> inPage;
    std::istringstream page(ReadFile(fs::path(VORL_MAN_PAGES) / "vorlcnv.1.in"));
    bool item = false;
    for (std::string line; std::getline(page, line); item = line == ".TP") {
        if (item) {
            namesIn(std::regex_replace(line, std::regex(R"(\\-)"), "-"), inPage);
        }
    }
    EXPECT_GT(inHelp.size(), 20u);
    EXPECT_EQ(inHelp, inPage);
}

TEST_F(Vorlcnv, ProjectMode)
{
    fs::copy(fs::path(VORL_FIXTURES) / "windows_project", folder_ / "prj", fs::copy_options::recursive);
    ProgramResult result =
        Run({"--project", "prj/old.prj", "--data", "old.dat", "--header", "old.idx", "--workdir", "work"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("vorlcnv: wrote prj/old.dat (40 bytes), prj/old.idx (14 bytes)\n", result.err);
    result = Run({"--project", "prj/old.prj", "--data", "old.dat"});
    EXPECT_EQ(12, result.status);
    EXPECT_EQ("vorlcnv: Header Save Filenameを指定して下さい。 (error 12)\n", result.err);
    result = Run({"--project", "prj/game.vorlprj", "--data", "/dev/null/x"});
    EXPECT_EQ(13, result.status);
    EXPECT_EQ("vorlcnv: /dev/null/x: 出力ファイルが作成できませんでした。 (error 13: its folder does not exist)\n",
              result.err);
    result = Run({"-q", "--project", "prj/game.vorlprj", "--data", "quiet.dat"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("", result.err + result.out);
    result = Run({"--project=prj/none.vorlprj", "--data=x.dat"});
    EXPECT_EQ(1, result.status);
    EXPECT_NE(std::string::npos, result.err.find("/prj/none.vorlprj: Prjファイルが見つかりません。 (error 1)\n"))
        << result.err;
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

// The names vorlcnv reports are the ones the library wrote: a name the
// library could not store (it would write vorldata.dat instead) is refused
// before anything is converted.
TEST_F(Vorlcnv, NamesTheLibraryCannotTakeAreRefused)
{
    const std::string longName(260, 'n');
    for (const std::string &option : {"-o" + longName, "-h" + longName, "-O" + longName}) {
        ProgramResult result = Run({"-p1", "a.bin", option});
        EXPECT_EQ(64, result.status) << option.substr(0, 2);
        EXPECT_NE(std::string::npos, result.err.find("too long")) << result.err;
        EXPECT_EQ("", result.out);
        EXPECT_FALSE(fs::exists(folder_ / "vorldata.dat"));
        EXPECT_FALSE(fs::exists(folder_ / "vorlhead.dat"));
    }
    // The last "-o" counts, and "-P" reads as "-p": the report follows the library.
    ProgramResult result = Run({"-P2", "a.bin", "-ofirst.dat", "-osecond.dat", "-Hh.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("vorlcnv: wrote second.dat (" + std::to_string(fs::file_size(folder_ / "second.dat")) +
                  " bytes), h.bin (" + std::to_string(fs::file_size(folder_ / "h.bin")) + " bytes)\n",
              result.err);
}

}  // namespace
}  // namespace vorl::test
