// Failing disks and unwritable targets: a conversion that fails never
// destroys the previous output, leaves nothing behind, and says why.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <iconv.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host_file.h"
#include "stream_copy.h"
#include "test_support.h"

namespace vorl::test {
namespace {

constexpr uid_t kNobody = 65534;
constexpr int kNotRun = 1000;

// A child that was killed, or could not set itself up, gives kNotRun.
int ExitCodeOf(pid_t child)
{
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? -WEXITSTATUS(status) : kNotRun;
}

// Runs a conversion in a child process after `prepare` has set the child
// up; the parent and the rest of the suite never see what it changed.
template <typename Prepare>
int ConvertInChild(Block &block, Prepare prepare)
{
    pid_t child = fork();
    if (child == 0) {
        prepare();
        _exit(-block.Convert());
    }
    return ExitCodeOf(child);
}

// Files may not grow past `limit` bytes: every write past it fails as on a
// full disk.
int ConvertWithFileSizeLimit(Block &block, rlim_t limit)
{
    return ConvertInChild(block, [limit] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit rl{limit, limit};
        setrlimit(RLIMIT_FSIZE, &rl);
    });
}

// The child has given up the superuser's rights, so that file permissions
// bind it.
int ConvertAsUser(Block &block, uid_t user)
{
    return ConvertInChild(block, [user] {
        if (setgid(user) != 0 || setuid(user) != 0) {
            abort();
        }
    });
}

// Every read of a file (any descriptor past the standard three, and every
// kernel-side copy) fails with EIO, as on a bad disk.
void MakeReadsFail()
{
    {
        // The code page converters are program files, not data: they are
        // loaded before the disk turns bad.
        iconv_open("CP932", "UTF-8");
        iconv_open("UTF-8", "CP932");
        constexpr unsigned kArgFd = offsetof(seccomp_data, args[0]);
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_copy_file_range, 5, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_read, 1, 0),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_pread64, 0, 2),
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, kArgFd),
            BPF_JUMP(BPF_JMP | BPF_JGE | BPF_K, 3, 1, 0),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (EIO & SECCOMP_RET_DATA)),
        };
        sock_fprog program{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
        if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
            abort();
        }
    }
}

int ConvertWithFailingReads(Block &block)
{
    return ConvertInChild(block, MakeReadsFail);
}

// Runs `work` in a child whose reads fail; its result, or kNotRun.
template <typename Work>
int RunWithFailingReads(Work work)
{
    pid_t child = fork();
    if (child == 0) {
        MakeReadsFail();
        _exit(-work());
    }
    return ExitCodeOf(child);
}

class Faults : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        fs::create_directory(folder_ / "work");
        WriteFile(folder_ / "a.bin", std::string(3000, 'a'));
        WriteFile(folder_ / "b.bin", std::string(5000, 'b'));
    }
    Block MakeBlock(int indexout)
    {
        Block block(3);
        block.UseFile(0, (folder_ / "a.bin").string());
        block.UseFile(1, (folder_ / "b.bin").string());
        block.UseFile(2, "*0");
        block->indexout = indexout;
        block->dataalign = 16;
        block->usealias = 2;
        block.SetText(block->label, sizeof block->label, "Index");
        block.SetData(folder_ / "out.dat");
        block.SetHeader(folder_ / "out.h");
        block.SetText(block->workdir, sizeof block->workdir, (folder_ / "work").string() + "/");
        return block;
    }
    // Only the outputs and the inputs: no staged or half-placed file.
    void ExpectNothingLeftBehind()
    {
        EXPECT_TRUE(fs::is_empty(folder_ / "work"));
        for (const auto &entry : fs::directory_iterator(folder_.Path())) {
            std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "work" || name == "a.bin" || name == "b.bin" || name == "out.dat" || name == "out.h")
                << "left behind: " << name;
        }
    }
    TempFolder folder_;
};

