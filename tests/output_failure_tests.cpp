// Outputs that cannot be finished and inputs that never end: a write that
// fails midway leaves the previous file as it was and nothing beside it, a
// full device is a failure, and a file or device far larger than any
// list or pack is refused without being held in memory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define VORL_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VORL_TEST_UNDER_ASAN 1
#endif
#endif

namespace vorl::test {
namespace {

constexpr rlim_t kNoLimit = RLIM_INFINITY;
constexpr int kNotRunStatus = 1000;

// A program run to its end, with the most memory it held at once.
struct LimitedRun {
    int status;
    std::string out;
    std::string err;
    long peakKiB;
};

// Runs `program` in `folder` with files limited to `fileSizeLimit` bytes.
// SIGXFSZ is ignored, so that a write past the limit fails with EFBIG as
// on a full disk instead of ending the program. Standard output and error
// are pipes, which the limit does not bind, so that the program's own
// messages are never what fails.
LimitedRun RunLimited(const std::string &program, const std::vector<std::string> &arguments, const fs::path &folder,
                      rlim_t fileSizeLimit = kNoLimit)
{
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        return {kNotRunStatus, "", "pipe failed", 0};
    }
    pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        if (::chdir(folder.c_str()) != 0) {
            _exit(120);
        }
        ::setenv("LANGUAGE", "C", 1);
        ::setenv("VORLTEMP", (folder / "work").c_str(), 1);
        if (fileSizeLimit != kNoLimit) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{fileSizeLimit, fileSizeLimit};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                _exit(122);
            }
        }
        std::vector<char *> argv{const_cast<char *>(program.c_str())};
        for (const auto &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        _exit(121);
    }
    ::close(out[1]);
    ::close(err[1]);
    LimitedRun run{kNotRunStatus, "", "", 0};
    pollfd wanted[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string *texts[2] = {&run.out, &run.err};
    for (int open = 2; open > 0;) {
        if (::poll(wanted, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (wanted[i].fd < 0 || wanted[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            ssize_t got = ::read(wanted[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                texts[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                ::close(wanted[i].fd);
                wanted[i].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd &left : wanted) {
        if (left.fd >= 0) {
            ::close(left.fd);
        }
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) {
        return run;
    }
    run.status = WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : 1000 + WTERMSIG(status);
    run.peakKiB = usage.ru_maxrss;
    return run;
}

// The sizes a write may stop at: every byte of the first 64, then every
// 97th to the end and a little past it.
std::vector<rlim_t> Limits(size_t complete)
{
    std::vector<rlim_t> limits;
    for (rlim_t limit = 0; limit <= complete + 64; limit += limit < 64 ? 1 : 97) {
        limits.push_back(limit);
    }
    return limits;
}

class OutputFailure : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(folder_ / "work"); }
    TempFolder folder_;
};

// The dependency file names every input by its absolute name, so forty
// long names make it far larger than the forty bytes of data: most limits
// stop its write, not the conversion's. The data goes to a device, which
// is written through and leaves nothing to compare.
TEST_F(OutputFailure, DependencyFileThatFailsMidwayLeavesThePreviousOne)
{
    std::vector<std::string> arguments = {"-p3", "-o/dev/null", "--depfile", "out.d"};
    for (int i = 0; i < 40; ++i) {
        std::string name = "entry-with-a-long-name-that-fills-the-dependency-file-" + std::to_string(100 + i) + ".bin";
        WriteFile(folder_ / name, "x");
        arguments.push_back(name);
    }
    LimitedRun fresh = RunLimited(VORLCNV_PROGRAM, arguments, folder_.Path());
    ASSERT_EQ(0, fresh.status) << fresh.err;
    const std::string complete = ReadFile(folder_ / "out.d");
    ASSERT_GT(complete.size(), 4000u);

    int failures = 0;
    for (rlim_t limit : Limits(complete.size())) {
        SCOPED_TRACE("files limited to " + std::to_string(limit) + " bytes");
        WriteFile(folder_ / "out.d", "previous dependency file\n");
        auto before = Snapshot(folder_.Path());
        LimitedRun run = RunLimited(VORLCNV_PROGRAM, arguments, folder_.Path(), limit);
        if (run.status == 0) {
            EXPECT_EQ(complete, ReadFile(folder_ / "out.d"));
            continue;
        }
        // The conversion's own staging fails first (8) at the smallest
        // limits; the dependency file's write (73) at the others.
        EXPECT_TRUE(run.status == -VORL_ERR_TEMP_FILE || run.status == 73) << run.status << ": " << run.err;
        if (run.status == 73) {
            ++failures;
            // The system's reason is named: the limit made the write fail.
            EXPECT_EQ(
                "vorlcnv: out.d: " + MessageOf(VORL_ERR_OUTPUT_FILE) + " (error 13: " + std::strerror(EFBIG) + ")\n",
                run.err);
        }
        EXPECT_EQ("", Differences(before, Snapshot(folder_.Path())));
    }
    EXPECT_GT(failures, 10);
}

// A failed run leaves every file as it was, the data file beside a
// dependency file that could not be written too.
TEST_F(OutputFailure, DependencyFileThatFailsLeavesThePreviousDataFile)
{
    std::vector<std::string> arguments = {"-p3", "-oout.dat", "--depfile", "out.d"};
    for (int i = 0; i < 40; ++i) {
        std::string name = "entry-with-a-long-name-that-fills-the-dependency-file-" + std::to_string(100 + i) + ".bin";
        WriteFile(folder_ / name, "x");
        arguments.push_back(name);
    }
    LimitedRun fresh = RunLimited(VORLCNV_PROGRAM, arguments, folder_.Path());
    ASSERT_EQ(0, fresh.status) << fresh.err;
    const size_t complete = ReadFile(folder_ / "out.d").size();

    int failures = 0;
    for (rlim_t limit : Limits(complete)) {
        SCOPED_TRACE("files limited to " + std::to_string(limit) + " bytes");
        WriteFile(folder_ / "out.d", "previous dependency file\n");
        WriteFile(folder_ / "out.dat", "previous data file");
        auto before = Snapshot(folder_.Path());
        LimitedRun run = RunLimited(VORLCNV_PROGRAM, arguments, folder_.Path(), limit);
        if (run.status != 0) {
            ++failures;
            EXPECT_EQ("", Differences(before, Snapshot(folder_.Path()))) << run.status << ": " << run.err;
        }
    }
    EXPECT_GT(failures, 10);
}

// The item is taken from the pack into a new file beside --output's
// name, which is renamed over the previous one only when complete.
TEST_F(OutputFailure, ExtractedItemThatFailsMidwayLeavesThePreviousOne)
{
    std::string item;
    for (int i = 0; i < 5000; ++i) {
        item.push_back(static_cast<char>('a' + i % 26));
    }
    WriteFile(folder_ / "first.bin", "first");
    WriteFile(folder_ / "item.bin", item);
    LimitedRun made = RunLimited(VORLCNV_PROGRAM, {"-q", "-p0", "first.bin", "item.bin", "-opack.dat"}, folder_.Path());
    ASSERT_EQ(0, made.status) << made.err;
    fs::remove(folder_ / "item.bin");
    const std::vector<std::string> arguments = {"--extract", "1", "pack.dat", "--output", "taken.bin"};

    int failures = 0;
    for (rlim_t limit : Limits(item.size())) {
        SCOPED_TRACE("files limited to " + std::to_string(limit) + " bytes");
        WriteFile(folder_ / "taken.bin", "previous item");
        auto before = Snapshot(folder_.Path());
        LimitedRun run = RunLimited(VORLCNV_PROGRAM, arguments, folder_.Path(), limit);
        if (run.status == 0) {
            EXPECT_EQ(item, ReadFile(folder_ / "taken.bin"));
            continue;
        }
        ++failures;
        // The file could be made but not filled: the program reports a
        // write error and names the file and the system's reason.
        EXPECT_TRUE(run.status == 73 || run.status == 74) << run.status << ": " << run.err;
        EXPECT_EQ("vorlcnv: write error on taken.bin: " + std::string(std::strerror(EFBIG)) + "\n", run.err);
        EXPECT_EQ("", run.out);
        EXPECT_EQ("", Differences(before, Snapshot(folder_.Path())));
    }
    EXPECT_GT(failures, 100);
}

// A list of 901 lines (f000 and f900, and the empty lines between) is
// far past most of the limits.
TEST_F(OutputFailure, ListFileThatFailsMidwayLeavesThePreviousOne)
{
    WriteFile(folder_ / "f000.bin", "x");
    WriteFile(folder_ / "f900.bin", "x");
    const std::vector<std::string> arguments = {"-olist.lst", "f???.bin"};
    LimitedRun fresh = RunLimited(VORLLIST_PROGRAM, arguments, folder_.Path());
    ASSERT_EQ(0, fresh.status) << fresh.out;
    const std::string complete = ReadFile(folder_ / "list.lst");
    ASSERT_GT(complete.size(), 1800u);

    int failures = 0;
    for (rlim_t limit : Limits(complete.size())) {
        SCOPED_TRACE("files limited to " + std::to_string(limit) + " bytes");
        WriteFile(folder_ / "list.lst", "previous list\r\n");
        auto before = Snapshot(folder_.Path());
        LimitedRun run = RunLimited(VORLLIST_PROGRAM, arguments, folder_.Path(), limit);
        if (run.status == 0) {
            EXPECT_EQ(complete, ReadFile(folder_ / "list.lst"));
            continue;
        }
        ++failures;
        EXPECT_EQ(-1, run.status) << run.out;
        const std::string unwritable = "リストファイルが書き込めません。\n";
        EXPECT_EQ(unwritable, run.out.substr(run.out.size() - std::min(run.out.size(), unwritable.size())));
        EXPECT_EQ("", Differences(before, Snapshot(folder_.Path())));
    }
    EXPECT_GT(failures, 10);
}

// The full device takes no byte: every output named so is a failure,
// whatever the program writes into it, and nothing is left in the folder.
TEST_F(OutputFailure, FullDeviceAsTheOutputIsAFailure)
{
    // As root a program that replaced its output instead of writing into
    // it would replace the system's /dev/full: root tries a node of its
    // own for the same device.
    TempFolder devices;
    std::string device = "/dev/full";
    if (::geteuid() == 0 && ::mknod((devices / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        device = (devices / "full").string();
    }
    struct stat full {};
    if (::stat(device.c_str(), &full) != 0 || !S_ISCHR(full.st_mode)) {
        GTEST_SKIP() << "no full device here";
    }
    WriteFile(folder_ / "a.bin", "AAAA");
    WriteFile(folder_ / "f001.bin", "one");
    ASSERT_EQ(0, RunLimited(VORLCNV_PROGRAM, {"-q", "-p0", "a.bin", "-opack.dat"}, folder_.Path()).status);
    struct Case {
        const char *what;
        std::string program;
        std::vector<std::string> arguments;
        std::vector<int> statuses;  // those the program gives for an output it cannot write
    };
    const Case cases[] = {
        {"the data file", VORLCNV_PROGRAM, {"-p0", "a.bin", "-o" + device}, {-VORL_ERR_OUTPUT_FILE}},
        {"the header text", VORLCNV_PROGRAM, {"-p1", "a.bin", "-oout.dat", "-h" + device}, {-VORL_ERR_OUTPUT_FILE}},
        {"the header file", VORLCNV_PROGRAM, {"-p2", "a.bin", "-oout.dat", "-h" + device}, {-VORL_ERR_OUTPUT_FILE}},
        {"the dependency file", VORLCNV_PROGRAM, {"-p0", "a.bin", "-o/dev/null", "--depfile", device}, {73}},
        {"the extracted item", VORLCNV_PROGRAM, {"--extract", "0", "pack.dat", "--output", device}, {73, 74}},
        {"the list file", VORLLIST_PROGRAM, {"-o" + device, "f00?.bin"}, {-1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto before = Snapshot(folder_.Path());
        LimitedRun run = RunLimited(c.program, c.arguments, folder_.Path());
        EXPECT_NE(0, run.status);
        EXPECT_NE(c.statuses.end(), std::find(c.statuses.begin(), c.statuses.end(), run.status))
            << run.status << ": " << run.out << run.err;
        if (c.program == VORLLIST_PROGRAM) {
            EXPECT_NE(std::string::npos, run.out.find("リストファイルが書き込めません。\n")) << run.out;
        } else {
            EXPECT_NE(std::string::npos, run.err.find(device)) << run.err;
            EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
        }
        EXPECT_EQ("", Differences(before, Snapshot(folder_.Path())));
        ASSERT_EQ(0, ::stat(device.c_str(), &full));
        EXPECT_TRUE(S_ISCHR(full.st_mode)) << device << " was replaced";
    }
}

// A list or a pack is read whole, so a source with no end (a device) or
// one far past any list (a sparse file of 5 GiB) is refused after at most
// 16 MiB: the program stays small and says why.
TEST_F(OutputFailure, EndlessOrHugeInputsAreRefusedInBoundedMemory)
{
    // Under the address sanitizer every program starts far larger; there
    // the bound is on what a run takes beyond a run that reads nothing.
#if defined(VORL_TEST_UNDER_ASAN)
    const long kMostKiB = 64 * 1024 + RunLimited(VORLCNV_PROGRAM, {"--version"}, folder_.Path()).peakKiB;
#else
    constexpr long kMostKiB = 64 * 1024;
#endif
    {
        int fd = ::open((folder_ / "big.lst").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(0, ::ftruncate(fd, off_t{5} << 30)) << std::strerror(errno);
        ::close(fd);
    }
    const std::string notAList = ": more than 16 MiB, far more than a list of 9999 entries takes: not read as a list\n";
    const std::string notAFile = ": not a regular file, and more than 16 MiB: save it to a file to look into it\n";
    struct Case {
        std::vector<std::string> arguments;
        std::string err;
    };
    const Case cases[] = {
        {{"-p0", "-f/dev/zero"}, "vorlcnv: /dev/zero" + notAList},
        {{"--list", "/dev/zero"}, "vorlcnv: /dev/zero" + notAFile},
        {{"--extract", "0", "/dev/zero"}, "vorlcnv: /dev/zero" + notAFile},
        {{"-p0", "-fbig.lst"}, "vorlcnv: big.lst" + notAList},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("vorlcnv " + c.arguments[0] + " " + c.arguments[1]);
        auto before = Snapshot(folder_.Path());
        LimitedRun run = RunLimited(VORLCNV_PROGRAM, c.arguments, folder_.Path());
        EXPECT_EQ(65, run.status) << run.err;
        EXPECT_EQ(c.err, run.err);
        EXPECT_EQ("", run.out);
        EXPECT_LT(run.peakKiB, kMostKiB) << "peak " << run.peakKiB << " KiB";
        EXPECT_EQ("", Differences(before, Snapshot(folder_.Path())));
    }
}

}  // namespace
}  // namespace vorl::test
