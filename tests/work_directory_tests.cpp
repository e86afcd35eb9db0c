// The working directory: where it is made, how its name moves on, and what
// releasing the block removes (and what it never touches).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "export_guard.h"
#include "test_support.h"
#include "work_directory.h"

namespace vorl {
namespace {

using test::TempFolder;
namespace fs = test::fs;

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char *name, const char *value) : name_(name)
    {
        const char *old = std::getenv(name);
        if (old != nullptr) {
            old_ = old;
            hadValue_ = true;
        }
        if (value != nullptr) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        if (hadValue_) {
            setenv(name_, old_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char *name_;
    std::string old_;
    bool hadValue_ = false;
};

// Runs `body` with the current directory moved to `folder`.
template <typename Body>
void InFolder(const fs::path &folder, Body body)
{
    fs::path old = fs::current_path();
    fs::current_path(folder);
    body();
    fs::current_path(old);
}

TEST(WorkDirectory, MadeUnderTheGivenBaseWithOneSeparator)
{
    TempFolder folder;
    for (std::string base : {folder.Path().string(), folder.Path().string() + "/"}) {
        VorlInformation info{};
        ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, base.c_str()));
        std::string workdir = info.workdir;
        ASSERT_EQ(folder.Path().string() + "/", workdir.substr(0, folder.Path().string().size() + 1));
        std::string name = workdir.substr(folder.Path().string().size() + 1);
        EXPECT_EQ(9u, name.size()) << workdir;
        EXPECT_EQ("vorl", name.substr(0, 4));
        EXPECT_EQ('/', name.back());
        EXPECT_TRUE(fs::is_directory(workdir));
        EXPECT_EQ(fs::perms::owner_all, fs::status(workdir).permissions());
        ReleaseBlock(info);
        EXPECT_FALSE(fs::exists(workdir));
    }
}

TEST(WorkDirectory, EnvironmentChoosesTheBaseInOrder)
{
    TempFolder first, second, third, fourth, current;
    struct Case {
        const char *vorltemp, *tmp, *temp, *tmpdir;
        const fs::path *expected;
    };
    const Case cases[] = {
        {first.Path().c_str(), second.Path().c_str(), third.Path().c_str(), fourth.Path().c_str(), &first.Path()},
        {nullptr, second.Path().c_str(), third.Path().c_str(), fourth.Path().c_str(), &second.Path()},
        {"", nullptr, third.Path().c_str(), fourth.Path().c_str(), &third.Path()},
        // TMPDIR, the variable Linux users set, comes last.
        {nullptr, nullptr, nullptr, fourth.Path().c_str(), &fourth.Path()},
        {nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    for (const auto &c : cases) {
        ScopedEnvironment a("VORLTEMP", c.vorltemp), b("TMP", c.tmp), d("TEMP", c.temp), e("TMPDIR", c.tmpdir);
        InFolder(current.Path(), [&] {
            VorlInformation info{};
            ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, nullptr));
            std::string workdir = info.workdir;
            std::string expectedBase = c.expected ? c.expected->string() + "/" : "./";
            EXPECT_EQ(expectedBase, workdir.substr(0, expectedBase.size()));
            EXPECT_TRUE(fs::is_directory(workdir));
            ReleaseBlock(info);
            EXPECT_FALSE(fs::exists(workdir));
        });
    }
}

// A conversion that ends by an exception still removes its folder, and
// the export answers "no memory" only when memory ran out.
TEST(WorkDirectory, RemovedWhenTheConversionThrows)
{
    TempFolder folder;
    VorlInformation info{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, folder.Path().c_str()));
    const std::string workdir = info.workdir;
    EXPECT_EQ(VORL_ERR_BAD_ACCESS, GuardExport(VORL_ERR_NO_MEMORY, [&]() -> int {
                  ReleaseOnExit release(info);
                  throw std::runtime_error("a failure of its own");
              }));
    EXPECT_FALSE(fs::exists(workdir));
    EXPECT_EQ(VORL_ERR_NO_MEMORY, GuardExport(VORL_ERR_NO_MEMORY, []() -> int { throw std::bad_alloc(); }));
}

// A base ending in ソ (second byte 0x5C) is a folder without a separator
// at its end: the working directory is made inside it.
TEST(WorkDirectory, BaseEndingInByte5CGetsItsSeparator)
{
    TempFolder folder;
    fs::create_directory(folder / "ソ");
    const std::string base = folder.Path().string() + "/\x83\x5C";  // ソ in CP932
    VorlInformation info{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, base.c_str()));
    const std::string workdir = info.workdir;
    EXPECT_EQ(base + "/vorl", workdir.substr(0, base.size() + 5)) << workdir;
    EXPECT_TRUE(IsWorkDirectoryName(workdir));
    EXPECT_EQ(1, std::distance(fs::directory_iterator(folder / "ソ"), fs::directory_iterator()));
    ReleaseBlock(info);
    EXPECT_TRUE(fs::is_empty(folder / "ソ"));
}

