// VorlConvertWithOptions: where a failed conversion stopped (row, list
// line, file and cause), its own working directory for a block without
// one, the checks of its arguments; and names typed with the other
// Unicode form of a CP932 character that both forms encode to.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <iterator>
#include <string>

#include "recode_text.h"
#include "test_support.h"

namespace vorl::test {
namespace {

class FailureReport : public InOwnFolder {
protected:
    void SetUp() override
    {
        InOwnFolder::SetUp();
        fs::create_directory(Work());
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "b.bin", "BB");
        WriteFile(folder_ / "empty.bin", "");
        workbase_ = Work().string();
        options_.size = sizeof options_;
        options_.workbase = workbase_.c_str();
    }
    int Convert(const std::string &line) { return VorlConvertWithOptions(nullptr, line.c_str(), &options_); }
    const VorlFailureReport &Report() const { return options_.failure; }
    fs::path Work() const { return folder_ / "work"; }
    // Two rows of absolute names, data alone; row 1 may get a converter.
    Block TwoRows()
    {
        Block block(2);
        block.UseFile(0, (folder_ / "a.bin").string());
        block.UseFile(1, (folder_ / "b.bin").string());
        block->indexout = 3;
        block.SetData(folder_ / "out.dat");
        return block;
    }
    std::string workbase_;
    VorlConvertOptions options_{};
};

TEST_F(FailureReport, MissingArgumentNamesItsRowAndTheNameAsWritten)
{
    std::string missing = Sjis("欠番.bin");
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert("-p0 a.bin b.bin " + missing + ",,7"));
    EXPECT_EQ(2, Report().row);
    EXPECT_EQ(0, Report().line);
    EXPECT_EQ(VORL_CAUSE_MISSING, Report().cause);
    EXPECT_EQ(ENOENT, Report().oserror);
    EXPECT_EQ(Hex(missing), Hex(Report().input));
    EXPECT_EQ(Hex(missing), Hex(Report().file));
    EXPECT_STREQ("", Report().listfile);
    EXPECT_TRUE(fs::is_empty(Work()));

    // A caller reuses one record: a success must not leave the last
    // failure standing in it.
    ASSERT_CODE(VORL_OK, Convert("-p0 -oout.dat a.bin"));
    EXPECT_EQ(-1, Report().row);
    EXPECT_EQ(0, Report().line);
    EXPECT_EQ(VORL_CAUSE_NONE, Report().cause);
    EXPECT_STREQ("", Report().input);
    EXPECT_STREQ("", Report().file);
}

// Rows are counted over the whole command line, lines within the list;
// an empty input passes the parse and only fails when it is packed.
TEST_F(FailureReport, ListEntryNamesTheListAndItsLine)
{
    struct Case {
        const char *before;
        const char *list;
        int row;
        int line;
        int cause;
        const char *input;
    };
    const Case cases[] = {
        {"", "a.bin\nb.bin\nmissing.bin\n", 2, 3, VORL_CAUSE_MISSING, "missing.bin"},
        {"", "a.bin\r\nb.bin\r\nmissing.bin\r\n", 2, 3, VORL_CAUSE_MISSING, "missing.bin"},
        {"", "a.bin\r\nb.bin\r\nmissing.bin", 2, 3, VORL_CAUSE_MISSING, "missing.bin"},
        {"a.bin ", "b.bin\nmissing.bin\n", 2, 2, VORL_CAUSE_MISSING, "missing.bin"},
        {"", "a.bin\r\nempty.bin\r\nb.bin\r\n", 1, 2, VORL_CAUSE_EMPTY, "empty.bin"},
        {"b.bin ", "a.bin\nempty.bin\n", 2, 2, VORL_CAUSE_EMPTY, "empty.bin"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::Message() << "before \"" << c.before << "\", list " << Hex(c.list));
        WriteFile(folder_ / "entries.lst", c.list);
        EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert(std::string("-p0 -oout.dat ") + c.before + "-fentries.lst"));
        EXPECT_EQ(c.row, Report().row);
        EXPECT_EQ(c.line, Report().line);
        EXPECT_EQ(c.cause, Report().cause);
        EXPECT_STREQ(c.input, Report().input);
        EXPECT_STREQ(c.input, Report().file);
        EXPECT_STREQ("entries.lst", Report().listfile);
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }
}

