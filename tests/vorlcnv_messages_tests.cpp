// What vorlcnv tells the user beyond the library's own message: the row
// and the setting at fault, the warnings of a run that succeeded, the
// dependency file's names, the progress line, and what --list and
// --extract print for numbers beyond what a reader holds.
//
// The tests whose names end in "WithLibraryReport" need the library to
// fill the failure's cause 12 to 15, `neededbytes` and `notice`.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

class VorlcnvMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "f.bin", "F");
        WriteFile(folder_ / "g.bin", "GG");
        // 65535 bytes: the entry after it has the index value 0xFFFF, the
        // no-data value of a 2-byte index.
        WriteFile(folder_ / "big.bin", std::string(0xFFFF, 'B'));
        WriteFile(folder_ / "huge.bin", std::string(70000, 'H'));
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(const std::vector<std::string> &arguments,
                      std::vector<std::pair<std::string, std::string>> environment = {})
    {
        if (environment.empty()) {
            environment = {{"VORLTEMP", (folder_ / "work").string()}};
        }
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), environment);
    }
    // A project in prj/ of one row per name, each converted by the slot
    // `slot`, whose template is `convert` (slot 1) or none.
    void WriteProject(const std::vector<std::string> &names, int slot, const std::string &convert)
    {
        fs::create_directories(folder_ / "prj");
        std::string rows;
        for (size_t row = 0; row < names.size(); ++row) {
            if (!fs::exists(folder_ / "prj" / names[row])) {
                WriteFile(folder_ / "prj" / names[row], names[row]);
            }
            rows += "\t<index num='" + std::to_string(row) + "' use='true'><filename>" + names[row] +
                    "</filename><convertnum>" + std::to_string(slot) + "</convertnum></index>\n";
        }
        WriteFile(folder_ / "prj/game.vorlprj",
                  "<?xml version='1.0' encoding='utf-8'?>\n<VorlProject version='400'>\n<header>\n"
                  "\t<headerid>Vorl</headerid><indexnum>" +
                      std::to_string(names.size()) +
                      "</indexnum><indexout>infile</indexout>\n"
                      "\t<indexmode>false</indexmode><indexbyte>4</indexbyte><indexinterval>1</indexinterval>\n"
                      "\t<dataalign>1</dataalign><pathmode>relative</pathmode><skipnofile>false</skipnofile>\n"
                      "\t<convert num='1'>" +
                      convert + "</convert>\n</header>\n" + rows + "</VorlProject>\n");
    }
    TempFolder folder_;
};

struct MessageCase {
    const char *what;
    std::vector<std::string> arguments;
    int status;
    std::vector<std::string> parts;  // each must appear in the one line on standard error
    std::vector<std::pair<std::string, std::string>> environment = {};
};

void CheckMessages(VorlcnvMessages &test, const std::vector<MessageCase> &cases,
                   const std::function<ProgramResult(const MessageCase &)> &run)
{
    for (const MessageCase &c : cases) {
        SCOPED_TRACE(c.what);
        ProgramResult result = run(c);
        EXPECT_EQ(c.status, result.status) << result.err;
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << "one line: " << result.err;
        EXPECT_EQ(0u, result.err.find("vorlcnv: ")) << result.err;
        for (const std::string &part : c.parts) {
            EXPECT_NE(std::string::npos, result.err.find(part)) << part << " in " << result.err;
        }
    }
    (void)test;
}

