// vorlcnv stopped mid-run by Ctrl+C (SIGINT to the whole process group)
// or by SIGTERM to vorlcnv alone: it ends as the signal would have ended
// it, with the converters it started, and only after putting everything
// back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <thread>

#include "editor/project_files.h"
#include "test_support.h"

namespace vorl::test {
namespace {

using namespace std::chrono_literals;

std::set<std::string> Listing(const fs::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct Case {
    const char *name;
    int signal;
    bool wholeGroup;
    const char *jobs;  // an extra argument, or empty
    size_t running;    // converters at once
    // Whether no converter may begin after the signal. SIGTERM reaches
    // vorlcnv alone: a converter slot freed in the moment before the run
    // sees it may already have taken a later row.
    bool noneAfter;
};

void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

class VorlcnvSignal : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        fs::create_directory(Project());
        fs::create_directory(Temp());
        WriteProject("echo \"$I\" >> " + Started().string() + R"(; sleep 0.6; cat "$I" > "$O")");
        WriteFile(Project() / "out.dat", "the previous pack");
    }

    void WriteProject(const std::string &convert)
    {
        std::string rows;
        for (int row = 0; row < 8; ++row) {
            std::string name = "in" + std::to_string(row) + ".bin";
            WriteFile(Project() / name, std::string(100 + row, static_cast<char>('a' + row)));
            rows += "\t<index num='" + std::to_string(row) + "' use='true'><filename>" + name +
                    "</filename><convertnum>1</convertnum></index>\n";
        }
        WriteFile(Project() / "game.vorlprj",
                  "<?xml version='1.0' encoding='utf-8'?>\n<VorlProject version='400'>\n<header>\n"
                  "\t<headerid>Vorl</headerid><indexnum>8</indexnum><indexout>infile</indexout>\n"
                  "\t<indexmode>false</indexmode><indexbyte>4</indexbyte><indexinterval>1</indexinterval>\n"
                  "\t<dataalign>1</dataalign><pathmode>relative</pathmode><skipnofile>false</skipnofile>\n"
                  "\t<convert num='1'>" +
                      vorlmake::test::XmlEscaped(convert) + "</convert>\n</header>\n" + rows + "</VorlProject>\n");
    }

