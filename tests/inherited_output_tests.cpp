// Outputs named by a descriptor the shell handed over (/dev/stdout,
// /dev/fd/N): what the shell's redirection asked for is what happens. An
// appended log keeps what it held, a truncated one holds only the pack,
// and the file behind the descriptor is never replaced.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "inherited_descriptor.h"
#include "test_support.h"

namespace vorl::test {
namespace {

ino_t InodeOf(const fs::path &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(InheritedDescriptor, NamesThatStandForOne)
{
    struct Case {
        const char *name;
        int descriptor;  // -1: none
    } cases[] = {
        {"/dev/stdout", 1},     {"/dev/stderr", 2}, {"/dev/stdin", 0},  {"/dev/fd/3", 3},
        {"/proc/self/fd/9", 9}, {"/dev/fd/", -1},   {"/dev/fd/3x", -1}, {"/dev/fd/12345678", -1},
        {"/dev/stdoutx", -1},   {"dev/stdout", -1}, {"/dev/null", -1},  {"/proc/1/fd/1", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<int> found = common::InheritedDescriptorOf(c.name);
        EXPECT_EQ(c.descriptor, found ? *found : -1);
    }
}

class InheritedOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "f.bin", "PACKED");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Shell(const std::string &script)
    {
        return RunProgram("/bin/sh", {"-c", script, "sh", VORLCNV_PROGRAM}, folder_.Path(),
                          {{"VORLTEMP", (folder_ / "work").string()}});
    }
    TempFolder folder_;
};

TEST_F(InheritedOutput, WrittenWhereTheDescriptorStands)
{
    struct Case {
        const char *what;
        const char *script;
        const char *log;  // what log.txt holds afterwards
    } cases[] = {
        {"appended", "\"$1\" -p3 -o/dev/stdout f.bin >> log.txt", "before\nPACKED"},
        {"truncated", "\"$1\" -p3 -o/dev/stdout f.bin > log.txt", "PACKED"},
        {"another descriptor", "\"$1\" -p3 -o/dev/fd/3 f.bin 3>> log.txt", "before\nPACKED"},
        {"extracted and appended",
         "\"$1\" -q -p0 -opack.dat f.bin && \"$1\" --extract 0 pack.dat --output /dev/stdout >> log.txt",
         "before\nPACKED"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(folder_ / "log.txt", "before\n");
        const ino_t inode = InodeOf(folder_ / "log.txt");
        ProgramResult result = Shell(c.script);
        EXPECT_EQ(0, result.status) << result.err;
        EXPECT_EQ(c.log, ReadFile(folder_ / "log.txt"));
        EXPECT_EQ(inode, InodeOf(folder_ / "log.txt"));  // never replaced
        // The file behind the descriptor holds more than this run wrote:
        // no size is named for it.
        EXPECT_EQ(std::string::npos, result.err.find("bytes)")) << result.err;
        EXPECT_TRUE(fs::is_empty(folder_ / "work"));
    }
    // A descriptor open only for reading is no output.
    ProgramResult result = Shell("\"$1\" -p3 -o/dev/fd/3 f.bin 3< f.bin");
    EXPECT_NE(0, result.status);
    EXPECT_EQ("PACKED", ReadFile(folder_ / "f.bin"));
}

// A descriptor that stands for a file the run reads is refused as that
// file would be by its name, for every output it can stand for.
TEST_F(InheritedOutput, ThatIsAnInputIsRefused)
{
    WriteFile(folder_ / "list.lst", "f.bin\n");
    const struct {
        const char *script;
        const char *what;
    } cases[] = {
        {"\"$1\" -p0 -o/dev/fd/3 f.bin 3<> f.bin", "the data file is also the input of entry 0 (f.bin)"},
        {"\"$1\" -p0 -o/dev/stdout f.bin >> f.bin", "the data file is also the input of entry 0 (f.bin)"},
        {"\"$1\" -p1 -opack.dat -h/dev/fd/3 f.bin 3>> f.bin", "the header file is also the input of entry 0"},
        {"\"$1\" -p0 -opack.dat --depfile /dev/fd/3 -flist.lst 3>> list.lst", "the dependency file is also"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.script);
        WriteFile(folder_ / "f.bin", "PACKED");
        ProgramResult result = Shell(c.script);
        EXPECT_EQ(13, result.status) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.what)) << result.err;
        EXPECT_EQ("PACKED", ReadFile(folder_ / "f.bin"));
        EXPECT_EQ("f.bin\n", ReadFile(folder_ / "list.lst"));
        EXPECT_FALSE(fs::exists(folder_ / "pack.dat"));
        EXPECT_TRUE(fs::is_empty(folder_ / "work"));
    }
}

}  // namespace
}  // namespace vorl::test