TEST(WorkDirectory, TakenNamesMoveOnAndWrapAfterFFFF)
{
    TempFolder folder;
    // Occupy every name but one: the only free one must be found, however
    // the time-derived start falls.
    for (unsigned n = 0; n < 0x10000; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "vorl%04X", n);
        if (n != 0x0000) {
            ASSERT_EQ(0, ::mkdir((folder.Path() / name).c_str(), 0700));
        }
    }
    VorlInformation info{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, folder.Path().c_str()));
    EXPECT_EQ(folder.Path().string() + "/vorl0000/", std::string(info.workdir));
    ReleaseBlock(info);
    // With all 65536 taken the search ends with -18.
    ASSERT_EQ(0, ::mkdir((folder.Path() / "vorl0000").c_str(), 0700));
    VorlInformation full{};
    EXPECT_EQ(VORL_ERR_WORK_DIRECTORY, SetupWorkDirectory(full, folder.Path().c_str()));
}

TEST(WorkDirectory, UnusableBaseFails)
{
    TempFolder folder;
    test::WriteFile(folder / "file", "x");
    for (std::string base : {(folder / "missing").string(), (folder / "file").string(), std::string()}) {
        VorlInformation info{};
        EXPECT_EQ(VORL_ERR_WORK_DIRECTORY, SetupWorkDirectory(info, base.c_str())) << base;
        EXPECT_EQ('\0', info.workdir[0]);
    }
}

TEST(ReleaseInformation, ZeroFilledBlockIsANoOp)
{
    TempFolder folder;
    test::WriteFile(folder / "keep.txt", "mine");
    InFolder(folder.Path(), [] {
        VorlInformation info{};
        EXPECT_EQ(0, VorlReleaseInformation(&info));
        EXPECT_EQ(0, VorlReleaseInformation(nullptr));
    });
    EXPECT_TRUE(fs::exists(folder / "keep.txt"));
}

TEST(ReleaseInformation, KeepsSubfoldersAndNeverFollowsLinks)
{
    TempFolder base, outside;
    test::WriteFile(outside / "precious.txt", "keep me");
    VorlInformation info{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, base.Path().c_str()));
    fs::path work = info.workdir;
    test::WriteFile(work / "left.tmp", "x");
    fs::create_symlink(outside.Path(), work / "link-to-folder");
    fs::create_symlink(outside / "precious.txt", work / "link-to-file");
    fs::create_directory(work / "sub");
    test::WriteFile(work / "sub" / "inner", "y");
    VorlReleaseInformation(&info);
    EXPECT_EQ("keep me", test::ReadFile(outside / "precious.txt"));
    EXPECT_TRUE(fs::exists(work / "sub" / "inner"));
    EXPECT_FALSE(fs::exists(work / "left.tmp"));
    EXPECT_FALSE(fs::is_symlink(work / "link-to-folder"));
    EXPECT_FALSE(fs::is_symlink(work / "link-to-file"));
    EXPECT_EQ(std::string(work.string()), std::string(info.workdir));
}

TEST(ReleaseInformation, NeverEmptiesAFolderItDidNotMake)
{
    TempFolder folder;
    test::WriteFile(folder / "user.txt", "mine");
    VorlInformation info{};
    std::string workdir = folder.Path().string() + "/";
    std::memcpy(info.workdir, workdir.c_str(), workdir.size() + 1);
    VorlReleaseInformation(&info);
    EXPECT_TRUE(fs::exists(folder / "user.txt"));
    EXPECT_TRUE(IsWorkDirectoryName("/tmp/vorl0A1F/"));
    EXPECT_TRUE(IsWorkDirectoryName("vorlFFFF"));
    EXPECT_FALSE(IsWorkDirectoryName("./"));
    EXPECT_FALSE(IsWorkDirectoryName("/tmp/myvorl0A1F/"));
    EXPECT_FALSE(IsWorkDirectoryName("/tmp/vorl0a1f/"));
}