// The row and the width: which value did not fit and what would hold it.
TEST_F(VorlcnvMessages, ValuesThatDoNotFitNameTheRowAndTheWidthWithLibraryReport)
{
    WriteFile(folder_ / "alias.lst", "f.bin\r\ng.bin,0,70000\r\n");
    const std::vector<MessageCase> cases = {
        {"an index value equal to the no-data value of a 2-byte index",
         {"-p0", "-t2", "big.bin", "f.bin"},
         15,
         {"インデックスが許容範囲を超えています。", "(error 15: entry 1 (f.bin): its index value", "-t4 holds it"}},
        {"an index value beyond a 2-byte index",
         {"-p0", "-t2", "huge.bin", "f.bin"},
         15,
         {"(error 15: entry 1 (f.bin): its index value", "-t4 holds it"}},
        {"the end of the data beyond a 2-byte index",
         {"-p0", "-t2", "f.bin", "big.bin"},
         15,
         {"(error 15: the end entry after entry 1", "index value", "-t4 holds it"}},
        {"an alias beyond a 2-byte alias",
         {"-p0", "-t2", "-e", "f.bin", "g.bin,0,70000"},
         15,
         {"(error 15: entry 1 (g.bin): its alias does not fit", "-t4 with -e holds it"}},
        {"an alias of a list beyond a 2-byte alias",
         {"-p0", "-t2", "-e", "-falias.lst"},
         15,
         {"vorlcnv: alias.lst:2: ", "entry 1 (g.bin): its alias does not fit", "-t4 with -e holds it"}},
        {"no working folder",
         {"-p0", "f.bin"},
         18,
         {"テンポラリディレクトリが作成できませんでした。", "(error 18: ", (folder_ / "absent").string(),
          std::strerror(ENOENT)},
         {{"VORLTEMP", (folder_ / "absent").string()}}},
    };
    CheckMessages(*this, cases, [this](const MessageCase &c) { return Run(c.arguments, c.environment); });
}

// A project's widths are its own settings; its converter slots too.
TEST_F(VorlcnvMessages, ProjectRowsNameTheirSettingWithLibraryReport)
{
    WriteProject({"a.bin", "b.bin"}, 2, "cp \"$I\" \"$O\"");
    const std::vector<MessageCase> cases = {
        {"a converter slot without a command",
         {"--project", "prj/game.vorlprj", "--data", "out.dat"},
         9,
         {"(error 9: entry 0 (", "a.bin): its converter field names no converter"}},
    };
    CheckMessages(*this, cases, [this](const MessageCase &c) { return Run(c.arguments); });
}

// A name that is too long once a wildcard is matched says so in bytes of
// Shift-JIS.
TEST_F(VorlcnvMessages, NamesTooLongSayHowLongWithLibraryReport)
{
    const std::string folder = std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(45, 'c');
    fs::create_directories(folder_ / folder);
    WriteFile(folder_ / folder / (std::string(40, 'n') + ".bin"), "N");
    const std::string pattern = folder + "/*.bin";
    const std::vector<MessageCase> cases = {
        {"a match longer than a name field",
         {"-p0", "f.bin", pattern},
         9,
         {"(error 9: entry 1 (" + pattern + "): the name, made absolute, is longer than 259 bytes in Shift-JIS"}},
        {"a working folder whose name would be too long",
         {"-p0", "f.bin"},
         18,
         // The report's field holds the folder's first 259 bytes.
         {"(error 18: no working folder can be made in " + (folder_ / std::string(100, 'a')).string(),
          std::strerror(ENAMETOOLONG)},
         {{"VORLTEMP", (folder_ / folder).string()}}},
    };
    CheckMessages(*this, cases, [this](const MessageCase &c) { return Run(c.arguments, c.environment); });
}

// --extract names the row as the user wrote it, not as the largest number
// that 64 bits hold.
TEST_F(VorlcnvMessages, ExtractNamesARowBeyondSixtyFourBitsAsWritten)
{
    ASSERT_EQ(0, Run({"-q", "-p0", "-opack.dat", "f.bin", "g.bin"}).status);
    const std::vector<MessageCase> cases = {
        {"a row beyond 64 bits",
         {"--extract", "99999999999999999999", "pack.dat"},
         65,
         {"pack.dat: no row 99999999999999999999 (the index has 3 rows)"}},
        {"leading zeros", {"--extract", "0007", "pack.dat"}, 65, {"pack.dat: no row 7 (the index has 3 rows)"}},
    };
    CheckMessages(*this, cases, [this](const MessageCase &c) { return Run(c.arguments); });
    EXPECT_EQ(std::string::npos,
              Run({"--extract", "99999999999999999999", "pack.dat"}).err.find("18446744073709551615"));
}