TEST_P(Faults, WriteFailingAtAnyByteKeepsThePreviousOutput)
{
    const int mode = GetParam();
    Block fresh = MakeBlock(mode);
    ASSERT_EQ(VORL_OK, fresh.Convert());
    const std::string newData = ReadFile(folder_ / "out.dat");
    const std::string newHeader = fs::exists(folder_ / "out.h") ? ReadFile(folder_ / "out.h") : "";

    const std::string oldData = "previous data file";
    const std::string oldHeader = "previous header file";
    int failures = 0;
    for (rlim_t limit = 0; limit <= newData.size() + 64; limit += limit < 64 ? 1 : 97) {
        WriteFile(folder_ / "out.dat", oldData);
        WriteFile(folder_ / "out.h", oldHeader);
        Block block = MakeBlock(mode);
        int code = ConvertWithFileSizeLimit(block, limit);
        if (code == VORL_OK) {
            EXPECT_EQ(newData, ReadFile(folder_ / "out.dat")) << "limit " << limit;
            if (mode == 1 || mode == 2) {
                EXPECT_EQ(newHeader, ReadFile(folder_ / "out.h")) << "limit " << limit;
            }
        } else {
            ++failures;
            EXPECT_EQ(VORL_ERR_TEMP_FILE, code) << "limit " << limit << ": " << MessageOf(code);
            EXPECT_EQ(oldData, ReadFile(folder_ / "out.dat")) << "limit " << limit;
            EXPECT_EQ(oldHeader, ReadFile(folder_ / "out.h")) << "limit " << limit;
        }
        ExpectNothingLeftBehind();
    }
    EXPECT_GT(failures, 10);
}

INSTANTIATE_TEST_SUITE_P(EveryOutputMode, Faults, ::testing::Values(0, 1, 2, 3));

TEST_F(Faults, HeaderTargetThatCannotBeReplacedKeepsTheDataFile)
{
    WriteFile(folder_ / "out.dat", "previous data file");
    fs::remove(folder_ / "out.h");
    fs::create_directory(folder_ / "out.h");
    WriteFile(folder_ / "out.h" / "inside", "x");
    Block block = MakeBlock(2);
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert());
    EXPECT_EQ("previous data file", ReadFile(folder_ / "out.dat"));
    fs::remove_all(folder_ / "out.h");
    ExpectNothingLeftBehind();
}

TEST_F(Faults, UnwritableWorkingDirectory)
{
    WriteFile(folder_ / "out.dat", "previous data file");
    Block block = MakeBlock(0);
    block.SetText(block->workdir, sizeof block->workdir, (folder_ / "missing-work").string() + "/");
    EXPECT_CODE(VORL_ERR_TEMP_FILE, block.Convert());
    EXPECT_EQ("previous data file", ReadFile(folder_ / "out.dat"));
}

// Permissions do not bind the superuser, so a suite run as root converts
// as an unprivileged user; the working directory is made theirs.
TEST_F(Faults, ReadOnlyOutputFolder)
{
    const bool root = geteuid() == 0;
    if (root) {
        chmod(folder_.Path().c_str(), 0755);
        ASSERT_EQ(0, chown((folder_ / "work").c_str(), kNobody, kNobody));
    }
    fs::create_directory(folder_ / "ro");
    for (int mode : {0, 1, 2, 3}) {
        WriteFile(folder_ / "ro" / "out.dat", "previous");
        WriteFile(folder_ / "ro" / "out.h", "previous header");
        chmod((folder_ / "ro").c_str(), 0555);
        Block block = MakeBlock(mode);
        block.SetData(folder_ / "ro" / "out.dat");
        block.SetHeader(folder_ / "ro" / "out.h");
        int code = root ? ConvertAsUser(block, kNobody) : block.Convert();
        chmod((folder_ / "ro").c_str(), 0755);
        ASSERT_NE(kNotRun, code) << "could not give up the superuser's rights";
        EXPECT_CODE(VORL_ERR_OUTPUT_FILE, code) << "mode " << mode;
        EXPECT_EQ("previous", ReadFile(folder_ / "ro" / "out.dat"));
        EXPECT_EQ("previous header", ReadFile(folder_ / "ro" / "out.h"));
        EXPECT_TRUE(fs::is_empty(folder_ / "work"));
        EXPECT_EQ(2, std::distance(fs::directory_iterator(folder_ / "ro"), fs::directory_iterator()));
    }
}

// Every read of a file fails with EIO, as on a bad disk: the conversion
// reports the row and changes nothing, in every output mode.
TEST_P(Faults, ReadThatFails)
{
#if !defined(__x86_64__)
    GTEST_SKIP() << "the read filter is written for x86-64 system calls";
#endif
    const int mode = GetParam();
    WriteFile(folder_ / "out.dat", "previous data file");
    WriteFile(folder_ / "out.h", "previous header file");
    Block block = MakeBlock(mode);
    int code = ConvertWithFailingReads(block);
    ASSERT_NE(kNotRun, code) << "no seccomp filter on this machine";
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, code);
    EXPECT_EQ("previous data file", ReadFile(folder_ / "out.dat"));
    EXPECT_EQ("previous header file", ReadFile(folder_ / "out.h"));
    ExpectNothingLeftBehind();
}