    // Started in a process group of its own, as a shell starts a job.
    pid_t Start(const std::vector<std::string> &arguments)
    {
        pid_t child = fork();
        if (child == 0) {
            setpgid(0, 0);
            int err = open((capture_ / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int none = open("/dev/null", O_RDWR);
            dup2(err, 2);
            dup2(none, 1);
            dup2(none, 0);
            setenv("VORLTEMP", Temp().c_str(), 1);
            if (chdir(folder_.Path().c_str()) != 0) {
                _exit(120);
            }
            std::vector<char *> argv{const_cast<char *>(VORLCNV_PROGRAM)};
            for (const std::string &argument : arguments) {
                argv.push_back(const_cast<char *>(argument.c_str()));
            }
            argv.push_back(nullptr);
            execv(VORLCNV_PROGRAM, argv.data());
            _exit(121);
        }
        setpgid(child, child);  // either side may win the race
        return child;
    }

    // Packs the project with the case's jobs and sends the case's signal
    // while the first converters are half-way through; `begun` tells how
    // many had begun by then. The signals are caught before any converter
    // begins.
    pid_t StartAndSignal(const Case &c, size_t &begun)
    {
        std::vector<std::string> arguments{"--project", "project/game.vorlprj", "--data", "out.dat"};
        if (*c.jobs != '\0') {
            arguments.push_back(c.jobs);
        }
        pid_t child = Start(arguments);
        auto deadline = std::chrono::steady_clock::now() + 5s;
        while (StartedCount() < c.running && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(150ms);
        begun = StartedCount();
        EXPECT_EQ(0, kill(c.wholeGroup ? -child : child, c.signal)) << std::strerror(errno);
        return child;
    }

    // The exit status, or -1 when the program had to be killed.
    static int WaitFor(pid_t child, std::chrono::seconds limit)
    {
        auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(-child, SIGKILL);
                waitpid(child, &status, 0);
                return -1;
            }
            std::this_thread::sleep_for(20ms);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    // Converters that would run for a minute, each noting the shell's
    // number and that of the sleep it starts ("$$" is the template's "$").
    void WriteLongConverters(const fs::path &pids)
    {
        WriteProject("echo \"$$$$\" >> " + pids.string() + "; echo \"$I\" >> " + Started().string() +
                     "; sleep 60 & echo $$! >> " + pids.string() + R"(; wait; cat "$I" > "$O")");
    }

    // Every process noted in `pids` is gone, or a zombie that nobody in
    // this container reaps; two for each of `running` converters.
    static void ExpectAllEnded(const fs::path &pids, size_t running)
    {
        std::string list = ReadFile(pids);
        size_t checked = 0;
        for (size_t at = 0; at < list.size();) {
            size_t end = list.find('\n', at);
            const std::string pid = list.substr(at, end - at);
            at = end + 1;
            ASSERT_FALSE(pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) << list;
            const std::string stat = fs::exists("/proc/" + pid + "/stat") ? ReadFile("/proc/" + pid + "/stat") : "";
            const size_t state = stat.rfind(") ");
            EXPECT_TRUE(stat.empty() || (state != std::string::npos && stat[state + 2] == 'Z')) << pid << ": " << stat;
            ++checked;
        }
        EXPECT_EQ(2 * running, checked) << list;
    }

    // The converters that have begun, one line each.
    size_t StartedCount() const
    {
        std::string log = ReadFile(Started());
        return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
    }
    fs::path Started() const { return capture_ / "started"; }
    fs::path Project() const { return folder_ / "project"; }
    fs::path Temp() const { return folder_ / "temp"; }
    TempFolder folder_;
    TempFolder capture_;
};

TEST_P(VorlcnvSignal, StopsCleanlyAndEndsAsTheSignalWould)
{
    const Case &c = GetParam();
    const std::set<std::string> before = Listing(Project());
    size_t begun = 0;
    pid_t child = StartAndSignal(c, begun);

    EXPECT_EQ(128 + c.signal, WaitFor(child, std::chrono::seconds(10)));
    std::string err = ReadFile(capture_ / "stderr");
    EXPECT_NE(std::string::npos, err.find("vorlcnv: stopped by ")) << err;
    EXPECT_EQ("the previous pack", ReadFile(Project() / "out.dat"));
    EXPECT_EQ(std::set<std::string>{}, Listing(Temp()));
    EXPECT_EQ(before, Listing(Project()));
    EXPECT_EQ((std::set<std::string>{"project", "temp"}), Listing(folder_.Path()));
    EXPECT_EQ(c.running, begun);
    if (c.noneAfter) {
        EXPECT_EQ(begun, StartedCount()) << ReadFile(Started());
    }
}

// A converter that would run for a minute, and what it started, end with
// the run: vorlcnv alone hears SIGTERM, and the library ends the running
// converters' process groups instead of waiting for them.
TEST_P(VorlcnvSignal, LongConvertersEndWithTheRun)
{
    const Case &c = GetParam();
    const fs::path pids = capture_ / "pids";
    WriteLongConverters(pids);
    size_t begun = 0;
    pid_t child = StartAndSignal(c, begun);
    // Far less than the converters' minute; a run that waited for them is
    // killed here and fails.
    EXPECT_EQ(128 + c.signal, WaitFor(child, std::chrono::seconds(15)));
    EXPECT_EQ("the previous pack", ReadFile(Project() / "out.dat"));
    EXPECT_EQ(std::set<std::string>{}, Listing(Temp()));
    std::this_thread::sleep_for(200ms);
    ExpectAllEnded(pids, c.running);
}

// Killed outright, vorlcnv can end nothing itself: the converters still
// end within a second, and the previous pack is as it was, with nothing at
// its name or beside it. The next run takes away the working folder left.
class VorlcnvKilled : public VorlcnvSignal {};

TEST_P(VorlcnvKilled, ConvertersEndWithinASecondAndTheNextRunCleansUp)
{
    const Case &c = GetParam();
    const fs::path pids = capture_ / "pids";
    WriteLongConverters(pids);
    const std::set<std::string> before = Listing(Project());
    size_t begun = 0;
    pid_t child = StartAndSignal(c, begun);
    EXPECT_EQ(1000 + SIGKILL, WaitFor(child, std::chrono::seconds(15)));
    std::this_thread::sleep_for(1s);
    ExpectAllEnded(pids, c.running);
    EXPECT_EQ("the previous pack", ReadFile(Project() / "out.dat"));
    EXPECT_EQ(before, Listing(Project()));

    WriteProject(R"(cat "$I" > "$O")");
    pid_t next = Start({"--project", "project/game.vorlprj", "--data", "out.dat"});
    EXPECT_EQ(0, WaitFor(next, std::chrono::seconds(15))) << ReadFile(capture_ / "stderr");
    EXPECT_EQ(std::set<std::string>{}, Listing(Temp()));
}

INSTANTIATE_TEST_SUITE_P(Kill, VorlcnvKilled,
                         ::testing::Values(Case{"Kill", SIGKILL, false, "", 1, false},
                                           Case{"KillTwoJobs", SIGKILL, false, "-j2", 2, false}),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Signals, VorlcnvSignal,
                         ::testing::Values(Case{"CtrlC", SIGINT, true, "", 1, true},
                                           Case{"CtrlCTwoJobs", SIGINT, true, "-j2", 2, true},
                                           Case{"Term", SIGTERM, false, "", 1, true},
                                           Case{"TermTwoJobs", SIGTERM, false, "-j2", 2, false}),
                         [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vorl::test