// A list far larger than any list of 9,999 entries is not read on: it is
// refused at once, saying why, however large the file is.
TEST_F(FailureReport, ListFileFarTooLargeIsRefusedAtOnce)
{
    int fd = ::open((folder_ / "huge.lst").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(0, ::ftruncate(fd, off_t{5} << 30));
    ::close(fd);
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert("-p0 -fhuge.lst"));
    EXPECT_EQ(VORL_CAUSE_UNREADABLE, Report().cause);
    EXPECT_EQ(EFBIG, Report().oserror);
    EXPECT_STREQ("huge.lst", Report().file);
    EXPECT_TRUE(fs::is_empty(Work()));
}

TEST_F(FailureReport, FolderGivenAsInput)
{
    fs::create_directory(folder_ / "sub");
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert("-p0 a.bin sub"));
    EXPECT_EQ(1, Report().row);
    EXPECT_EQ(VORL_CAUSE_FOLDER, Report().cause);
    EXPECT_STREQ("sub", Report().input);
}

TEST_F(FailureReport, UnreadableInputGivesTheSystemsError)
{
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads a file whatever its mode says: run as an unprivileged user to check this";
    }
    WriteFile(folder_ / "locked.bin", "LOCKED");
    ASSERT_EQ(0, ::chmod((folder_ / "locked.bin").c_str(), 0));
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert("-p0 a.bin locked.bin"));
    EXPECT_EQ(1, Report().row);
    EXPECT_EQ(VORL_CAUSE_UNREADABLE, Report().cause);
    EXPECT_EQ(EACCES, Report().oserror);
    EXPECT_STREQ("locked.bin", Report().input);
}

// The output concerns no row: the report must not blame the last input.
TEST_F(FailureReport, MissingOutputFolderNamesTheOutput)
{
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, Convert("-p0 -onowhere/out.dat a.bin"));
    EXPECT_EQ(-1, Report().row);
    EXPECT_EQ(VORL_CAUSE_NO_FOLDER, Report().cause);
    EXPECT_EQ(ENOENT, Report().oserror);
    EXPECT_STREQ("nowhere/out.dat", Report().file);
    EXPECT_FALSE(fs::exists(folder_ / "nowhere"));
}

TEST_F(FailureReport, BlockWithoutWorkdirStagesUnderTheWorkbaseAndCleansUp)
{
    Block block = TwoRows();
    block.Row(1).convertnum = 1;
    // The converter tells where its output was to go, which is the only
    // sight of the working directory while it exists.
    block.SetConverter(1, R"(cp "$I" "$O" && printf %s "$O" > staged.txt)");
    ASSERT_CODE(VORL_OK, VorlConvertWithOptions(&block.Info(), nullptr, &options_));
    EXPECT_EQ("AAAABB", ReadFile(folder_ / "out.dat"));
    fs::path staged = ReadFile(folder_ / "staged.txt");
    EXPECT_EQ(Work(), staged.parent_path().parent_path()) << staged;
    EXPECT_EQ(0u, staged.parent_path().filename().string().rfind("vorl", 0)) << staged;
    EXPECT_TRUE(fs::is_empty(Work()));
    EXPECT_STREQ("", block->workdir);
    EXPECT_EQ(-1, Report().row);
}

TEST_F(FailureReport, FailingConverterNamesItsRowAndStatus)
{
    struct Case {
        const char *command;
        int code;
        int status;
    };
    const Case cases[] = {{"exit 3", VORL_ERR_EXTERNAL_COMMAND, 3}, {"true", VORL_ERR_FILE_NOT_FOUND, 0}};
    const std::string input = (folder_ / "b.bin").string();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.command);
        Block block = TwoRows();
        block.Row(1).convertnum = 1;
        block.SetConverter(1, c.command);
        EXPECT_CODE(c.code, VorlConvertWithOptions(&block.Info(), nullptr, &options_));
        EXPECT_EQ(1, Report().row);
        EXPECT_EQ(VORL_CAUSE_CONVERTER, Report().cause);
        EXPECT_EQ(c.status, Report().status);
        EXPECT_EQ(input, Report().input);
        EXPECT_EQ(input, Report().file);
        EXPECT_TRUE(fs::is_empty(Work()));
        EXPECT_STREQ("", block->workdir);
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }
}

