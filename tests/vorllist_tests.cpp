// VorlList run as a program: its console text, exit statuses and the list
// files it writes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <thread>

#include "test_support.h"

namespace vorl::test {
namespace {

const std::string kBanner =
    "VorlListMaker  Ver0.1.0 2010/01/30\n"
    "VORL Maker for Linux " VORL_PACKAGE_VERSION
    ". Makes the list file of numbered input files for vorlcnv -f.\n"
    "Quote the pattern so that the shell leaves it alone: VorlList -oassets.lst 'sprite???.png'\n\n";

class Vorllist : public ::testing::Test {
protected:
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLLIST_PROGRAM, arguments, folder_.Path());
    }
    void Make(const std::string &name) { WriteFile(folder_ / name, name); }
    std::string List(const std::string &name = "output.lst") { return ReadFile(folder_ / name); }
    TempFolder folder_;
};

TEST_F(Vorllist, UsageWithoutAnInputFile)
{
    for (std::vector<std::string> arguments : {std::vector<std::string>{}, {"-s"}, {"dir/"}}) {
        ProgramResult result = Run(arguments);
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner +
                      ">VorlList [option] <input file name>\n"
                      " [option]\n"
                      "   -o  Output FileListName(Default \"output.lst\")\n"
                      "   -a  Use Alias\n"
                      "   -s  Search Sub Directory\n\n",
                  result.out);
    }
}

TEST_F(Vorllist, PatternWithoutAQuestionMark)
{
    ProgramResult result = Run({"*.bin"});
    EXPECT_EQ(-2, result.status);
    EXPECT_EQ(kBanner, result.out);
}

TEST_F(Vorllist, NumberedLinesWithGaps)
{
    Make("sp007.bin");
    Make("sp000.bin");
    Make("sp001.bin");
    Make("sp003.bin");
    Make("other.bin");
    ProgramResult result = Run({"-o\"list.lst\"", "sp???.bin"});
    EXPECT_EQ(0, result.status) << result.out;
    EXPECT_EQ(kBanner, result.out);
    EXPECT_EQ("./sp000.bin\r\n./sp001.bin\r\n\r\n./sp003.bin\r\n\r\n\r\n\r\n./sp007.bin\r\n", List("list.lst"));
}

TEST_F(Vorllist, AliasMode)
{
    Make("a0.bin");
    Make("a1.bin");
    Make("a3.bin");
    struct Case {
        const char *option;
        std::string list;
    };
    const Case cases[] = {
        {"-a", "./a0.bin,,0\r\n./a1.bin,,1\r\n./a3.bin,,3\r\n"},
        {"-A100", "./a0.bin,,100\r\n./a1.bin,,101\r\n./a3.bin,,103\r\n"},
        {"-a0x10", "./a0.bin,,16\r\n./a1.bin,,17\r\n./a3.bin,,19\r\n"},
        {"-abc", "./a0.bin,,0\r\n./a1.bin,,1\r\n./a3.bin,,3\r\n"},
        {"-a-5", "./a0.bin,,-5\r\n./a1.bin,,-4\r\n./a3.bin,,-2\r\n"},
    };
    for (const auto &c : cases) {
        ProgramResult result = Run({c.option, "a?.bin"});
        EXPECT_EQ(0, result.status) << c.option;
        EXPECT_EQ(c.list, List()) << c.option;
    }
}

TEST_F(Vorllist, DuplicatesWriteNothing)
{
    for (std::vector<std::string> names : {std::vector<std::string>{"n01.bin", "n1x.bin"}, {"nab.bin", "ncd.bin"}}) {
        TempFolder fresh;
        for (const auto &name : names) {
            WriteFile(fresh / name, "x");
        }
        ProgramResult result = RunProgram(VORLLIST_PROGRAM, {"n??.bin"}, fresh.Path());
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + "ファイルが重複しています。\n", result.out);
        EXPECT_FALSE(fs::exists(fresh / "output.lst"));
    }
}

