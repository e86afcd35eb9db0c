// What stands at an output's name is respected: a symbolic link is
// followed and its target replaced, a device or a pipe is written into and
// never replaced, a replaced file keeps its mode and owner. No output ever
// replaces an input, and a failed conversion leaves no file it made. The
// same rules hold for the project writer and for vorlcnv.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "test_support.h"

namespace vorl::test {
namespace {

constexpr uid_t kNobody = 65534;
constexpr unsigned kNullMinor = 3;
constexpr unsigned kFullMinor = 7;

// Reads a FIFO on a thread of its own until its writer closes it, or,
// when no writer ever came, until Finish is called. The FIFO is opened at
// once without waiting, so a writer finds its reader already there.
class FifoReader {
public:
    explicit FifoReader(const fs::path &fifo) : fd_(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
    {
        thread_ = std::thread([this] { Drain(); });
    }
    ~FifoReader() { Finish(); }
    FifoReader(const FifoReader &) = delete;
    FifoReader &operator=(const FifoReader &) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    std::string Finish()
    {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return content_;
    }

private:
    void Drain()
    {
        if (fd_ < 0) {
            return;
        }
        char buffer[4096];
        for (;;) {
            // A reader that opened before any writer sees no end of input
            // until a writer has come and gone, so poll waits for one.
            pollfd wanted{fd_, POLLIN, 0};
            int ready = ::poll(&wanted, 1, 20);
            if (ready == 0 && stop_) {
                return;
            }
            if (ready <= 0) {
                continue;
            }
            ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got > 0) {
                content_.append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
                return;
            }
        }
    }
    int fd_;
    std::atomic<bool> stop_{false};
    std::string content_;
    std::thread thread_;
};

// A character device with the numbers of the host's null or full device,
// made in the test's own folder; false where devices cannot be made or
// opened (no superuser, a folder on a file system without devices).
bool MakeDevice(const fs::path &path, unsigned minor)
{
    if (::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)) != 0) {
        return false;
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

bool IsCharacterDevice(const fs::path &path, unsigned minor)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode) && st.st_rdev == makedev(1, minor);
}

bool IsFifo(const fs::path &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

struct stat StatOf(const fs::path &path)
{
    struct stat st {};
    EXPECT_EQ(0, ::stat(path.c_str(), &st)) << path;
    return st;
}

// Each test converts in a folder of its own, so that relative names and
// "./" spellings are the test's.
class OutputSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = fs::current_path();
        fs::current_path(folder_.Path());
        fs::create_directory(folder_ / "work");
        fs::create_directory(folder_ / "elsewhere");
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "b.bin", "BB");
    }
    void TearDown() override { fs::current_path(previous_); }

    // Packs a.bin and b.bin with the binary index in front (mode 0) or in
    // a separate header file (mode 2).
    Block MakeBlock(int indexout, const fs::path &data, const fs::path &header = "out.h")
    {
        Block block(2);
        block.UseFile(0, "a.bin");
        block.UseFile(1, "b.bin");
        block->indexout = indexout;
        block.SetData(data);
        block.SetHeader(header);
        block.SetText(block->workdir, sizeof block->workdir, (folder_ / "work").string() + "/");
        return block;
    }
    // What a conversion of the block writes into plain new files.
    std::string Expected(int indexout, std::string *header = nullptr)
    {
        Block block = MakeBlock(indexout, "expected.dat", "expected.h");
        EXPECT_CODE(VORL_OK, block.Convert());
        std::string data = ReadFile("expected.dat");
        if (header != nullptr) {
            *header = ReadFile("expected.h");
        }
        fs::remove("expected.dat");
        fs::remove("expected.h");
        return data;
    }
    // A project file's text as the writer makes it.
    std::string ExpectedProject()
    {
        Block block;
        block.SetText(block->prjfile, sizeof block->prjfile, "expected.vorlprj");
        EXPECT_CODE(VORL_OK, VorlPutXMLPrjFile(&block.Info()));
        std::string text = ReadFile("expected.vorlprj");
        fs::remove("expected.vorlprj");
        return text;
    }
    int WriteProject(const fs::path &path)
    {
        Block block;
        block.SetText(block->prjfile, sizeof block->prjfile, path.string());
        return VorlPutXMLPrjFile(&block.Info());
    }
    // Only what the test made itself: nothing staged beside a target.
    void ExpectNothingStaged()
    {
        EXPECT_TRUE(fs::is_empty(folder_ / "work"));
        for (const fs::path &folder : {folder_.Path(), folder_ / "elsewhere"}) {
            for (const auto &entry : fs::directory_iterator(folder)) {
                std::string name = entry.path().filename().string();
                bool project = entry.path().extension() == ".vorlprj";
                EXPECT_TRUE(project || name.find(".vorl") == std::string::npos) << "left behind: " << name;
            }
        }
    }
    ProgramResult RunVorlcnv(const std::vector<std::string> &arguments)
    {
        // vorlcnv is built into the folder of this test program.
        std::string program = (fs::read_symlink("/proc/self/exe").parent_path() / "vorlcnv").string();
        return RunProgram(program, arguments, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    }

    TempFolder folder_;
    fs::path previous_;
};

