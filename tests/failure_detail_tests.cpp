// What VorlConvertWithOptions says beyond the code: a value that does not
// fit its width or is the all-ones marker (-15) and the width that would
// hold it, the rows that a reader would take for rows without data, a
// converter field that names no converter, the folder and the system's
// reason behind -8 and -18, and an input whose name does not fit its field.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

// The rows a run told of, in the order it told them.
void CollectNotice(void *context, int32_t kind, int32_t row)
{
    static_cast<std::vector<std::pair<int32_t, int32_t>> *>(context)->emplace_back(kind, row);
}

class FailureDetail : public InOwnFolder {
protected:
    void SetUp() override
    {
        InOwnFolder::SetUp();
        fs::create_directory(Work());
        WriteFile(folder_ / "a.txt", "AAAA");
        WriteFile(folder_ / "b.txt", "BB");
        workbase_ = Work().string();
        options_.size = sizeof options_;
        options_.workbase = workbase_.c_str();
        options_.notice = CollectNotice;
        options_.noticecontext = &notices_;
    }
    int Convert(const std::string &line)
    {
        notices_.clear();
        options_.neededbytes = -1;
        return VorlConvertWithOptions(nullptr, line.c_str(), &options_);
    }
    int Convert(Block &block)
    {
        notices_.clear();
        options_.neededbytes = -1;
        return VorlConvertWithOptions(&block.Info(), nullptr, &options_);
    }
    const VorlFailureReport &Report() const { return options_.failure; }
    fs::path Work() const { return folder_ / "work"; }
    std::string workbase_;
    VorlConvertOptions options_{};
    std::vector<std::pair<int32_t, int32_t>> notices_;
};

