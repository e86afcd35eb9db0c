// vorlmake started from a build script: "-t -r -e" converts a project in
// the caller's folder without a window to answer, and its exit status
// tells the script what happened. A run that waited for an answer would
// be stopped by `timeout` and fail here with 124.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <thread>

#include "project_files.h"
#include "test_support.h"

namespace vorl::test {
namespace {

constexpr const char *kProject = R"(<?xml version='1.0' encoding='utf-8'?>
<VorlProject version='400'>
	<header>
		<headerid>Vorl</headerid>
		<indexnum>2</indexnum>
		<indexout>infile</indexout>
		<indexmode>false</indexmode>
		<indexbyte>4</indexbyte>
		<indexinterval>1</indexinterval>
		<dataalign>1</dataalign>
		<pathmode>relative</pathmode>
		<skipnofile>false</skipnofile>
		<label>Vorl_Index</label>
		<usealias byte='4'>false</usealias>
		<changeendian>false</changeendian>
	</header>
	<index num='0' use='true'>
		<filename>素材/a.bin</filename>
		<filesize high='0'>0</filesize>
		<alias high='0'>0</alias>
		<convertnum>0</convertnum>
	</index>
	<index num='1' use='true'>
		<filename>b.bin</filename>
		<filesize high='0'>0</filesize>
		<alias high='0'>0</alias>
		<convertnum>0</convertnum>
	</index>
</VorlProject>
)";

class Vorlmake : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder_ / "ゲーム/素材");
        WriteFile(folder_ / "ゲーム/素材/a.bin", "AAAA");
        WriteFile(folder_ / "ゲーム/b.bin", "BB");
        WriteFile(folder_ / "ゲーム/game.vorlprj", kProject);
    }
    // Run in the project's folder, as a build script does.
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> timed = {"30", VORLMAKE_PROGRAM};
        timed.insert(timed.end(), arguments.begin(), arguments.end());
        return RunProgram("/usr/bin/timeout", timed, folder_ / "ゲーム",
                          {{"QT_QPA_PLATFORM", "offscreen"}, {"HOME", folder_.Path().string()}});
    }
    TempFolder folder_;
};

TEST_F(Vorlmake, ConvertsInTheCallersFolder)
{
    ProgramResult result = Run({"-t", "-r", "-e", "-s", "out.dat", "game.vorlprj"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_NE(std::string::npos, ReadFile(folder_ / "ゲーム/out.dat").find("AAAABB"));
    EXPECT_FALSE(fs::exists(folder_ / "ゲーム/vorproj.tmp"));
}

TEST_F(Vorlmake, FailuresEndWithTheirCodeAndTheirMessage)
{
    struct Case {
        const char *what;
        std::function<void()> prepare;
        int status;
        const char *title;
    };
    const Case cases[] = {
        {"missing input", [&] { fs::remove(folder_ / "ゲーム/b.bin"); }, -VORL_ERR_FILE_NOT_FOUND, "変換エラー"},
        {"not a project", [&] { WriteFile(folder_ / "ゲーム/game.vorlprj", "text"); }, -VORL_ERR_NOT_A_PROJECT,
         "ファイルエラー"},
        {"no project", [&] { fs::remove(folder_ / "ゲーム/game.vorlprj"); }, -VORL_ERR_PRJ_NOT_FOUND, "ファイルエラー"},
    };
    for (const Case &c : cases) {
        SetUp();
        c.prepare();
        ProgramResult result = Run({"-t", "-r", "-e", "-sout.dat", "game.vorlprj"});
        EXPECT_EQ(c.status, result.status) << c.what << "\n" << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.title)) << c.what << "\n" << result.err;
    }
    // Without a name for the data file, the file dialog counts as
    // cancelled: the run stops and says so in its status.
    SetUp();
    ProgramResult result = Run({"-t", "-r", "-e", "game.vorlprj"});
    EXPECT_NE(0, result.status);
    EXPECT_NE(124, result.status) << "waited for an answer";
    EXPECT_NE(std::string::npos,
              result.err.find("vorlmake: 出力ファイル: ファイルを選べないので、キャンセルしたよ。\n"))
        << result.err;
}

