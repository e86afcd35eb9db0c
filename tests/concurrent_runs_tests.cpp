// Two runs that write the same outputs at the same time take turns at
// putting them in place: the outputs afterwards are one run's complete
// set, data and header of the same run, and neither run fails for the
// other's sake.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

namespace vorl::test {
namespace {

pid_t StartVorlcnv(const fs::path &folder, const std::vector<std::string> &arguments)
{
    pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(folder.c_str()) != 0) {
            ::_exit(120);
        }
        int none = ::open("/dev/null", O_WRONLY);
        ::dup2(none, 2);
        std::vector<char *> argv{const_cast<char *>(VORLCNV_PROGRAM)};
        for (const std::string &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(VORLCNV_PROGRAM, argv.data());
        ::_exit(121);
    }
    return child;
}

int ExitStatus(pid_t child)
{
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
}

TEST(ConcurrentRuns, SameOutputsEndAsOneRunsCompleteSet)
{
    TempFolder folder;
    WriteFile(folder / "a.bin", std::string(4, 'a'));
    WriteFile(folder / "b.bin", std::string(40000, 'b'));
    const std::vector<std::string> first = {"-p2", "-oout.dat", "-hout.idx", "a.bin"};
    const std::vector<std::string> second = {"-p2", "-oout.dat", "-hout.idx", "a.bin", "b.bin"};
    // Each run's set alone, to tell them apart afterwards.
    ASSERT_EQ(0, ExitStatus(StartVorlcnv(folder.Path(), first)));
    const std::pair<std::string, std::string> firstSet{ReadFile(folder / "out.dat"), ReadFile(folder / "out.idx")};
    ASSERT_EQ(0, ExitStatus(StartVorlcnv(folder.Path(), second)));
    const std::pair<std::string, std::string> secondSet{ReadFile(folder / "out.dat"), ReadFile(folder / "out.idx")};
    ASSERT_NE(firstSet, secondSet);

    for (int round = 0; round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        pid_t one = StartVorlcnv(folder.Path(), round % 2 == 0 ? first : second);
        pid_t other = StartVorlcnv(folder.Path(), round % 2 == 0 ? second : first);
        EXPECT_EQ(0, ExitStatus(one));
        EXPECT_EQ(0, ExitStatus(other));
        const std::pair<std::string, std::string> now{ReadFile(folder / "out.dat"), ReadFile(folder / "out.idx")};
        EXPECT_TRUE(now == firstSet || now == secondSet);
    }
    // Nothing of either run is left beside the outputs.
    size_t files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(folder.Path())) {
        ++files;
    }
    EXPECT_EQ(4u, files);
}

}  // namespace
}  // namespace vorl::test