TEST_F(Vorllist, FoldersDotFilesAndSubFolders)
{
    fs::create_directories(folder_ / "data" / "sub" / "deeper");
    fs::create_directories(folder_ / "data" / "f05.bin");  // a folder that matches
    fs::create_directories(folder_ / "data" / ".hidden");
    WriteFile(folder_ / "data" / "f00.bin", "x");
    WriteFile(folder_ / "data" / ".f01.bin", "x");
    WriteFile(folder_ / "data" / "sub" / "f02.bin", "x");
    WriteFile(folder_ / "data" / "sub" / "deeper" / "f03.bin", "x");
    WriteFile(folder_ / "data" / ".hidden" / "f04.bin", "x");
    ProgramResult result = Run({"data/f??.bin"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("data/f00.bin\r\n", List());
    result = Run({"-s", "data/f??.bin"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("data/f00.bin\r\n\r\ndata/sub/f02.bin\r\ndata/sub/deeper/f03.bin\r\n", List());
    // -sx is no option at all; the same number in two folders is a duplicate.
    WriteFile(folder_ / "data" / "sub" / "f00.bin", "x");
    result = Run({"-sx", "data/f??.bin"});
    EXPECT_EQ(0, result.status);
    result = Run({"-S", "data/f??.bin"});
    EXPECT_EQ(kBanner + "ファイルが重複しています。\n", result.out);
}

// A folder that is there but cannot be read would give a list with files
// missing (an empty line where a file belongs): the run fails and says
// which folder and why. A folder that is not there still just has no
// files. The superuser reads every folder, so then the tool runs as
// another user.
TEST_F(Vorllist, UnreadableFoldersFailTheRun)
{
    auto asUser = AsOtherUser(VORLLIST_PROGRAM, {});
    if (!asUser) {
        GTEST_SKIP() << "no setpriv to run the tool as a user whom permissions bind";
    }
    auto run = [&](const std::vector<std::string> &arguments, const fs::path &folder) {
        std::vector<std::string> all = *AsOtherUser(VORLLIST_PROGRAM, arguments);
        std::string program = all.front();
        all.erase(all.begin());
        return RunProgram(program, all, folder);
    };
    // The tool without arguments shows its usage and returns -1.
    ASSERT_EQ(-1, run({}, folder_.Path()).status);
    struct Case {
        const char *how;
        std::string locked;  // the folder whose permissions are taken away, and what is left
        mode_t mode;
        std::vector<std::string> arguments;
        std::string message;  // empty: the list is written
        std::string list;
    };
    const std::string denied = std::strerror(EACCES);
    const Case cases[] = {
        {"a sub-folder nobody may read",
         "data/sub",
         0,
         {"-s", "data/f??.bin"},
         "フォルダ「data/sub/」が読めません: " + denied,
         ""},
        {"a sub-folder that may be read but not searched",
         "data/sub",
         0444,
         {"-s", "data/f??.bin"},
         "フォルダ「data/sub/」が読めません: " + denied,
         ""},
        {"the searched folder", "data", 0, {"data/f??.bin"}, "フォルダ「data/」が読めません: " + denied, ""},
        {"a sub-folder that is not searched", "data/sub", 0, {"data/f??.bin"}, "", "data/f00.bin\r\n"},
        {"a folder that is not there",
         "data/sub",
         0755,
         {"missing/f??.bin"},
         "該当するファイルが１つも見つかりません。",
         ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.how);
        TempFolder fresh;
        // The user the tool runs as may reach the folder and write the list.
        ASSERT_EQ(0, ::chmod(fresh.Path().c_str(), 0777));
        fs::create_directories(fresh / "data" / "sub");
        WriteFile(fresh / "data" / "f00.bin", "x");
        WriteFile(fresh / "data" / "sub" / "f01.bin", "x");
        ASSERT_EQ(0, ::chmod((fresh / c.locked).c_str(), c.mode));
        ProgramResult result = run(c.arguments, fresh.Path());
        if (c.message.empty()) {
            EXPECT_EQ(0, result.status) << result.out;
            EXPECT_EQ(c.list, ReadFile(fresh / "output.lst"));
            continue;
        }
        EXPECT_EQ(-1, result.status);
        EXPECT_EQ(kBanner + c.message + "\n", result.out);
        EXPECT_FALSE(fs::exists(fresh / "output.lst"));
    }
}

TEST_F(Vorllist, RefusalsAndMessages)
{
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    Make("m-1.bin");
    Make("q07.bin");
    Make("big9999.bin");
    Make("huge99999999999999999999.bin");
    const Case cases[] = {
        {{"z??.bin"}, "該当するファイルが１つも見つかりません。"},
        {{"m??.bin"}, "ファイル番号が負の数です: ./m-1.bin"},
        {{"big????.bin"}, "ファイル番号が大きすぎます（9998まで）: ./big9999.bin"},
        // Found by fuzzing: a huge number plus the offset overflowed.
        {{"-a100", "huge?*.bin"}, "ファイル番号が大きすぎます（2147483647まで）: ./huge99999999999999999999.bin"},
        {{"*q??.bin"}, "パターンの最初の「?」より前に「*」は使えません。"},
        {{"q??.bin", "m??.bin"}, "入力ファイルは１つだけ指定してください。"},
        {{"-o" + (folder_ / "no" / "list.lst").string(), "q??.bin"}, "リストファイルが書き込めません。"},
        {{"-o" + std::string(300, 'o'), "q??.bin"},
         "フォルダ名、パターンまたは出力ファイル名が259文字を超えています。"},
    };
    for (const auto &c : cases) {
        ProgramResult result = Run(c.arguments);
        EXPECT_EQ(-1, result.status) << c.message;
        EXPECT_EQ(kBanner + c.message + "\n", result.out);
    }
    // A pattern the shell expanded comes as several names: the hint follows.
    Make("q08.bin");
    ProgramResult result = Run({"-olist.lst", "q07.bin", "q08.bin"});
    EXPECT_EQ(kBanner + "入力ファイルは１つだけ指定してください。\n", result.out);
    EXPECT_EQ(
        "VorlList: several input names were given: when the shell expanded the pattern into files, quote it: "
        "VorlList -oassets.lst 'sprite???.png'\n",
        result.err);
}

TEST_F(Vorllist, LastOutputOptionWinsAndNamesAreCp932)
{
    Make("表07.bin");
    ProgramResult result = Run({"-ofirst.lst", "-Osecond.lst", "表??.bin"});
    EXPECT_EQ(0, result.status) << result.out;
    EXPECT_FALSE(fs::exists(folder_ / "first.lst"));
    EXPECT_EQ(
        "\r\n\r\n\r\n\r\n\r\n\r\n\r\n./\x95\x5C"
        "07.bin\r\n",
        List("second.lst"));
}

// The list feeds the command-line conversion: rows land at their numbers.
TEST_F(Vorllist, ListFeedsTheConversion)
{
    WriteFile(folder_ / "s00.bin", "zero");
    WriteFile(folder_ / "s02.bin", "two");
    ASSERT_EQ(0, Run({"-olist.lst", "s??.bin"}).status);
    ProgramResult result = RunProgram(VORLCNV_PROGRAM, {"-p2", "-flist.lst", "-oall.dat", "-hall.idx"}, folder_.Path(),
                                      {{"VORLTEMP", folder_.Path().string()}});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("zerotwo", ReadFile(folder_ / "all.dat"));
    EXPECT_EQ(Hex("Vorl" + Bytes({4, 0, 0, 0x40, 0, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 7, 0, 0, 0})),
              Hex(ReadFile(folder_ / "all.idx")));
}

// The list file respects what stands at its name: a link is followed, a
// device or a pipe is written into, a replaced file keeps its mode.
TEST_F(Vorllist, ListThroughALinkReplacesItsTarget)
{
    Make("s00.bin");
    fs::create_directory(folder_ / "elsewhere");
    WriteFile(folder_ / "elsewhere" / "list.lst", "previous");
    ASSERT_EQ(0, ::chmod((folder_ / "elsewhere" / "list.lst").c_str(), 0640));
    fs::create_symlink("elsewhere/list.lst", folder_ / "list.lst");
    ProgramResult result = Run({"-olist.lst", "s??.bin"});
    EXPECT_EQ(0, result.status) << result.out;
    EXPECT_TRUE(fs::is_symlink(folder_ / "list.lst"));
    EXPECT_EQ("./s00.bin\r\n", List("elsewhere/list.lst"));
    struct stat st {};
    ASSERT_EQ(0, ::stat((folder_ / "elsewhere" / "list.lst").c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(1, std::distance(fs::directory_iterator(folder_ / "elsewhere"), fs::directory_iterator()));
}

TEST_F(Vorllist, ListIntoAFifo)
{
    Make("s00.bin");
    ASSERT_EQ(0, ::mkfifo((folder_ / "list.lst").c_str(), 0600));
    // Opened before the writer comes, without waiting for it; poll then
    // waits until the writer has come, written and gone.
    int fd = ::open((folder_ / "list.lst").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    std::string read;
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        char buffer[256];
        for (;;) {
            pollfd wanted{fd, POLLIN, 0};
            int ready = ::poll(&wanted, 1, 20);
            if (ready == 0 && stop) {
                return;
            }
            if (ready <= 0) {
                continue;
            }
            ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                read.append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                return;
            }
        }
    });
    ProgramResult result = Run({"-olist.lst", "s??.bin"});
    stop = true;
    reader.join();
    ::close(fd);
    EXPECT_EQ(0, result.status) << result.out;
    EXPECT_EQ("./s00.bin\r\n", read);
    struct stat st {};
    ASSERT_EQ(0, ::lstat((folder_ / "list.lst").c_str(), &st));
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Devices with the numbers of the host's null (1,3) and full (1,7)
// devices, made in the test's folder: the real ones are never touched.
TEST_F(Vorllist, ListIntoDevices)
{
    for (unsigned minor : {3u, 7u}) {
        fs::path device = folder_ / ("device" + std::to_string(minor));
        int fd = ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, minor)) == 0
                     ? ::open(device.c_str(), O_WRONLY | O_CLOEXEC)
                     : -1;
        if (fd < 0) {
            GTEST_SKIP() << "no character device can be made and opened here";
        }
        ::close(fd);
    }
    Make("s00.bin");
    ProgramResult result = Run({"-odevice3", "s??.bin"});
    EXPECT_EQ(0, result.status) << result.out;
    result = Run({"-odevice7", "s??.bin"});
    EXPECT_EQ(-1, result.status);
    EXPECT_EQ(kBanner + "リストファイルが書き込めません。\n", result.out);
    for (unsigned minor : {3u, 7u}) {
        struct stat st {};
        ASSERT_EQ(0, ::lstat((folder_ / ("device" + std::to_string(minor))).c_str(), &st));
        EXPECT_TRUE(S_ISCHR(st.st_mode)) << minor;
        EXPECT_EQ(makedev(1, minor), st.st_rdev) << minor;
    }
}

}  // namespace
}  // namespace vorl::test