// A project or list file whose read fails is not a shorter one: the
// readers say the file cannot be read and leave the block as it was.
TEST(FailingReads, ProjectAndListFilesAreNotCutShort)
{
#if !defined(__x86_64__)
    GTEST_SKIP() << "the read filter is written for x86-64 system calls";
#endif
    TempFolder folder;
    WriteFile(folder / "old.prj", "\"VORL ProjectFile Ver 4.00\"\r\n4\r\n0\r\n0\r\n\"Idx\"\r\n");
    WriteFile(folder / "new.vorlprj",
              "<VorlProject version='400'><header><indexnum>1</indexnum></header>"
              "<index num='0' use='true'><filename>a.bin</filename></index></VorlProject>");
    for (const char *name : {"old.prj", "new.vorlprj"}) {
        const std::string path = (folder / name).string();
        int code = RunWithFailingReads([&] {
            VorlInformation info{};
            std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
            info.dataalign = 77;  // a setting the block held before
            int rc = VorlGetProjectFile(&info);
            bool untouched = info.dataalign == 77 && info.entries == nullptr && info.indexnum == 0;
            return rc == VORL_ERR_PRJ_NOT_FOUND && untouched ? VORL_OK : (rc == VORL_OK ? -100 : rc);
        });
        ASSERT_NE(kNotRun, code) << "no seccomp filter on this machine";
        EXPECT_CODE(VORL_OK, code) << name;
    }
    WriteFile(folder / "a.bin", "AAAA");
    WriteFile(folder / "out.dat", "previous data file");
    WriteFile(folder / "in.lst", (folder / "a.bin").string() + "\r\n");
    const std::string line = "-p3 -f" + (folder / "in.lst").string() + " -o" + (folder / "out.dat").string();
    int code = RunWithFailingReads([&] { return VorlConvertCommandLine(line.c_str()); });
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, code);
    EXPECT_EQ("previous data file", ReadFile(folder / "out.dat"));
}