// Whatever way a conversion ends, releasing its block leaves nothing of
// its working directory behind.
TEST(ReleaseInformation, RemovesTheWorkingDirectoryAfterEveryOutcome)
{
    TempFolder folder;
    test::WriteFile(folder / "in.bin", "data");
    struct Case {
        const char *what;
        void (*set)(test::Block &, const fs::path &);
        int expected;
    };
    const Case cases[] = {
        {"success", [](test::Block &, const fs::path &) {}, VORL_OK},
        {"missing input", [](test::Block &b, const fs::path &f) { b.UseFile(0, (f / "absent").string()); },
         VORL_ERR_FILE_NOT_FOUND},
        {"no header name", [](test::Block &b, const fs::path &) { b->indexout = 1; }, VORL_ERR_NO_HEADER_NAME},
        {"silent converter",
         [](test::Block &b, const fs::path &) {
             b.Row(0).convertnum = 1;
             b.SetConverter(1, "echo left > \"$O.extra\"; mkdir -p \"$O.dir\"");
         },
         VORL_ERR_FILE_NOT_FOUND},
        {"converter output",
         [](test::Block &b, const fs::path &) {
             b.Row(0).convertnum = 1;
             b.SetConverter(1, "cp \"$I\" \"$O\"; echo x > \"$O.extra\"");
         },
         VORL_OK},
    };
    for (const auto &c : cases) {
        test::Block block(1);
        block.UseFile(0, (folder / "in.bin").string());
        block.SetData(folder / "out.dat");
        c.set(block, folder.Path());
        ASSERT_EQ(VORL_OK, SetupWorkDirectory(block.Info(), folder.Path().c_str()));
        std::string workdir = block->workdir;
        EXPECT_CODE(c.expected, block.Convert());
        IndexEntry *table = block->entries;
        block->entries = nullptr;  // the table is the test's own
        VorlReleaseInformation(&block.Info());
        block->entries = table;
        bool gone = !fs::exists(workdir);
        bool onlyFolders = gone || fs::exists(fs::path(workdir) / "vorlpack.tmp.dir");
        EXPECT_TRUE(onlyFolders) << c.what;
        if (!gone) {
            fs::remove_all(workdir);
        }
    }
    for (const auto &entry : fs::directory_iterator(folder.Path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "in.bin" || name == "out.dat") << "left behind: " << name;
    }
}

TEST(ReleaseInformation, FreesALibraryTable)
{
    VorlInformation info{};
    info.entries = static_cast<IndexEntry *>(std::calloc(3, sizeof(IndexEntry)));
    EXPECT_EQ(0, VorlReleaseInformation(&info));
    IndexEntry *table = info.entries;  // a packed field: compared by value
    EXPECT_EQ(nullptr, table);
}

}  // namespace
}  // namespace vorl

namespace vorl {
namespace {

// A working directory made in a child that then dies as kill -9 leaves it.
std::string WorkDirectoryOfAKilledRun(const fs::path &base, bool keepAlive, pid_t &child)
{
    int ready[2];
    if (::pipe(ready) != 0) {
        return {};
    }
    child = ::fork();
    if (child == 0) {
        VorlInformation info{};
        if (SetupWorkDirectory(info, base.c_str()) != VORL_OK) {
            ::_exit(1);
        }
        std::string made = info.workdir;
        test::WriteFile(made + "vorlbody.tmp", std::string(4096, 'x'));
        (void)!::write(ready[1], made.data(), made.size());
        ::close(ready[1]);
        if (keepAlive) {
            ::pause();
        }
        ::raise(SIGKILL);
    }
    ::close(ready[1]);
    char text[512] = {};
    ssize_t got = ::read(ready[0], text, sizeof text - 1);
    ::close(ready[0]);
    if (!keepAlive) {
        ::waitpid(child, nullptr, 0);
    }
    return got > 0 ? std::string(text, static_cast<size_t>(got)) : std::string();
}

TEST(WorkDirectory, FoldersOfRunsThatAreGoneAreReclaimedAndLiveOnesKept)
{
    TempFolder base;
    pid_t dead = 0, alive = 0;
    std::string busy = WorkDirectoryOfAKilledRun(base.Path(), true, alive);
    std::string abandoned = WorkDirectoryOfAKilledRun(base.Path(), false, dead);
    ASSERT_FALSE(abandoned.empty());
    ASSERT_FALSE(busy.empty());
    // A folder of the user's with a working directory's name has no lock.
    ASSERT_EQ(0, ::mkdir((base.Path() / "vorl0ABC").c_str(), 0700));
    test::WriteFile(base.Path() / "vorl0ABC" / "mine.txt", "mine");

    VorlInformation info{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(info, base.Path().c_str()));
    // A new run may take the freed name again: what the dead run left is
    // what must be gone.
    EXPECT_FALSE(fs::exists(abandoned + "vorlbody.tmp")) << abandoned;
    EXPECT_TRUE(fs::exists(busy + "vorlbody.tmp")) << busy;
    EXPECT_EQ("mine", test::ReadFile(base.Path() / "vorl0ABC" / "mine.txt"));
    ReleaseBlock(info);

    ::kill(alive, SIGKILL);
    ::waitpid(alive, nullptr, 0);
    VorlInformation later{};
    ASSERT_EQ(VORL_OK, SetupWorkDirectory(later, base.Path().c_str()));
    EXPECT_FALSE(fs::exists(busy + "vorlbody.tmp")) << busy;
    ReleaseBlock(later);
    EXPECT_TRUE(fs::is_directory(base.Path() / "vorl0ABC"));
}

}  // namespace
}  // namespace vorl
