// Where VorlList puts its list: never over a file it lists, only as a
// complete file renamed into place, and in a shared folder never through
// another user's link or over another user's file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <map>

#include "test_support.h"

namespace vorl::test {
namespace {

constexpr uid_t kOtherUser = 65534;
constexpr int kNotRunStatus = 1000;

const std::string kBanner =
    "VorlListMaker  Ver0.1.0 2010/01/30\n"
    "VORL Maker for Linux " VORL_PACKAGE_VERSION
    ". Makes the list file of numbered input files for vorlcnv -f.\n"
    "Quote the pattern so that the shell leaves it alone: VorlList -oassets.lst 'sprite???.png'\n\n";

const std::string kUnwritable = "リストファイルが書き込めません。";

// Runs VorlList in `folder` after `inChild` has set the child up, and
// calls `beforeStart` with the child's process number before the program
// starts, so that the test may prepare names that depend on it.
ProgramResult RunVorlList(
    const std::vector<std::string> &arguments, const fs::path &folder, const std::function<void()> &inChild,
    const std::function<void(pid_t)> &beforeStart = [](pid_t) {})
{
    TempFolder capture;
    fs::path outPath = capture / "stdout", errPath = capture / "stderr";
    int gate[2];
    if (::pipe(gate) != 0) {
        return {kNotRunStatus, "", "pipe failed"};
    }
    pid_t child = ::fork();
    if (child == 0) {
        ::close(gate[1]);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(err, 2);
        char go = 0;
        if (::chdir(folder.c_str()) != 0 || ::read(gate[0], &go, 1) != 1) {
            _exit(120);
        }
        inChild();
        std::vector<char *> argv{const_cast<char *>(VORLLIST_PROGRAM)};
        for (const auto &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(VORLLIST_PROGRAM, argv.data());
        _exit(121);
    }
    ::close(gate[0]);
    beforeStart(child);
    char go = 1;
    bool started = ::write(gate[1], &go, 1) == 1;
    ::close(gate[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!started) {
        return {kNotRunStatus, "", "gate failed"};
    }
    int code = WIFEXITED(status) ? static_cast<signed char>(WEXITSTATUS(status)) : 1000 + WTERMSIG(status);
    return {code, ReadFile(outPath), ReadFile(errPath)};
}

class VorllistOutput : public ::testing::Test {
protected:
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLLIST_PROGRAM, arguments, folder_.Path());
    }
    TempFolder folder_;
};

// The list named by the output option, by any way of reaching it, is one
// of the files the run lists: it would name itself, and its file would be
// gone. Nothing is written, and both names are told.
TEST_F(VorllistOutput, NeverWrittenOverAListedFile)
{
    struct Case {
        const char *how;
        std::function<void(const fs::path &)> prepare;
        std::string output;  // relative to the folder; "@" stands for its absolute path
        std::string listed;
    };
    const Case cases[] = {
        {"named directly", [](const fs::path &) {}, "g/f001.bin", "g/f001.bin"},
        {"through ./ and ..", [](const fs::path &) {}, "./g/../g/./f001.bin", "g/f001.bin"},
        {"by its absolute name", [](const fs::path &) {}, "@/g/f002.bin", "g/f002.bin"},
        {"through a symbolic link",
         [](const fs::path &folder) { fs::create_symlink("g/f001.bin", folder / "list.lst"); }, "list.lst",
         "g/f001.bin"},
        {"through a link to a link",
         [](const fs::path &folder) {
             fs::create_symlink("g/f002.bin", folder / "first.lst");
             fs::create_symlink("first.lst", folder / "list.lst");
         },
         "list.lst", "g/f002.bin"},
        {"through a link to its folder",
         [](const fs::path &folder) { fs::create_directory_symlink("g", folder / "linked"); }, "linked/f001.bin",
         "g/f001.bin"},
        {"through a hard link",
         [](const fs::path &folder) { fs::create_hard_link(folder / "g" / "f002.bin", folder / "list.lst"); },
         "list.lst", "g/f002.bin"},
        {"a listed link leads to the output",
         [](const fs::path &folder) {
             WriteFile(folder / "list.lst", "previous");
             fs::create_symlink("../list.lst", folder / "g" / "f003.bin");
         },
         "list.lst", "g/f003.bin"},
        {"a listed link leads to where the output would be made",
         [](const fs::path &folder) { fs::create_symlink("../list.lst", folder / "g" / "f003.bin"); }, "list.lst",
         "g/f003.bin"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder fresh;
        fs::create_directory(fresh / "g");
        WriteFile(fresh / "g" / "f001.bin", "one");
        WriteFile(fresh / "g" / "f002.bin", "two");
        c.prepare(fresh.Path());
        std::string output = c.output[0] == '@' ? fresh.Path().string() + c.output.substr(1) : c.output;
        auto before = Snapshot(fresh.Path());
        ProgramResult result = RunProgram(VORLLIST_PROGRAM, {"-o" + output, "g/f???.bin"}, fresh.Path());
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + "リストファイル「" + output + "」は入力ファイル「" + c.listed + "」と同じファイルです。\n",
                  result.out);
        EXPECT_EQ(before, Snapshot(fresh.Path()));
    }
    // A list of its own name beside the same files is written as before,
    // and so is a list that a listed link only lives beside.
    fs::create_directory(folder_ / "g");
    WriteFile(folder_ / "g" / "f001.bin", "one");
    fs::create_symlink("f001.bin", folder_ / "g" / "f002.bin");
    ProgramResult result = Run({"-og/list.lst", "g/f???.bin"});
    EXPECT_EQ(0, result.status) << result.out;
    EXPECT_EQ("\r\ng/f001.bin\r\ng/f002.bin\r\n", ReadFile(folder_ / "g" / "list.lst"));
}

// The staged list is created for the caller alone and takes the mode of
// the list it replaces (or of any new file) only once it is complete. The
// run is traced: at every system call the folder is looked at, so the
// staged file is seen from the moment it exists.
TEST_F(VorllistOutput, StagedListIsPrivateUntilComplete)
{
    struct Case {
        const char *how;
        int previousMode;  // -1: no previous list
        mode_t umask;
        mode_t finalMode;
    };
    const Case cases[] = {
        {"replacing a list readable by its group", 0640, 022, 0640},
        {"replacing a list readable by all", 0644, 077, 0644},
        {"a new list", -1, 022, 0644},
        {"a new list under a strict umask", -1, 077, 0600},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder fresh;
        WriteFile(fresh / "s00.bin", "x");
        WriteFile(fresh / "s40.bin", "x");
        if (c.previousMode >= 0) {
            WriteFile(fresh / "list.lst", "previous");
            ASSERT_EQ(0, ::chmod((fresh / "list.lst").c_str(), static_cast<mode_t>(c.previousMode)));
        }
        pid_t child = ::fork();
        if (child == 0) {
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::umask(c.umask);
            // The leak check of a sanitized build cannot run under a tracer.
            ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
            if (::chdir(fresh.Path().c_str()) != 0 || ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) {
                _exit(122);
            }
            ::execl(VORLLIST_PROGRAM, VORLLIST_PROGRAM, "-olist.lst", "s??.bin", static_cast<char *>(nullptr));
            _exit(121);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFEXITED(status)) {
            GTEST_SKIP() << "a child cannot be traced here";
        }
        ::ptrace(PTRACE_SETOPTIONS, child, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
        std::map<std::string, mode_t> firstModes;
        intptr_t pass = 0;  // a signal for the child, handed on
        while (::ptrace(PTRACE_SYSCALL, child, nullptr, reinterpret_cast<void *>(pass)) == 0 &&
               ::waitpid(child, &status, 0) == child && WIFSTOPPED(status)) {
            pass = WSTOPSIG(status) == (SIGTRAP | 0x80) ? 0 : WSTOPSIG(status);
            for (const auto &entry : fs::directory_iterator(fresh.Path())) {
                std::string name = entry.path().filename().string();
                struct stat st {};
                if (name.rfind("list.lst", 0) == 0 && name != "list.lst" && firstModes.count(name) == 0 &&
                    ::lstat(entry.path().c_str(), &st) == 0) {
                    firstModes[name] = st.st_mode & 07777;
                }
            }
        }
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(0, WEXITSTATUS(status));
        ASSERT_FALSE(firstModes.empty()) << "no staged list was seen";
        for (const auto &[name, mode] : firstModes) {
            EXPECT_EQ(0600u, mode) << name;
        }
        std::string empty;
        for (int line = 1; line < 40; ++line) {
            empty += "\r\n";
        }
        EXPECT_EQ("./s00.bin\r\n" + empty + "./s40.bin\r\n", ReadFile(fresh / "list.lst"));
        struct stat st {};
        ASSERT_EQ(0, ::stat((fresh / "list.lst").c_str(), &st));
        EXPECT_EQ(c.finalMode, st.st_mode & 07777);
        EXPECT_EQ(3, std::distance(fs::directory_iterator(fresh.Path()), fs::directory_iterator()));
    }
}

// A write that fails midway, as on a full disk, leaves the previous list
// exactly as it was and nothing beside it; so does the signal a file-size
// limit sends when the caller has not ignored it.
TEST_F(VorllistOutput, FailedWriteLeavesThePreviousList)
{
    struct Case {
        const char *how;
        void (*disposition)(int);
        int status;
    };
    const Case cases[] = {
        {"the write fails", SIG_IGN, -1},
        {"the run ends by the signal", SIG_DFL, 1000 + SIGXFSZ},
    };
    WriteFile(folder_ / "f000.bin", "x");
    WriteFile(folder_ / "f900.bin", "x");  // a list of 901 lines, past the limit
    WriteFile(folder_ / "list.lst", "previous list");
    ASSERT_EQ(0, ::chmod((folder_ / "list.lst").c_str(), 0640));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        auto before = Snapshot(folder_.Path());
        ProgramResult result = RunVorlList({"-olist.lst", "f???.bin"}, folder_.Path(), [&c] {
            ::signal(SIGXFSZ, c.disposition);
            rlimit limit{1024, 1024};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        EXPECT_EQ(c.status, result.status) << result.out << result.err;
        if (c.status == -1) {
            EXPECT_EQ(kBanner + kUnwritable + "\n", result.out);
        }
        EXPECT_EQ(before, Snapshot(folder_.Path()));
    }
}

// Names beside the list that someone else holds (a run that was killed, or
// a link planted where the staged file would go) are passed by: never
// opened, never removed, and the list is written all the same.
TEST_F(VorllistOutput, StagingPassesByNamesOthersHold)
{
    WriteFile(folder_ / "s00.bin", "x");
    WriteFile(folder_ / "list.lst", "previous");
    WriteFile(folder_ / "victim.txt", "victim");
    fs::path planted;
    ProgramResult result = RunVorlList(
        {"-olist.lst", "s??.bin"}, folder_.Path(), [] {},
        [&](pid_t child) {
            planted = folder_ / ("list.lst.vorltmp" + std::to_string(child));
            fs::create_symlink("victim.txt", planted);
        });
    EXPECT_EQ(0, result.status) << result.out;
    EXPECT_EQ("./s00.bin\r\n", ReadFile(folder_ / "list.lst"));
    EXPECT_EQ("victim", ReadFile(folder_ / "victim.txt"));
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(4, std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()));
}

// In a sticky world-writable folder anyone may plant a name. A link there
// is followed only when it is the caller's or the folder owner's (the
// kernel's rule for such folders), and a file of another user is left to
// them. The run is the superuser's, so that it can hand the planted names
// to another user.
TEST_F(VorllistOutput, SharedFolderLinksAndFilesOfOthers)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a link or a file to another user needs the superuser";
    }
    const std::string kProtected = "」は、所有者が実行したユーザーでもフォルダの所有者でもないので辿りません。";
    auto link = [](const std::string &text, const fs::path &at, uid_t owner) {
        fs::create_symlink(text, at);
        ASSERT_EQ(0, ::lchown(at.c_str(), owner, owner));
    };
    auto file = [](const fs::path &at, uid_t owner) {
        WriteFile(at, "theirs");
        ASSERT_EQ(0, ::chown(at.c_str(), owner, owner));
    };
    struct Case {
        const char *how;
        mode_t folderMode;
        uid_t folderOwner;
        std::function<void(const fs::path &shared)> plant;
        std::string output;   // relative to the test's folder
        std::string refusal;  // the message, "@" for the folder's real name; empty: the list is written
        std::string written;  // where the list lands when it is written
    };
    const Case cases[] = {
        {"another user's link in a sticky world-writable folder", 01777, 0,
         [&](const fs::path &shared) { link("../victim.txt", shared / "list.lst", kOtherUser); }, "shared/list.lst",
         "共有フォルダのシンボリックリンク「@/shared/list.lst" + kProtected, ""},
        {"another user's link to a folder on the way", 01777, 0,
         [&](const fs::path &shared) { link("../elsewhere", shared / "folder", kOtherUser); }, "shared/folder/list.lst",
         "共有フォルダのシンボリックリンク「@/shared/folder" + kProtected, ""},
        {"another user's link behind one of ours", 01777, 0,
         [&](const fs::path &shared) {
             link("planted.lst", shared / "list.lst", 0);
             link("../victim.txt", shared / "planted.lst", kOtherUser);
         },
         "shared/list.lst", "共有フォルダのシンボリックリンク「@/shared/planted.lst" + kProtected, ""},
        {"our own link there", 01777, 0, [&](const fs::path &shared) { link("../victim.txt", shared / "list.lst", 0); },
         "shared/list.lst", "", "victim.txt"},
        {"a link of the folder's owner", 01777, kOtherUser,
         [&](const fs::path &shared) { link("../victim.txt", shared / "list.lst", kOtherUser); }, "shared/list.lst", "",
         "victim.txt"},
        {"another user's link in a world-writable folder without the sticky bit", 0777, 0,
         [&](const fs::path &shared) { link("../victim.txt", shared / "list.lst", kOtherUser); }, "shared/list.lst", "",
         "victim.txt"},
        {"another user's link in a sticky folder only its owner may write", 01755, 0,
         [&](const fs::path &shared) { link("../victim.txt", shared / "list.lst", kOtherUser); }, "shared/list.lst", "",
         "victim.txt"},
        {"another user's file in a sticky world-writable folder", 01777, 0,
         [&](const fs::path &shared) { file(shared / "list.lst", kOtherUser); }, "shared/list.lst",
         "共有フォルダにある他のユーザーのファイル「@/shared/list.lst」は置き換えません。", ""},
        {"another user's file reached through our own link", 01777, 0,
         [&](const fs::path &shared) {
             link("their.lst", shared / "list.lst", 0);
             file(shared / "their.lst", kOtherUser);
         },
         "shared/list.lst", "共有フォルダにある他のユーザーのファイル「@/shared/their.lst」は置き換えません。", ""},
        {"our own file there", 01777, 0, [&](const fs::path &shared) { file(shared / "list.lst", 0); },
         "shared/list.lst", "", "shared/list.lst"},
        {"another user's file in a world-writable folder without the sticky bit", 0777, 0,
         [&](const fs::path &shared) { file(shared / "list.lst", kOtherUser); }, "shared/list.lst", "",
         "shared/list.lst"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder fresh;
        WriteFile(fresh / "s00.bin", "x");
        WriteFile(fresh / "victim.txt", "victim");
        fs::create_directory(fresh / "elsewhere");
        fs::path shared = fresh / "shared";
        fs::create_directory(shared);
        c.plant(shared);
        ASSERT_EQ(0, ::chown(shared.c_str(), c.folderOwner, c.folderOwner));
        ASSERT_EQ(0, ::chmod(shared.c_str(), c.folderMode));
        auto before = Snapshot(fresh.Path());
        ProgramResult result = RunProgram(VORLLIST_PROGRAM, {"-o" + c.output, "s??.bin"}, fresh.Path());
        if (c.refusal.empty()) {
            EXPECT_EQ(0, result.status) << result.out;
            EXPECT_EQ("./s00.bin\r\n", ReadFile(fresh / c.written));
            continue;
        }
        std::string refusal = c.refusal;
        refusal.replace(refusal.find('@'), 1, fs::canonical(fresh.Path()).string());
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + refusal + "\n", result.out);
        EXPECT_EQ(before, Snapshot(fresh.Path()));
    }
}

}  // namespace
}  // namespace vorl::test