// A '%' in a target makes a pattern rule for make; in a prerequisite a
// backslash before it would stay part of the name. Both programs that read
// the file (make and Ninja) take a '%' in a prerequisite as it stands.
TEST_F(VorlcnvMessages, DependencyFileEscapesPercentAsMakeReadsIt)
{
    WriteFile(folder_ / "pct%.bin", "P");
    WriteFile(folder_ / "hash#.bin", "H");
    WriteFile(folder_ / "dollar$.bin", "D");
    WriteFile(folder_ / "blank .bin", "B");
    WriteFile(folder_ / "colon:.bin", "C");
    ProgramResult result = Run({"-q", "-p0", "-oout%.dat", "--depfile", "out.d", "pct%.bin", "hash#.bin", "dollar$.bin",
                                "blank .bin", "colon:.bin"});
    ASSERT_EQ(0, result.status) << result.err;
    std::string text = ReadFile(folder_ / "out.d");
    std::string folder = folder_.Path().string();
    EXPECT_EQ(0u, text.find("out\\%.dat: \\\n")) << text;
    EXPECT_NE(std::string::npos, text.find("  " + folder + "/pct%.bin \\\n")) << text;
    EXPECT_NE(std::string::npos, text.find("\n" + folder + "/pct\\%.bin:\n")) << text;
    EXPECT_NE(std::string::npos, text.find(folder + "/hash\\#.bin")) << text;
    EXPECT_NE(std::string::npos, text.find(folder + "/dollar$$.bin")) << text;
    EXPECT_NE(std::string::npos, text.find(folder + "/blank\\ .bin")) << text;
    EXPECT_NE(std::string::npos, text.find(folder + "/colon\\:.bin")) << text;

    // make itself: with the file included the data file is up to date, and
    // a deleted input makes it out of date instead of stopping make.
    if (::access("/usr/bin/make", X_OK) != 0) {
        return;
    }
    WriteFile(folder_ / "Makefile", "out%.dat:\n\ttouch 'out%.dat'\ninclude out.d\n");
    ProgramResult make = RunProgram("/usr/bin/make", {"-q", "out%.dat"}, folder_.Path());
    EXPECT_EQ(0, make.status) << make.out << make.err;
    fs::remove(folder_ / "pct%.bin");
    make = RunProgram("/usr/bin/make", {"-q", "out%.dat"}, folder_.Path());
    EXPECT_EQ(1, make.status) << make.out << make.err;
}