// The working directory on another file system: results are copied beside
// their targets and then renamed, and a copy that fails changes nothing.
TEST_F(Faults, WorkingDirectoryOnAnotherFileSystem)
{
    struct stat shm {
    }, here{};
    if (stat("/dev/shm", &shm) != 0 || stat(folder_.Path().c_str(), &here) != 0 || shm.st_dev == here.st_dev ||
        access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second file system to work on";
    }
    char pattern[] = "/dev/shm/vorltest-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    // Removed however the test ends, a failed assertion too.
    struct RemovedOnExit {
        const char *path;
        ~RemovedOnExit()
        {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } removed{pattern};
    std::string work = std::string(pattern) + "/";
    for (int mode : {0, 2}) {
        Block block = MakeBlock(mode);
        block.SetText(block->workdir, sizeof block->workdir, work);
        EXPECT_CODE(VORL_OK, block.Convert());
        std::string made = ReadFile(folder_ / "out.dat");
        ASSERT_GT(made.size(), 8000u);

        WriteFile(folder_ / "out.dat", "previous data file");
        WriteFile(folder_ / "out.h", "previous header");
        // Staging fits under the limit in the working directory's file
        // system only when the limit is large; copying beside then fails.
        int code = ConvertWithFileSizeLimit(block, 6000);
        EXPECT_NE(VORL_OK, code);
        EXPECT_NE(kNotRun, code) << "the conversion crashed instead of failing";
        EXPECT_EQ("previous data file", ReadFile(folder_ / "out.dat"));
        EXPECT_EQ("previous header", ReadFile(folder_ / "out.h"));
        ExpectNothingLeftBehind();
    }
}

// A value past 32 bits is refused, never wrapped: a sparse input of 4 GiB
// at alignment 1 puts the end entry at 2^32.
TEST_F(Faults, IndexValuePastThirtyTwoBitsIsRefused)
{
    {
        int fd = open((folder_ / "huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ftruncate(fd, off_t{1} << 32));
        close(fd);
    }
    WriteFile(folder_ / "out.dat", "previous data file");
    Block block(1);
    block.UseFile(0, (folder_ / "huge.bin").string());
    block.SetData(folder_ / "out.dat");
    block.SetText(block->workdir, sizeof block->workdir, (folder_ / "work").string() + "/");
    EXPECT_CODE(VORL_ERR_INDEX_RANGE, block.Convert());
    EXPECT_EQ("previous data file", ReadFile(folder_ / "out.dat"));
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
    fs::remove(folder_ / "huge.bin");
}

// A converter that crashes or writes nothing fails its row in every mode;
// the previous outputs stay and nothing is left behind.
TEST_P(Faults, ConverterThatCrashesOrWritesNothing)
{
    const int mode = GetParam();
    // A converter that fails is the command's error; one that succeeds
    // without writing its output leaves a missing file.
    const std::pair<const char *, int> converters[] = {
        {"kill -SEGV $$", VORL_ERR_EXTERNAL_COMMAND},
        {"true", VORL_ERR_FILE_NOT_FOUND},
        {"exit 3", VORL_ERR_EXTERNAL_COMMAND},
        {": > \"$O\"; kill -KILL $$", VORL_ERR_EXTERNAL_COMMAND},
        {"head -c 3 \"$I\" > \"$O\"; exit 1", VORL_ERR_EXTERNAL_COMMAND},
        {"nosuchencoder \"$I\" \"$O\"", VORL_ERR_EXTERNAL_COMMAND},
    };
    for (const auto &[converter, expected] : converters) {
        WriteFile(folder_ / "out.dat", "previous data file");
        WriteFile(folder_ / "out.h", "previous header file");
        Block block = MakeBlock(mode);
        block.Row(1).convertnum = 2;
        block.SetConverter(2, converter);
        EXPECT_CODE(expected, block.Convert()) << converter;
        EXPECT_EQ("previous data file", ReadFile(folder_ / "out.dat"));
        EXPECT_EQ("previous header file", ReadFile(folder_ / "out.h"));
        ExpectNothingLeftBehind();
    }
}

// A file that shrinks after it was measured is never padded out or read
// short in silence: the copy reports it, and a file that grows is copied
// to exactly the length measured.
TEST(StreamCopy, SourceThatChangesAfterMeasuring)
{
    TempFolder folder;
    WriteFile(folder / "in", std::string(100000, 'i'));
    host::HostFile sink = host::HostFile::CreateTruncating((folder / "out").string());
    host::HostFile source = host::HostFile::OpenForReading((folder / "in").string());
    ASSERT_EQ(100000, source.Length());
    ASSERT_EQ(0, truncate((folder / "in").c_str(), 50000));
    host::StreamCopier copier;
    EXPECT_EQ(host::CopyResult::SourceEndedEarly, copier.Copy(source, sink, 100000));

    WriteFile(folder / "in", std::string(1000, 'g'));
    host::HostFile growing = host::HostFile::OpenForReading((folder / "in").string());
    host::HostFile exact = host::HostFile::CreateTruncating((folder / "exact").string());
    int64_t measured = growing.Length();
    {
        std::ofstream more((folder / "in").string(), std::ios::app);
        more << std::string(5000, 'G');
    }
    EXPECT_EQ(host::CopyResult::Copied, copier.Copy(growing, exact, static_cast<uint64_t>(measured)));
    exact.Close();
    EXPECT_EQ(std::string(1000, 'g'), ReadFile(folder / "exact"));
}

// Two processes converting in the same second get their own working
// directories and both succeed.
TEST(WorkDirectories, TwoProcessesAtOnce)
{
    TempFolder folder;
    fs::create_directory(folder / "work");
    WriteFile(folder / "a.bin", std::string(200000, 'a'));
    WriteFile(folder / "p.vorlprj",
              "<VorlProject version='400'><header><indexnum>1</indexnum><indexbyte>4</indexbyte>"
              "<indexinterval>1</indexinterval><dataalign>1</dataalign><indexout>infile</indexout>"
              "</header><index num='0' use='true'><filename>a.bin</filename></index></VorlProject>");
    std::vector<pid_t> children;
    for (int i = 0; i < 2; ++i) {
        pid_t child = fork();
        if (child == 0) {
            std::string data = "out" + std::to_string(i) + ".dat";
            _exit(
                -VorlConvertPrjFile((folder / "p.vorlprj").c_str(), data.c_str(), nullptr, (folder / "work").c_str()));
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    EXPECT_EQ(ReadFile(folder / "out0.dat"), ReadFile(folder / "out1.dat"));
    EXPECT_EQ(200016u, ReadFile(folder / "out0.dat").size());  // 8 + 2 rows of 4 bytes, then the data
    EXPECT_TRUE(fs::is_empty(folder / "work"));
}

}  // namespace
}  // namespace vorl::test