// What a build's log shows of an unattended run: its own messages, one
// for each thing that went wrong, and nothing of Qt's platform, also on a
// machine without a display.
TEST_F(Vorlmake, UnattendedRunsLogOnlyWhatHappened)
{
    struct Case {
        const char *what;
        std::vector<std::pair<std::string, std::string>> environment;
        std::function<void()> prepare;
        int status;
        std::vector<const char *> present, absent;
    };
    const std::vector<std::pair<std::string, std::string>> offscreen = {{"QT_QPA_PLATFORM", "offscreen"}};
    const std::vector<std::pair<std::string, std::string>> noDisplay = {
        {"QT_QPA_PLATFORM", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}};
    const Case cases[] = {
        {"converted", offscreen, [] {}, 0, {}, {"propagateSizeHints", "This plugin"}},
        {"no display", noDisplay, [] {}, 0, {}, {"platform plugin", "propagateSizeHints"}},
        {"not a project",
         offscreen,
         [&] { WriteFile(folder_ / "ゲーム/game.vorlprj", "text"); },
         -VORL_ERR_NOT_A_PROJECT,
         {"ファイルエラー"},
         {"設定エラー", "propagateSizeHints"}},
        {"no project",
         noDisplay,
         [&] { fs::remove(folder_ / "ゲーム/game.vorlprj"); },
         -VORL_ERR_PRJ_NOT_FOUND,
         {"ファイルエラー"},
         {"設定エラー", "platform plugin"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_ / "ゲーム");
        SetUp();
        c.prepare();
        std::vector<std::pair<std::string, std::string>> environment = c.environment;
        environment.emplace_back("HOME", folder_.Path().string());
        ProgramResult result =
            RunProgram("/usr/bin/timeout", {"30", VORLMAKE_PROGRAM, "-t", "-r", "-e", "-sout.dat", "game.vorlprj"},
                       folder_ / "ゲーム", environment);
        EXPECT_EQ(c.status, result.status) << result.err;
        for (const char *text : c.present) {
            EXPECT_NE(std::string::npos, result.err.find(text)) << result.err;
        }
        for (const char *text : c.absent) {
            EXPECT_EQ(std::string::npos, result.err.find(text)) << result.err;
        }
        if (c.status != 0) {
            // One line: the load's message alone.
            EXPECT_EQ(1, std::count(result.err.begin(), result.err.end(), '\n')) << result.err;
        }
    }
}

// An unattended run packs an 8-byte alias with both of its halves: byte
// for byte what vorlcnv packs from the same project.
TEST_F(Vorlmake, EightByteAliasesAsVorlcnvPacksThem)
{
    vorlmake::test::ProjectFile project;
    project.pathMode = "relative";
    project.aliasTable = true;
    project.aliasBytes = 8;
    project.entries = {vorlmake::test::ProjectEntry(0, true, "素材/a.bin", 0, "", 0, 0x11223344, 5),
                       vorlmake::test::ProjectEntry(1, true, "b.bin", 0, "", 0, -1, -1)};
    WriteFile(folder_ / "ゲーム/wide.vorlprj", project.Text());
    ProgramResult result = Run({"-t", "-r", "-e", "-s", "out.dat", "wide.vorlprj"});
    ASSERT_EQ(0, result.status) << result.err;
    ProgramResult cli = RunProgram(VORLCNV_PROGRAM, {"--project", "wide.vorlprj", "--data", "cli.dat"},
                                   folder_ / "ゲーム", {{"HOME", folder_.Path().string()}});
    ASSERT_EQ(0, cli.status) << cli.err;
    const std::string packed = ReadFile(folder_ / "ゲーム/out.dat");
    EXPECT_EQ(ReadFile(folder_ / "ゲーム/cli.dat"), packed);
    EXPECT_NE(std::string::npos, packed.find(std::string("\x44\x33\x22\x11\x05\x00\x00\x00", 8)));
    EXPECT_NE(std::string::npos, packed.find(std::string(8, '\xff')));
}

// A project named from a folder below its own: its entries are found
// from the project's folder, not from the folder the run starts in.
TEST_F(Vorlmake, ProjectNamedFromAFolderBelowIt)
{
    const fs::path top = folder_ / "pp";
    fs::create_directories(top / "sub/x");
    WriteFile(top / "a.bin", "PARENT-A");
    WriteFile(top / "sub/x/a.bin", "WRONG-AA");
    WriteFile(top / "sub/a.bin", "WRONG-BB");
    vorlmake::test::ProjectFile project;
    project.pathMode = "relative";
    project.entries = {vorlmake::test::ProjectEntry(0, true, "../a.bin")};
    WriteFile(top / "sub/p.vorlprj", project.Text());
    std::vector<std::string> timed = {"30", VORLMAKE_PROGRAM, "-t", "-r", "-e", "-s", "out.dat", "../p.vorlprj"};
    ProgramResult result = RunProgram("/usr/bin/timeout", timed, top / "sub/x",
                                      {{"QT_QPA_PLATFORM", "offscreen"}, {"HOME", folder_.Path().string()}});
    ASSERT_EQ(0, result.status) << result.err;
    const std::string packed = ReadFile(top / "sub/x/out.dat");
    EXPECT_NE(std::string::npos, packed.find("PARENT-A")) << packed;
    EXPECT_EQ(std::string::npos, packed.find("WRONG-")) << packed;
}

// The project's folder with what it holds.
std::map<std::string, std::string> Contents(const fs::path &folder)
{
    std::map<std::string, std::string> found;
    for (const auto &item : fs::recursive_directory_iterator(folder)) {
        found[fs::relative(item.path(), folder).string()] =
            item.is_regular_file() ? ReadFile(item.path()) : std::string("(not a file)");
    }
    return found;
}

// An unattended run ended by a signal ends as vorlcnv does: the converter
// that runs (for seconds) ends with it, the previous data file stays as it
// was, nothing of the run is left, and the status is 128 + the signal.
class VorlmakeSignal : public Vorlmake, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        Vorlmake::SetUp();
        const std::string pids = (capture_ / "pids").string();
        // "$$" in a template is one "$" (the others are "$I" and "$O").
        const std::string converter = "echo $$$$ >> '" + pids + "'; sleep 5 & echo $$! >> '" + pids +
                                      "'; wait $$!; cp \"$I\" \"$O\"; echo done >> '" +
                                      (capture_ / "finished").string() + "'";
        std::string project = kProject;
        const std::string label = "<label>Vorl_Index</label>";
        project.replace(project.find(label), label.size(),
                        label + "\n\t\t<convert num='1'>" + vorlmake::test::XmlEscaped(converter) + "</convert>");
        const std::string slot = "<convertnum>0</convertnum>";
        project.replace(project.find(slot), slot.size(), "<convertnum>1</convertnum>");
        WriteFile(folder_ / "ゲーム/game.vorlprj", project);
        WriteFile(folder_ / "ゲーム/out.dat", "the previous pack");
    }
    pid_t Start(const std::vector<std::string> &arguments)
    {
        const fs::path err = capture_ / "stderr";
        const fs::path work = folder_ / "ゲーム";
        pid_t child = fork();
        if (child == 0) {
            setpgid(0, 0);
            int errors = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int none = open("/dev/null", O_RDWR);
            dup2(errors, 2);
            dup2(none, 1);
            dup2(none, 0);
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            setenv("HOME", folder_.Path().c_str(), 1);
            if (chdir(work.c_str()) != 0) {
                _exit(120);
            }
            std::vector<char *> argv{const_cast<char *>(VORLMAKE_PROGRAM)};
            for (const std::string &argument : arguments) {
                argv.push_back(const_cast<char *>(argument.c_str()));
            }
            argv.push_back(nullptr);
            execv(VORLMAKE_PROGRAM, argv.data());
            _exit(121);
        }
        setpgid(child, child);
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
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }
    std::vector<std::string> Pids() const
    {
        std::vector<std::string> pids;
        const fs::path list = capture_ / "pids";
        const std::string text = fs::exists(list) ? ReadFile(list) : "";
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find('\n', at);
            pids.push_back(text.substr(at, end - at));
            at = end == std::string::npos ? text.size() : end + 1;
        }
        return pids;
    }
    TempFolder capture_;
};