TEST_F(OutputSafety, LinkedDataFileReplacesItsTargetAndStaysALink)
{
    const std::string expected = Expected(0);
    WriteFile(folder_ / "elsewhere" / "pack.dat", "previous");
    fs::create_symlink("elsewhere/pack.dat", "out.dat");
    Block block = MakeBlock(0, "out.dat");
    ASSERT_CODE(VORL_OK, block.Convert());
    EXPECT_TRUE(fs::is_symlink("out.dat"));
    EXPECT_EQ("elsewhere/pack.dat", fs::read_symlink("out.dat").string());
    EXPECT_EQ(expected, ReadFile(folder_ / "elsewhere" / "pack.dat"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, LinksToLinksAndLinksToNothingAreFollowed)
{
    std::string header;
    const std::string expected = Expected(2, &header);
    // Relative links are read from their own folder: "pack.dat" here
    // names elsewhere/pack.dat.
    fs::create_symlink("pack.dat", folder_ / "elsewhere" / "hop");
    fs::create_symlink(folder_ / "elsewhere" / "hop", "out.dat");
    fs::create_symlink("elsewhere/new.h", "out.h");
    Block block = MakeBlock(2, "out.dat", "out.h");
    ASSERT_CODE(VORL_OK, block.Convert());
    EXPECT_TRUE(fs::is_symlink("out.dat"));
    EXPECT_TRUE(fs::is_symlink(folder_ / "elsewhere" / "hop"));
    EXPECT_TRUE(fs::is_symlink("out.h"));
    EXPECT_EQ(expected, ReadFile(folder_ / "elsewhere" / "pack.dat"));
    EXPECT_EQ(header, ReadFile(folder_ / "elsewhere" / "new.h"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, LoopOfLinksIsNoOutput)
{
    fs::create_symlink("loop.b", "loop.a");
    fs::create_symlink("loop.a", "loop.b");
    Block block = MakeBlock(0, "loop.a");
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert());
    EXPECT_TRUE(fs::is_symlink("loop.a"));
    EXPECT_TRUE(fs::is_symlink("loop.b"));
}

TEST_F(OutputSafety, ReplacedFilesKeepTheirMode)
{
    WriteFile("out.dat", "previous");
    WriteFile("out.h", "previous header");
    ASSERT_EQ(0, ::chmod("out.dat", 0640));
    ASSERT_EQ(0, ::chmod("out.h", 0604));
    Block block = MakeBlock(2, "out.dat");
    ASSERT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(0640u, StatOf("out.dat").st_mode & 07777);
    EXPECT_EQ(0604u, StatOf("out.h").st_mode & 07777);
    EXPECT_EQ("AAAABB", ReadFile("out.dat"));
}

TEST_F(OutputSafety, ReplacedFilesKeepTheirOwner)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "only the superuser can give a file to another user";
    }
    WriteFile("out.dat", "previous");
    ASSERT_EQ(0, ::chown("out.dat", kNobody, kNobody));
    ASSERT_EQ(0, ::chmod("out.dat", 0640));
    Block block = MakeBlock(0, "out.dat");
    ASSERT_CODE(VORL_OK, block.Convert());
    struct stat st = StatOf("out.dat");
    EXPECT_EQ(kNobody, st.st_uid);
    EXPECT_EQ(kNobody, st.st_gid);
    EXPECT_EQ(0640u, st.st_mode & 07777);
}

TEST_F(OutputSafety, FifoIsWrittenIntoAndStaysAFifo)
{
    const std::string expected = Expected(0);
    ASSERT_EQ(0, ::mkfifo("out.dat", 0600));
    FifoReader reader(folder_ / "out.dat");
    ASSERT_TRUE(reader.IsOpen());
    Block block = MakeBlock(0, "out.dat");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(expected, reader.Finish());
    EXPECT_TRUE(IsFifo("out.dat"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, HeaderInAFifoAndDataInAFile)
{
    std::string header;
    const std::string expected = Expected(2, &header);
    ASSERT_EQ(0, ::mkfifo("out.h", 0600));
    FifoReader reader(folder_ / "out.h");
    Block block = MakeBlock(2, "out.dat", "out.h");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(header, reader.Finish());
    EXPECT_EQ(expected, ReadFile("out.dat"));
    EXPECT_TRUE(IsFifo("out.h"));
}

TEST_F(OutputSafety, CharacterDeviceIsWrittenIntoNeverReplaced)
{
    if (!MakeDevice("null", kNullMinor)) {
        GTEST_SKIP() << "no character device can be made and opened here";
    }
    Block block = MakeBlock(2, "null", "out.h");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_TRUE(IsCharacterDevice("null", kNullMinor));
    EXPECT_TRUE(fs::exists("out.h"));
    ExpectNothingStaged();
}

// Streams take their content before any file is replaced, so the header
// beside a device that refuses the data is the previous one.
TEST_F(OutputSafety, DeviceThatRefusesTheDataFailsTheConversion)
{
    if (!MakeDevice("full", kFullMinor)) {
        GTEST_SKIP() << "no character device can be made and opened here";
    }
    WriteFile("out.h", "previous header");
    Block block = MakeBlock(2, "full", "out.h");
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert());
    EXPECT_TRUE(IsCharacterDevice("full", kFullMinor));
    EXPECT_EQ("previous header", ReadFile("out.h"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, ProjectWriterFollowsLinksAndKeepsTheMode)
{
    const std::string expected = ExpectedProject();
    WriteFile(folder_ / "elsewhere" / "game.vorlprj", "previous");
    ASSERT_EQ(0, ::chmod((folder_ / "elsewhere" / "game.vorlprj").c_str(), 0640));
    fs::create_symlink(folder_ / "elsewhere" / "game.vorlprj", "game.vorlprj");
    ASSERT_CODE(VORL_OK, WriteProject("game.vorlprj"));
    EXPECT_TRUE(fs::is_symlink("game.vorlprj"));
    EXPECT_EQ(expected, ReadFile(folder_ / "elsewhere" / "game.vorlprj"));
    EXPECT_EQ(0640u, StatOf(folder_ / "elsewhere" / "game.vorlprj").st_mode & 07777);
    ExpectNothingStaged();
}

TEST_F(OutputSafety, ProjectWriterWritesIntoAFifo)
{
    const std::string expected = ExpectedProject();
    ASSERT_EQ(0, ::mkfifo("game.vorlprj", 0600));
    FifoReader reader(folder_ / "game.vorlprj");
    EXPECT_CODE(VORL_OK, WriteProject("game.vorlprj"));
    EXPECT_EQ(expected, reader.Finish());
    EXPECT_TRUE(IsFifo("game.vorlprj"));
}

TEST_F(OutputSafety, ProjectWriterIntoDevices)
{
    if (!MakeDevice("null", kNullMinor) || !MakeDevice("full", kFullMinor)) {
        GTEST_SKIP() << "no character device can be made and opened here";
    }
    EXPECT_CODE(VORL_OK, WriteProject("null"));
    EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, WriteProject("full"));
    EXPECT_TRUE(IsCharacterDevice("null", kNullMinor));
    EXPECT_TRUE(IsCharacterDevice("full", kFullMinor));
}

TEST_F(OutputSafety, DataFileThatIsAnInputIsRefused)
{
    fs::create_symlink("b.bin", "link.dat");
    for (const char *data : {"a.bin", "./b.bin", "link.dat", "elsewhere/../a.bin"}) {
        Block block = MakeBlock(0, data);
        EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert()) << data;
        EXPECT_EQ("AAAA", ReadFile("a.bin")) << data;
        EXPECT_EQ("BB", ReadFile("b.bin")) << data;
    }
    EXPECT_TRUE(fs::is_symlink("link.dat"));
    // Through the project folder as well.
    Block block = MakeBlock(0, "../a.bin");
    block.SetText(block->prjdir, sizeof block->prjdir, (folder_ / "elsewhere").string() + "/");
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert());
    EXPECT_EQ("AAAA", ReadFile("a.bin"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, HeaderThatIsAnInputIsRefusedBeforeAnythingIsWritten)
{
    Block block = MakeBlock(2, "new.dat", "./a.bin");
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert());
    EXPECT_EQ("AAAA", ReadFile("a.bin"));
    EXPECT_FALSE(fs::exists("new.dat"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, ConvertersInputCountsAsAnInput)
{
    Block block = MakeBlock(0, "b.bin");
    block.Row(1).convertnum = 1;
    block.SetConverter(1, R"(touch ran; cat "$I" > "$O")");
    EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert());
    EXPECT_EQ("BB", ReadFile("b.bin"));
    EXPECT_FALSE(fs::exists("ran"));
}

// A row not in use, and a reference, read no file: their names are no
// inputs.
TEST_F(OutputSafety, RowsThatReadNothingAreNoInputs)
{
    WriteFile("out.dat", "previous");
    Block block(3);
    block.UseFile(0, "a.bin");
    block.UseFile(1, "*0");
    block.SetText(block.Row(2).filename, sizeof block.Row(2).filename, "out.dat");
    block->indexout = 3;
    block.SetData("out.dat");
    block.SetText(block->workdir, sizeof block->workdir, (folder_ / "work").string() + "/");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ("AAAA", ReadFile("out.dat"));
}

TEST_F(OutputSafety, MissingInputLeavesNoDataFile)
{
    fs::create_symlink("elsewhere/linked.dat", "linked.dat");
    WriteFile("old.dat", "previous");
    WriteFile("empty.dat", "");
    for (const char *data : {"new.dat", "linked.dat", "old.dat", "empty.dat"}) {
        Block block = MakeBlock(0, data);
        block.UseFile(1, "absent.bin");
        EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert()) << data;
    }
    EXPECT_FALSE(fs::exists("new.dat"));
    EXPECT_TRUE(fs::is_symlink("linked.dat"));
    EXPECT_FALSE(fs::exists(folder_ / "elsewhere" / "linked.dat"));
    EXPECT_EQ("previous", ReadFile("old.dat"));
    EXPECT_TRUE(fs::exists("empty.dat"));
    EXPECT_EQ("", ReadFile("empty.dat"));
    ExpectNothingStaged();
}

TEST_F(OutputSafety, FailingConverterLeavesNoDataFile)
{
    for (int indexout : {0, 2}) {
        Block block = MakeBlock(indexout, "new.dat");
        block.Row(0).convertnum = 1;
        block.SetConverter(1, "exit 3");
        EXPECT_CODE(VORL_ERR_EXTERNAL_COMMAND, block.Convert()) << "mode " << indexout;
        EXPECT_FALSE(fs::exists("new.dat")) << "mode " << indexout;
        EXPECT_FALSE(fs::exists("out.h")) << "mode " << indexout;
    }
    ExpectNothingStaged();
}

TEST_F(OutputSafety, VorlcnvRefusesToWriteOverAnInput)
{
    fs::create_directory("assets");
    WriteFile(folder_ / "assets" / "sprite000.png", "first sprite");
    WriteFile(folder_ / "assets" / "sprite001.png", "second sprite");
    ProgramResult result =
        RunVorlcnv({"-p0", "-oassets/sprite000.png", "assets/sprite000.png", "./assets/sprite001.png"});
    EXPECT_EQ(13, result.status);
    EXPECT_EQ(
        "vorlcnv: assets/sprite000.png: 出力ファイルが作成できませんでした。 (error 13: the data file is also the "
        "input of entry 0 "
        "(assets/sprite000.png); nothing was written)\n",
        result.err);
    EXPECT_EQ("first sprite", ReadFile(folder_ / "assets" / "sprite000.png"));
    EXPECT_EQ("second sprite", ReadFile(folder_ / "assets" / "sprite001.png"));
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

TEST_F(OutputSafety, VorlcnvWritesIntoAFifo)
{
    ASSERT_EQ(0, ::mkfifo("out.dat", 0600));
    FifoReader reader(folder_ / "out.dat");
    ProgramResult result = RunVorlcnv({"-p3", "-oout.dat", "a.bin", "b.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("AAAABB", reader.Finish());
    EXPECT_TRUE(IsFifo("out.dat"));
}

}  // namespace
}  // namespace vorl::test
