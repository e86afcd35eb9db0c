// Skipping (-s, skipnofile) is for inputs that are not there. An input that
// is there and cannot be read fails the run, naming the entry and why,
// whatever -s says: a pack that silently lacks it would pass for complete.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace vorl::test {
namespace {

class SkippedInputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::chmod(folder_.Path().c_str(), 0755);
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "previous.dat", "previous");
        fs::create_directory(folder_ / "work");
        ::chmod((folder_ / "work").c_str(), 0777);
    }
    // As another user when the tests run as root, so that permissions bite.
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        auto command = AsOtherUser(VORLCNV_PROGRAM, arguments);
        if (!command) {
            return {-1000, "", "no setpriv"};
        }
        std::string program = command->front();
        command->erase(command->begin());
        return RunProgram(program, *command, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    }
    TempFolder folder_;
};

TEST_F(SkippedInputs, OnlyMissingInputsAreSkipped)
{
    if (!AsOtherUser(VORLCNV_PROGRAM, {})) {
        GTEST_SKIP() << "running as root without setpriv: permissions would not bite";
    }
    // The output lies in a folder the other user may write.
    fs::create_directory(folder_ / "out");
    ::chmod((folder_ / "out").c_str(), 0777);
    WriteFile(folder_ / "out" / "pack.dat", "previous");
    ::chmod((folder_ / "out" / "pack.dat").c_str(), 0666);
    ::chown((folder_ / "out" / "pack.dat").c_str(), 65534, 65534);

    WriteFile(folder_ / "secret.bin", "SECRET");
    ::chmod((folder_ / "secret.bin").c_str(), 0);
    fs::create_directory(folder_ / "folder.bin");
    ASSERT_EQ(0, ::mkfifo((folder_ / "pipe.bin").c_str(), 0666));
    fs::create_directory(folder_ / "closed");
    WriteFile(folder_ / "closed" / "x001.bin", "X");
    ::chmod((folder_ / "closed").c_str(), 0311);  // entered, never listed

    struct Case {
        const char *entry;
        const char *why;  // the end of the message; empty: skipped as missing
    };
    const Case cases[] = {
        {"no-such.bin", ""},
        {"gone/*.bin", ""},
        {"secret.bin", "Permission denied"},
        {"folder.bin", "is a folder"},
        {"pipe.bin", "is a pipe or a device, not a file"},
        {"/dev/null", "is a pipe or a device, not a file"},
        {"closed/x*.bin", "Permission denied"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.entry);
        WriteFile(folder_ / "out" / "pack.dat", "previous");
        ProgramResult result = Run({"-p0", "-s", "-oout/pack.dat", "a.bin", c.entry});
        if (*c.why == '\0') {
            EXPECT_EQ(0, result.status) << result.err;
            continue;
        }
        EXPECT_EQ(9, result.status) << result.err;
        EXPECT_NE(std::string::npos, result.err.find(std::string(c.why) + ")\n")) << result.err;
        EXPECT_EQ("previous", ReadFile(folder_ / "out" / "pack.dat"));
    }
    ::chmod((folder_ / "closed").c_str(), 0755);
    ::chmod((folder_ / "secret.bin").c_str(), 0644);
}

}  // namespace
}  // namespace vorl::test