// A row that holds data but whose value a reader takes for a row without
// any is told of, once, as a warning that -q keeps.
TEST_F(VorlcnvMessages, RowsThatLookEmptyAreWarnedOfWithLibraryReport)
{
    const std::string warning =
        "vorlcnv: warning: entry 0 (f.bin) has data but its index value equals the next entry's, so a reader sees "
        "no data; -i gives entries without data the all-ones value\n";
    ProgramResult result = Run({"-p0", "f.bin", "**0"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(warning + "vorlcnv: wrote vorldata.dat (21 bytes)\n", result.err);
    result = Run({"-q", "-p0", "f.bin", "**0"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(warning, result.err);
    // With all ones for no data nothing looks empty.
    result = Run({"-q", "-p0", "-i", "f.bin", "**0"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("", result.err);
}

// A pipe has no size to look at afterwards: the summary names it alone. A
// file that standard output goes to is replaced by the new one, and its
// size is that one's.
TEST_F(VorlcnvMessages, OutputToStandardOutputIsNamedWithoutAWrongSize)
{
    const std::string program = VORLCNV_PROGRAM;
    ProgramResult result = RunProgram("/bin/sh", {"-c", "'" + program + "' -p3 -o/dev/stdout f.bin g.bin | cat"},
                                      folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("FGG", result.out);
    EXPECT_EQ("vorlcnv: wrote /dev/stdout\n", result.err);
    // Into a file as well: it is written where the descriptor stands, and
    // may hold more than this run wrote.
    result = Run({"-p3", "-o/dev/stdout", "f.bin", "g.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("FGG", result.out);
    EXPECT_EQ("vorlcnv: wrote /dev/stdout\n", result.err);
}

// Numbers a double cannot hold exactly are strings; the others numbers.
TEST_F(VorlcnvMessages, JsonWritesNumbersBeyondTwoToTheFiftyThirdAsStrings)
{
    // A separate index (format word 0x7000: 4-byte values, an 8-byte alias
    // table) of two rows with running offsets over a body of one byte.
    const uint64_t aliases[] = {(uint64_t{1} << 53) + 1, 0xF000000000000000u};
    std::string index = "Vorl" + Bytes({2, 0, 0x00, 0x70, 0, 0, 0, 0, 1, 0, 0, 0});
    for (uint64_t alias : aliases) {
        for (int byte = 0; byte < 8; ++byte) {
            index += static_cast<char>((alias >> (8 * byte)) & 0xFF);
        }
    }
    WriteFile(folder_ / "index.bin", index);
    WriteFile(folder_ / "data.bin", "D");
    ProgramResult result = Run({"--list", "--json", "data.bin", "--header", "index.bin"});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_NE(std::string::npos,
              result.out.find("\"alias\": \"9007199254740993\", \"signed_alias\": \"9007199254740993\""))
        << result.out;
    EXPECT_NE(std::string::npos,
              result.out.find("\"alias\": \"17293822569102704640\", \"signed_alias\": \"-1152921504606846976\""))
        << result.out;
    // Numbers a double holds stay numbers.
    EXPECT_NE(std::string::npos, result.out.find("{\"row\": 0, \"value\": 0, \"has_data\": true, \"offset\": 0,"))
        << result.out;
    EXPECT_NE(std::string::npos, result.out.find("\"body_size\": 1,")) << result.out;
}

// Runs vorlcnv with standard error on a terminal; what the terminal got.
std::string RunOnTerminal(const fs::path &folder, const std::vector<std::string> &arguments)
{
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        return "openpty failed";
    }
    pid_t child = ::fork();
    if (child == 0) {
        ::close(master);
        ::dup2(slave, STDERR_FILENO);
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(127);
        }
        ::setenv("VORLTEMP", (folder / "work").c_str(), 1);
        std::vector<char *> argv = {const_cast<char *>(VORLCNV_PROGRAM)};
        for (const std::string &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(VORLCNV_PROGRAM, argv.data());
        ::_exit(127);
    }
    ::close(slave);
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got > 0) {
            text.append(buffer, static_cast<size_t>(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            break;  // EIO once the child has closed the terminal
        }
    }
    ::close(master);
    int status = 0;
    ::waitpid(child, &status, 0);
    return text;
}

// The progress line is gone before the summary is printed, and -q shows
// none.
TEST_F(VorlcnvMessages, ProgressLineIsErasedBeforeMessagesAndQuietShowsNone)
{
    // Four rows of a slow converter: a run of well over half a second.
    WriteProject({"a.bin", "b.bin", "c.bin", "d.bin"}, 1, "sleep 0.4; cp \"$I\" \"$O\"");
    const std::vector<std::string> arguments = {"--project", "prj/game.vorlprj", "--data", "out.dat"};
    std::string shown = RunOnTerminal(folder_.Path(), arguments);
    size_t progress = shown.rfind(" entries, ");
    ASSERT_NE(std::string::npos, progress) << shown;
    size_t summary = shown.find("vorlcnv: wrote ", progress);
    ASSERT_NE(std::string::npos, summary) << shown;
    EXPECT_NE(std::string::npos, shown.substr(progress, summary - progress).find("\r\033[K")) << shown;

    std::vector<std::string> quiet = arguments;
    quiet.push_back("-q");
    EXPECT_EQ("", RunOnTerminal(folder_.Path(), quiet));
}

}  // namespace
}  // namespace vorl::test