TEST_P(VorlmakeSignal, EndsTheConvertersAndLeavesNothing)
{
    const int number = GetParam();
    const std::map<std::string, std::string> before = Contents(folder_ / "ゲーム");
    pid_t child = Start({"-t", "-r", "-e", "-s", "out.dat", "game.vorlprj"});
    // The converter shell and its sleep have begun.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (Pids().size() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(2u, Pids().size()) << ReadFile(capture_ / "stderr");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    ASSERT_EQ(0, kill(child, number)) << std::strerror(errno);

    // Far less than the converter's five seconds.
    EXPECT_EQ(128 + number, WaitFor(child, std::chrono::seconds(4))) << ReadFile(capture_ / "stderr");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    for (const std::string &pid : Pids()) {
        // Gone, or a zombie that nobody in this container reaps.
        const std::string stat = fs::exists("/proc/" + pid + "/stat") ? ReadFile("/proc/" + pid + "/stat") : "";
        const size_t state = stat.rfind(") ");
        EXPECT_TRUE(stat.empty() || (state != std::string::npos && stat[state + 2] == 'Z')) << pid << ": " << stat;
    }
    EXPECT_FALSE(fs::exists(capture_ / "finished"));
    EXPECT_EQ("the previous pack", ReadFile(folder_ / "ゲーム/out.dat"));
    EXPECT_EQ(before, Contents(folder_ / "ゲーム"));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, VorlmakeSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP), [](const ::testing::TestParamInfo<int> &info) {
        return std::string(info.param == SIGTERM ? "Term" : info.param == SIGINT ? "Interrupt" : "HangUp");
    });

}  // namespace
}  // namespace vorl::test