TEST_F(FailureReport, ArgumentsAreChecked)
{
    Block block = TwoRows();
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertWithOptions(nullptr, nullptr, &options_));
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertWithOptions(&block.Info(), "-p3 -oout.dat a.bin", &options_));
    EXPECT_FALSE(fs::exists(folder_ / "out.dat")) << "neither source may be converted";

    // A caller built against an older header has a shorter record: one
    // byte short of the report is refused without a write into it...
    VorlConvertOptions older{};
    older.size = offsetof(VorlConvertOptions, failure) + sizeof(VorlFailureReport) - 1;
    older.failure.row = 77;
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertWithOptions(nullptr, "-p3 -oout.dat a.bin", &older));
    EXPECT_EQ(77, older.failure.row);
    // ...and one ending at the report has no workbase, whatever its memory
    // holds beyond: a folder that cannot be made there must not be tried.
    older.size += 1;
    older.workbase = "/nonexistent/vorl-workbase";
    EXPECT_CODE(VORL_OK, VorlConvertWithOptions(nullptr, "-p3 -oout.dat a.bin", &older));
    EXPECT_EQ(-1, older.failure.row);

    struct Case {
        const char *line;
        int code;
    };
    const Case withoutOptions[] = {
        {"-p3 -oplain.dat a.bin b.bin", VORL_OK},
        {"-p3 -oplain.dat a.bin missing.bin", VORL_ERR_FILE_NOT_FOUND},
        {"a.bin", VORL_ERR_NO_INDEX},
    };
    for (const Case &c : withoutOptions) {
        EXPECT_CODE(c.code, VorlConvertCommandLine(c.line)) << c.line;
        EXPECT_CODE(c.code, VorlConvertWithOptions(nullptr, c.line, nullptr)) << c.line;
    }
    EXPECT_EQ("AAAABB", ReadFile(folder_ / "plain.dat"));
}

// The form a Linux user types, and the form the same CP932 bytes decode
// to, which is the one the library looks for first.
struct AmbiguousPair {
    const char *typed;
    const char *decoded;
};
const AmbiguousPair kPairs[] = {
    {"〜", "～"}, {"‖", "∥"}, {"−", "－"}, {"¢", "￠"}, {"£", "￡"}, {"¬", "￢"},
};

class AmbiguousNames : public InOwnFolder {
protected:
    // Without this the test would pass on a library that never looks for
    // the other form.
    void ExpectDecodesToTheOtherForm(const AmbiguousPair &pair)
    {
        EXPECT_EQ(pair.decoded, common::Cp932ToUtf8(Sjis(pair.typed)).value_or(""));
    }
};

// One row names a file with the typed form, the other a file in a folder
// named with it: each part of a path is looked for on its own.
TEST_F(AmbiguousNames, NamesWithTheTypedFormArePacked)
{
    fs::create_directory("資料");
    for (size_t i = 0; i < std::size(kPairs); ++i) {
        SCOPED_TRACE(kPairs[i].typed);
        ExpectDecodesToTheOtherForm(kPairs[i]);
        std::string number = std::to_string(i);
        std::string file = std::string("資料/") + kPairs[i].typed + number + ".bin";
        std::string folder = std::string("資料") + kPairs[i].typed + number;
        WriteFile(folder_ / file, "file " + number);
        fs::create_directory(folder_ / folder);
        WriteFile(folder_ / folder / "a.bin", " inside " + number);
        std::string line = "-p3 -oout" + number + ".dat " + Sjis(file) + " " + Sjis(folder + "/a.bin");
        ASSERT_CODE(VORL_OK, VorlConvertCommandLine(line.c_str()));
        EXPECT_EQ("file " + number + " inside " + number, ReadFile(folder_ / ("out" + number + ".dat")));
    }
}

}  // namespace
}  // namespace vorl::test
