// Outputs in a folder that every user may write to (sticky, as /tmp): what
// another user planted there is never written through, another user's file
// is never taken over, and the names the run picks for its temporaries
// cannot be taken from it. Run as root against a second user, who plants
// the links and files; skipped otherwise, since an unprivileged run cannot
// make another user's files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "test_support.h"

namespace vorl::test {
namespace {

constexpr uid_t kOtherUser = 65534;

class SharedFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "not root: no second user to plant files";
        }
        ::chmod(folder_.Path().c_str(), 0755);
        fs::create_directory(Shared());
        ::chmod(Shared().c_str(), 01777);
        fs::create_directory(folder_ / "work");
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "victim.txt", "root's own file");
        WriteFile(folder_ / "pack.dat", "");
        ASSERT_EQ(0, RunVorlcnv({"-p0", "-o" + (folder_ / "pack.dat").string(), "a.bin"}).status);
    }
    fs::path Shared() const { return folder_ / "shared"; }
    ProgramResult RunVorlcnv(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    }
    // A link of the other user's at `name`, leading to `target`.
    void PlantLink(const fs::path &name, const fs::path &target)
    {
        fs::create_symlink(target, name);
        ASSERT_EQ(0, ::lchown(name.c_str(), kOtherUser, kOtherUser));
    }
    TempFolder folder_;
};

struct Output {
    const char *what;
    std::vector<std::string> (*arguments)(const std::string &output, const fs::path &folder);
};

const Output kOutputs[] = {
    {"data",
     [](const std::string &out, const fs::path &) {
         return std::vector<std::string>{"-p0", "-o" + out, "a.bin"};
     }},
    {"header",
     [](const std::string &out, const fs::path &folder) {
         return std::vector<std::string>{"-p2", "-o" + (folder / "body.dat").string(), "-h" + out, "a.bin"};
     }},
    {"dependency file",
     [](const std::string &out, const fs::path &folder) {
         return std::vector<std::string>{"-p0", "-o" + (folder / "body.dat").string(), "--depfile", out, "a.bin"};
     }},
    {"extracted item",
     [](const std::string &out, const fs::path &folder) {
         return std::vector<std::string>{"--extract", "0", (folder / "pack.dat").string(), "--output", out};
     }},
};

TEST_F(SharedFolder, AnotherUsersLinkAtAnOutputIsNotFollowed)
{
    for (const Output &output : kOutputs) {
        SCOPED_TRACE(output.what);
        const fs::path name = Shared() / "out";
        PlantLink(name, folder_ / "victim.txt");
        ProgramResult result = RunVorlcnv(output.arguments(name.string(), folder_.Path()));
        EXPECT_NE(0, result.status);
        EXPECT_NE(std::string::npos, result.err.find("Permission denied")) << result.err;
        EXPECT_EQ("root's own file", ReadFile(folder_ / "victim.txt"));
        EXPECT_TRUE(fs::is_symlink(name));
        fs::remove(name);
    }
}

TEST_F(SharedFolder, OwnLinksAndTheFolderOwnersAreFollowed)
{
    const fs::path name = Shared() / "out";
    fs::create_symlink(folder_ / "mine.dat", name);  // root's: the caller's own
    ProgramResult result = RunVorlcnv({"-p0", "-o" + name.string(), "a.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_TRUE(fs::is_symlink(name));
    EXPECT_EQ(ReadFile(folder_ / "pack.dat"), ReadFile(folder_ / "mine.dat"));
}

TEST_F(SharedFolder, AnotherUsersFileIsNotTakenOver)
{
    for (const Output &output : kOutputs) {
        SCOPED_TRACE(output.what);
        const fs::path name = Shared() / "theirs";
        WriteFile(name, "the other user's file");
        ASSERT_EQ(0, ::chown(name.c_str(), kOtherUser, kOtherUser));
        ProgramResult result = RunVorlcnv(output.arguments(name.string(), folder_.Path()));
        EXPECT_NE(0, result.status);
        EXPECT_EQ("the other user's file", ReadFile(name));
        struct stat st {};
        ASSERT_EQ(0, ::stat(name.c_str(), &st));
        EXPECT_EQ(kOtherUser, st.st_uid);
        fs::remove(name);
    }
}

// The temporary beside an output has a name made of the run's process
// number and a count. Links at every such name, planted while the run is
// held before it starts, must neither be followed nor stop the run.
TEST_F(SharedFolder, LinksAtTheTemporaryNamesAreNeverFollowed)
{
    const fs::path output = Shared() / "out.dat";
    pid_t child = ::fork();
    if (child == 0) {
        ::raise(SIGSTOP);
        std::string data = "-o" + output.string();
        std::string temp = "VORLTEMP=" + (folder_ / "work").string();
        ::putenv(temp.data());
        if (::chdir(folder_.Path().c_str()) != 0) {
            ::_exit(120);
        }
        int none = ::open("/dev/null", O_WRONLY);
        ::dup2(none, 2);
        std::string depfile = (Shared() / "out.d").string();
        ::execl(VORLCNV_PROGRAM, VORLCNV_PROGRAM, "-p0", data.c_str(), "--depfile", depfile.c_str(), "a.bin",
                static_cast<char *>(nullptr));
        ::_exit(121);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, WUNTRACED));
    ASSERT_TRUE(WIFSTOPPED(status));
    for (unsigned count = 0; count < 64; ++count) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".vorl%05X%04X", static_cast<unsigned>(child) & 0xFFFFF, count);
        PlantLink(output.string() + suffix, folder_ / "victim.txt");
        PlantLink((Shared() / "out.d").string() + suffix, folder_ / "victim.txt");
    }
    // The name a dependency file was once staged under.
    PlantLink((Shared() / "out.d").string() + ".tmp" + std::to_string(child), folder_ / "victim.txt");
    ::kill(child, SIGCONT);
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ("root's own file", ReadFile(folder_ / "victim.txt"));
    EXPECT_EQ(ReadFile(folder_ / "pack.dat"), ReadFile(output));
    struct stat st {};
    ASSERT_EQ(0, ::stat(output.c_str(), &st));
    EXPECT_EQ(0u, st.st_uid);
    EXPECT_NE(std::string::npos, ReadFile(Shared() / "out.d").find("a.bin"));
}

}  // namespace
}  // namespace vorl::test