// An item ending at the width's all-ones value gives the next row (or the
// end entry) the marker, which every reader takes for "no data".
TEST_F(FailureDetail, RealValueEqualToTheMarkerIsRefused)
{
    WriteFile(folder_ / "ffff.bin", std::string(0xFFFF, 'f'));
    WriteFile(folder_ / "fffe.bin", std::string(0xFFFE, 'e'));
    WriteFile(folder_ / "ff.bin", std::string(0xFF, 'f'));
    WriteFile(folder_ / "last.bin", "L");
    // 0xFFFF units of 4 bytes.
    WriteFile(folder_ / "units.bin", std::string(0x3FFFC, 'u'));
    struct Case {
        const char *line;
        int code;
        int row;
        const char *input;
        int needed;
    };
    const Case cases[] = {
        // All-ones marker mode: the row after the item.
        {"-p0 -t2 -i -ocoll.dat ffff.bin last.bin \"\"", VORL_ERR_INDEX_RANGE, 1, "last.bin", 4},
        {"-p2 -t2 -i -ocoll.dat -hcoll.h ffff.bin last.bin", VORL_ERR_INDEX_RANGE, 1, "last.bin", 4},
        {"-p1 -t2 -i -ocoll.dat -hcoll.h ffff.bin last.bin", VORL_ERR_INDEX_RANGE, 1, "last.bin", 4},
        // Running offsets: the end entry, a row of the table but no entry.
        {"-p0 -t2 -ocoll.dat ffff.bin", VORL_ERR_INDEX_RANGE, 1, "", 4},
        {"-p0 -t2 -ocoll.dat ffff.bin \"\"", VORL_ERR_INDEX_RANGE, 1, "", 4},
        // The value counts alignment units, whatever the alignment.
        {"-p0 -t2 -a4 -i -ocoll.dat units.bin last.bin", VORL_ERR_INDEX_RANGE, 1, "last.bin", 4},
        // One unit below the marker still fits.
        {"-p0 -t2 -i -ocoll.dat fffe.bin last.bin", VORL_OK, -1, "", 0},
        {"-p0 -t2 -ocoll.dat fffe.bin", VORL_OK, -1, "", 0},
        // Without an index no value is written, so none is refused.
        {"-p3 -t2 -ocoll.dat ffff.bin last.bin", VORL_OK, -1, "", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_CODE(c.code, Convert(c.line));
        EXPECT_EQ(c.row, Report().row);
        EXPECT_STREQ(c.input, Report().input);
        EXPECT_EQ(c.code == VORL_OK ? VORL_CAUSE_NONE : VORL_CAUSE_INDEX_VALUE, Report().cause);
        EXPECT_EQ(c.needed, options_.neededbytes);
        // The described export refuses the same pack.
        EXPECT_CODE(c.code, VorlConvertCommandLine(c.line));
    }

    // Width 1 through a block, in both index modes.
    for (int mode : {0, 1}) {
        SCOPED_TRACE(::testing::Message() << "width 1, index mode " << mode);
        Block block(mode == 1 ? 2 : 1);
        block.UseFile(0, (folder_ / "ff.bin").string());
        if (mode == 1) {
            block.UseFile(1, (folder_ / "last.bin").string());
        }
        block->indexbyte = 1;
        block->indexmode = mode;
        block.SetData(folder_ / "one.dat");
        EXPECT_CODE(VORL_ERR_INDEX_RANGE, Convert(block));
        EXPECT_EQ(1, Report().row);
        EXPECT_EQ(VORL_CAUSE_INDEX_VALUE, Report().cause);
        EXPECT_EQ(2, options_.neededbytes);
        EXPECT_CODE(VORL_ERR_INDEX_RANGE, block.Convert());
        EXPECT_FALSE(fs::exists(folder_ / "one.dat"));
    }
}

// The width that would hold a refused value, and where there is none.
TEST_F(FailureDetail, RangeFailureSaysWhatWidthWouldHoldTheValue)
{
    WriteFile(folder_ / "big.bin", std::string(0x10000, 'x'));
    struct Case {
        const char *line;
        int row;
        int cause;
        int needed;
    };
    const Case cases[] = {
        {"-p0 -t2 -i -oout.dat big.bin b.txt", 1, VORL_CAUSE_INDEX_VALUE, 4},
        {"-p2 -t2 -oout.dat -hout.h big.bin", 1, VORL_CAUSE_INDEX_VALUE, 4},
        {"-p2 -t2 -e -oout.dat -hout.h a.txt b.txt,,70000", 1, VORL_CAUSE_ALIAS_VALUE, 4},
        {"-p2 -t2 -e -oout.dat -hout.h a.txt,,-32769", 0, VORL_CAUSE_ALIAS_VALUE, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_CODE(VORL_ERR_INDEX_RANGE, Convert(c.line));
        EXPECT_EQ(c.row, Report().row);
        EXPECT_EQ(c.cause, Report().cause);
        EXPECT_EQ(c.needed, options_.neededbytes);
    }

    // One-byte aliases through a block: 256 needs two bytes, as does -129.
    for (int32_t alias : {256, -129, 65535}) {
        SCOPED_TRACE(alias);
        Block block(2);
        block.UseFile(0, (folder_ / "a.txt").string());
        block.UseFile(1, (folder_ / "b.txt").string());
        block->indexbyte = 1;
        block->usealias = 1;
        block.Row(1).alias = static_cast<uint32_t>(alias);
        block.SetData(folder_ / "alias.dat");
        EXPECT_CODE(VORL_ERR_INDEX_RANGE, Convert(block));
        EXPECT_EQ(1, Report().row);
        EXPECT_EQ(VORL_CAUSE_ALIAS_VALUE, Report().cause);
        EXPECT_EQ(2, options_.neededbytes);
    }

    // An alias that no table width of the run holds is refused before the
    // first converter runs: nothing is converted for a run that must fail.
    for (int jobs : {1, 2}) {
        SCOPED_TRACE(::testing::Message() << "jobs " << jobs);
        Block block(2);
        block.UseFile(0, (folder_ / "a.txt").string());
        block.UseFile(1, (folder_ / "b.txt").string());
        block->usealias = 2;
        block.Row(0).convertnum = 1;
        block.Row(1).alias = 70000;
        block.SetConverter(1, "touch \"" + (folder_ / "ran").string() + "\"; cat \"$I\" > \"$O\"");
        block.SetData(folder_ / "alias.dat");
        options_.jobs = jobs;
        EXPECT_CODE(VORL_ERR_INDEX_RANGE, Convert(block));
        options_.jobs = 0;
        EXPECT_EQ(1, Report().row);
        EXPECT_EQ(VORL_CAUSE_ALIAS_VALUE, Report().cause);
        EXPECT_EQ(4, options_.neededbytes);
        EXPECT_FALSE(fs::exists(folder_ / "ran"));
        EXPECT_FALSE(fs::exists(folder_ / "alias.dat"));
    }

    // Past 32 bits no width holds the end entry: the index table holds
    // 32-bit values at every width.
    {
        int fd = ::open((folder_ / "huge.bin").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ::ftruncate(fd, off_t{1} << 32));
        ::close(fd);
    }
    for (const char *line : {"-p0 -oout.dat huge.bin", "-p0 -t2 -oout.dat huge.bin"}) {
        SCOPED_TRACE(line);
        EXPECT_CODE(VORL_ERR_INDEX_RANGE, Convert(line));
        EXPECT_EQ(VORL_CAUSE_INDEX_VALUE, Report().cause);
        EXPECT_EQ(0, options_.neededbytes);
    }
    fs::remove(folder_ / "huge.bin");

    // A success leaves 0; a caller whose record ends before the field
    // never has it written.
    EXPECT_CODE(VORL_OK, Convert("-p0 -oout.dat a.txt"));
    EXPECT_EQ(0, options_.neededbytes);
    VorlConvertOptions older{};
    older.size = offsetof(VorlConvertOptions, neededbytes);
    older.workbase = workbase_.c_str();
    older.neededbytes = 77;
    EXPECT_CODE(VORL_ERR_INDEX_RANGE, VorlConvertWithOptions(nullptr, "-p0 -t2 -i -oout.dat big.bin b.txt", &older));
    EXPECT_EQ(VORL_CAUSE_INDEX_VALUE, older.failure.cause);
    EXPECT_EQ(77, older.neededbytes);
}

// With running offsets a row with data whose next row shares its value
// reads as a row without data; the run goes on and says so, once a row.
TEST_F(FailureDetail, RowsThatLookEmptyAreTold)
{
    WriteFile(folder_ / "c.txt", "CCC");
    using Notices = std::vector<std::pair<int32_t, int32_t>>;
    struct Case {
        const char *line;
        Notices expected;
    };
    const Case cases[] = {
        {"-p0 -oout.dat a.txt **0 b.txt", {{VORL_NOTICE_LOOKS_EMPTY, 0}}},
        {"-p2 -oout.dat -hout.h a.txt **0 b.txt", {{VORL_NOTICE_LOOKS_EMPTY, 0}}},
        {"-p1 -oout.dat -hout.h a.txt **0 b.txt", {{VORL_NOTICE_LOOKS_EMPTY, 0}}},
        // The shared entry itself looks empty when another follows it.
        {"-p0 -oout.dat a.txt **0 **0 b.txt", {{VORL_NOTICE_LOOKS_EMPTY, 0}, {VORL_NOTICE_LOOKS_EMPTY, 1}}},
        {"-p0 -oout.dat a.txt b.txt **1", {{VORL_NOTICE_LOOKS_EMPTY, 1}}},
        // A later item between them keeps them apart.
        {"-p0 -oout.dat a.txt b.txt **0", {}},
        {"-p0 -oout.dat a.txt b.txt c.txt", {}},
        // A row without data before an item is one, as it reads.
        {"-p0 -s -oout.dat missing.txt a.txt **1 \"\" b.txt", {{VORL_NOTICE_LOOKS_EMPTY, 1}}},
        {"-p0 -s -oout.dat a.txt missing.txt **0", {}},
        // The all-ones marker leaves no doubt; no index, nothing to read.
        {"-p0 -i -oout.dat a.txt **0 b.txt", {}},
        {"-p3 -oout.dat a.txt **0 b.txt", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_CODE(VORL_OK, Convert(c.line));
        EXPECT_EQ(c.expected, notices_);
        // Verifying the outputs just written finds the same rows.
        options_.verifyonly = 1;
        EXPECT_CODE(VORL_OK, Convert(c.line));
        EXPECT_EQ(c.expected, notices_);
        options_.verifyonly = 0;
    }
    // A run that fails tells of nothing.
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert("-p0 -oout.dat a.txt **0 missing.txt"));
    EXPECT_TRUE(notices_.empty());
}

// A converter number outside 1 to 4 is refused (-6) before anything is
// read; a slot without a command writes nothing (-9). The codes stay; the
// report names the row and the converter field as the reason.
TEST_F(FailureDetail, ConverterFieldThatNamesNoConverter)
{
    WriteFile(folder_ / "entries.lst", "a.txt\nb.txt,7\n");
    struct Case {
        const char *line;
        int code;
        int row;
        int line_;
        const char *input;
        const char *listfile;
    };
    const Case cases[] = {
        {"-p3 -oout.dat -fentries.lst", VORL_ERR_BAD_ACCESS, 1, 2, "b.txt", "entries.lst"},
        {"-p3 -oout.dat a.txt b.txt,5", VORL_ERR_BAD_ACCESS, 1, 0, "b.txt", ""},
        // The command line has no converter commands: every slot is empty.
        {"-p3 -oout.dat a.txt b.txt,1", VORL_ERR_FILE_NOT_FOUND, 1, 0, "b.txt", ""},
        {"-p0 -s -oout.dat b.txt,4", VORL_ERR_FILE_NOT_FOUND, 0, 0, "b.txt", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_CODE(c.code, Convert(c.line));
        EXPECT_EQ(c.row, Report().row);
        EXPECT_EQ(c.line_, Report().line);
        EXPECT_EQ(VORL_CAUSE_CONVERTER_SLOT, Report().cause);
        EXPECT_STREQ(c.input, Report().input);
        EXPECT_STREQ(c.input, Report().file);
        EXPECT_STREQ(c.listfile, Report().listfile);
        EXPECT_CODE(c.code, VorlConvertCommandLine(c.line));
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }

    const std::string input = (folder_ / "b.txt").string();
    struct BlockCase {
        int convertnum;
        const char *command;
        int jobs;
        int code;
    };
    const BlockCase blockCases[] = {
        {-1, "cp \"$I\" \"$O\"", 1, VORL_ERR_BAD_ACCESS},
        {5, "cp \"$I\" \"$O\"", 1, VORL_ERR_BAD_ACCESS},
        {2, "", 1, VORL_ERR_FILE_NOT_FOUND},
        {2, "", 2, VORL_ERR_FILE_NOT_FOUND},
        {2, "  ", 1, VORL_ERR_FILE_NOT_FOUND},
    };
    for (const BlockCase &c : blockCases) {
        SCOPED_TRACE(::testing::Message()
                     << "converter " << c.convertnum << " \"" << c.command << "\" jobs " << c.jobs);
        Block block(2);
        block.UseFile(0, (folder_ / "a.txt").string());
        block.UseFile(1, input);
        block.Row(1).convertnum = c.convertnum;
        block.SetConverter(1, "cp \"$I\" \"$O\"");
        if (c.convertnum == 2) {
            block.SetConverter(2, c.command);
        }
        block->indexout = 3;
        block.SetData(folder_ / "out.dat");
        options_.jobs = c.jobs;
        EXPECT_CODE(c.code, Convert(block));
        options_.jobs = 0;
        EXPECT_EQ(1, Report().row);
        EXPECT_EQ(VORL_CAUSE_CONVERTER_SLOT, Report().cause);
        EXPECT_EQ(input, Report().input);
        EXPECT_EQ(input, Report().file);
        EXPECT_CODE(c.code, block.Convert());
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }
}

// The working directory cannot be made: the report names the base folder
// and gives the system's reason.
TEST_F(FailureDetail, WorkDirectoryFailureNamesTheBaseFolder)
{
    WriteFile(folder_ / "plain-file", "x");
    struct Case {
        std::string base;
        int cause;
        int oserror;
    };
    const Case cases[] = {
        {(folder_ / "nowhere").string(), VORL_CAUSE_NO_FOLDER, ENOENT},
        {(folder_ / "nowhere" / "deeper").string(), VORL_CAUSE_NO_FOLDER, ENOENT},
        {(folder_ / "plain-file").string(), VORL_CAUSE_NO_FOLDER, ENOTDIR},
        {"/" + std::string(250, 'w'), VORL_CAUSE_NAME_TOO_LONG, ENAMETOOLONG},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.base);
        options_.workbase = c.base.c_str();
        EXPECT_CODE(VORL_ERR_WORK_DIRECTORY, Convert("-p3 -oout.dat a.txt"));
        EXPECT_EQ(-1, Report().row);
        EXPECT_EQ(c.cause, Report().cause);
        EXPECT_EQ(c.oserror, Report().oserror);
        EXPECT_EQ(c.base, Report().file);

        Block block(1);
        block.UseFile(0, (folder_ / "a.txt").string());
        block.SetData(folder_ / "out.dat");
        EXPECT_CODE(VORL_ERR_WORK_DIRECTORY, Convert(block));
        EXPECT_EQ(c.cause, Report().cause);
        EXPECT_EQ(c.oserror, Report().oserror);
        EXPECT_EQ(c.base, Report().file);
    }
    options_.workbase = workbase_.c_str();
    if (::geteuid() != 0) {
        fs::create_directory(folder_ / "locked");
        ASSERT_EQ(0, ::chmod((folder_ / "locked").c_str(), 0555));
        options_.workbase = (folder_ / "locked").c_str();
        std::string locked = (folder_ / "locked").string();
        options_.workbase = locked.c_str();
        EXPECT_CODE(VORL_ERR_WORK_DIRECTORY, Convert("-p3 -oout.dat a.txt"));
        EXPECT_EQ(VORL_CAUSE_UNWRITABLE, Report().cause);
        EXPECT_EQ(EACCES, Report().oserror);
        EXPECT_EQ(locked, Report().file);
        options_.workbase = workbase_.c_str();
    }
}

// What a child saw of its conversion, in memory shared with the parent.
struct ChildResult {
    int code;
    VorlFailureReport report;
};

// Runs the conversion in a child whose files may not grow past `limit`
// bytes, as on a full disk; the rest of the suite never sees the limit.
ChildResult ConvertOnFullDisk(VorlInformation *info, const char *line, const char *workbase, rlim_t limit)
{
    void *shared = ::mmap(nullptr, sizeof(ChildResult), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) {
        return {1000, {}};
    }
    auto *result = static_cast<ChildResult *>(shared);
    result->code = 1000;
    pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        VorlConvertOptions options{};
        options.size = sizeof options;
        options.workbase = workbase;
        result->code = VorlConvertWithOptions(info, line, &options);
        result->report = options.failure;
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildResult copy = *result;
    ::munmap(shared, sizeof(ChildResult));
    return copy;
}

// A temporary file that cannot be written names itself and the reason.
TEST_F(FailureDetail, TemporaryFileThatCannotBeWrittenNamesItselfAndTheReason)
{
    WriteFile(folder_ / "big.bin", std::string(4096, 'b'));
    // The command line's own record of its entries is the first file written.
    ChildResult line = ConvertOnFullDisk(nullptr, "-p3 -oout.dat a.txt", workbase_.c_str(), 10);
    EXPECT_CODE(VORL_ERR_TEMP_FILE, line.code);
    EXPECT_EQ(VORL_CAUSE_UNWRITABLE, line.report.cause);
    EXPECT_EQ(EFBIG, line.report.oserror);
    EXPECT_EQ("vorlproj.tmp", fs::path(line.report.file).filename().string()) << line.report.file;
    EXPECT_EQ(Work(), fs::path(line.report.file).parent_path().parent_path()) << line.report.file;

    // A block's body.
    Block block(1);
    block.UseFile(0, (folder_ / "big.bin").string());
    block->indexout = 3;
    block.SetData(folder_ / "out.dat");
    ChildResult body = ConvertOnFullDisk(&block.Info(), nullptr, workbase_.c_str(), 1000);
    EXPECT_CODE(VORL_ERR_TEMP_FILE, body.code);
    EXPECT_EQ(VORL_CAUSE_UNWRITABLE, body.report.cause);
    EXPECT_EQ(EFBIG, body.report.oserror);
    EXPECT_EQ("vorlbody.tmp", fs::path(body.report.file).filename().string()) << body.report.file;
    EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    EXPECT_TRUE(fs::is_empty(Work()));
}

// A file that is there but whose name does not fit the entry's field is
// refused by name, whatever -s says: skipping is for a file that is not
// there. A pipe, a device or a folder is no input file.
TEST_F(FailureDetail, InputThatCannotBeAnEntrysFile)
{
    fs::path deep = folder_.Path();
    while (deep.string().size() < 300) {
        deep /= std::string(40, 'd');
    }
    fs::create_directories(deep);
    WriteFile(deep / "long.bin", "LONG");
    const std::string longName = (deep / "long.bin").string();
    ASSERT_GT(longName.size(), 259u);
    for (const char *skip : {"", "-s "}) {
        SCOPED_TRACE(skip);
        std::string line = std::string("-p3 ") + skip + "-oout.dat a.txt " + longName;
        EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert(line));
        EXPECT_EQ(1, Report().row);
        EXPECT_EQ(VORL_CAUSE_NAME_TOO_LONG, Report().cause);
        EXPECT_EQ(ENAMETOOLONG, Report().oserror);
        EXPECT_EQ(longName.substr(0, 259), Report().file);
        EXPECT_EQ(longName.substr(0, 259), Report().input);
        EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, VorlConvertCommandLine(line.c_str()));
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }

    // A project's entry resolved against its folder: the project is read
    // as before (the reader's code), the report names the entry.
    {
        std::string relative;
        while (relative.size() < 240) {
            relative += std::string(40, 'p') + "/";
        }
        fs::create_directories(folder_ / relative);
        relative += "long.bin";
        WriteFile(folder_ / relative, "LONG");
        const std::string resolved = (folder_ / relative).string();
        ASSERT_LT(relative.size(), 259u);
        ASSERT_GT(resolved.size(), 259u);
        Block block(1);
        block.UseFile(0, relative);
        const std::string project = (folder_ / "long.vorlprj").string();
        block.SetText(block->prjfile, sizeof block->prjfile, project);
        ASSERT_CODE(VORL_OK, VorlPutXMLPrjFile(&block.Info()));
        const int described = VorlConvertPrjFile(project.c_str(), "out.dat", nullptr, workbase_.c_str());
        EXPECT_NE(VORL_OK, described);
        VorlInformation info{};
        std::strcpy(info.datafile, "out.dat");
        options_.project = project.c_str();
        EXPECT_CODE(described, VorlConvertWithOptions(&info, nullptr, &options_));
        options_.project = nullptr;
        VorlReleaseInformation(&info);
        EXPECT_EQ(VORL_CAUSE_NAME_TOO_LONG, Report().cause);
        EXPECT_EQ(ENAMETOOLONG, Report().oserror);
        EXPECT_EQ(resolved.substr(0, 259), Report().file);
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }

    fs::remove(folder_ / "out.dat");
    ASSERT_EQ(0, ::mkfifo((folder_ / "pipe").c_str(), 0644));
    fs::create_directory(folder_ / "sub");
    struct Case {
        std::string name;
        int cause;
    };
    const Case cases[] = {
        {(folder_ / "pipe").string(), VORL_CAUSE_NOT_A_FILE},
        {"/dev/null", VORL_CAUSE_NOT_A_FILE},
        {(folder_ / "sub").string(), VORL_CAUSE_FOLDER},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const char *skip : {"", "-s "}) {
            EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert(std::string("-p3 ") + skip + "-oout.dat a.txt " + c.name));
            EXPECT_EQ(1, Report().row);
            EXPECT_EQ(c.cause, Report().cause);
            EXPECT_EQ(c.name, Report().file);
        }
        Block block(2);
        block.UseFile(0, (folder_ / "a.txt").string());
        block.UseFile(1, c.name);
        block->skipnofile = 1;
        block->indexout = 3;
        block.SetData(folder_ / "out.dat");
        for (int jobs : {1, 2}) {
            block.Row(1).convertnum = jobs == 2 ? 1 : 0;
            block.SetConverter(1, "cp \"$I\" \"$O\"");
            options_.jobs = jobs;
            EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, Convert(block));
            EXPECT_EQ(1, Report().row);
            EXPECT_EQ(c.cause, Report().cause);
            EXPECT_EQ(c.name, Report().file);
        }
        options_.jobs = 0;
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }
}

}  // namespace
}  // namespace vorl::test
