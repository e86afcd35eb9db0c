// External converters run through /bin/sh: their output replaces the
// input, a converter that writes nothing fails the row, and no file name
// ever runs a command of its own.
#include <gtest/gtest.h>

#include "test_support.h"

namespace vorl::test {
namespace {

class Converter : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(Work()); }
    fs::path Work() const { return folder_ / "work"; }
    fs::path Data() const { return folder_ / "out.dat"; }
    Block MakeBlock(int rows)
    {
        Block block(rows);
        block->indexout = 3;
        block.SetData(Data());
        block.SetText(block->workdir, sizeof block->workdir, Work().string() + "/");
        return block;
    }
    bool WorkIsEmpty() const { return fs::is_empty(Work()); }
    TempFolder folder_;
};

TEST_F(Converter, OutputOfTheCommandIsPacked)
{
    WriteFile(folder_ / "in.txt", "hello");
    Block block = MakeBlock(2);
    block.UseFile(0, (folder_ / "in.txt").string());
    block.Row(0).convertnum = 1;
    block.UseFile(1, (folder_ / "in.txt").string());
    block.Row(1).convertnum = 2;
    block.SetConverter(1, R"(tr a-z A-Z < "$I" > "$O")");
    block.SetConverter(2, R"(cp '$I' '$O'; printf '!' >> $O)");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ("HELLOhello!", ReadFile(Data()));
    EXPECT_TRUE(WorkIsEmpty());
}

TEST_F(Converter, CompressingConverter)
{
    std::string text(10000, 'z');
    WriteFile(folder_ / "in.txt", text);
    Block block = MakeBlock(1);
    block.UseFile(0, (folder_ / "in.txt").string());
    block.Row(0).convertnum = 4;
    block.SetConverter(4, R"(gzip -c "$I" > "$O")");
    EXPECT_CODE(VORL_OK, block.Convert());
    std::string packed = ReadFile(Data());
    ASSERT_GT(packed.size(), 10u);
    EXPECT_LT(packed.size(), 200u);
    EXPECT_EQ(Bytes({0x1f, 0x8b}), packed.substr(0, 2));
}

TEST_F(Converter, NoOutputFailsWhateverSkipSays)
{
    WriteFile(folder_ / "in.txt", "x");
    for (int skip : {0, 1}) {
        Block block = MakeBlock(1);
        block.UseFile(0, (folder_ / "in.txt").string());
        block.Row(0).convertnum = 1;
        block->skipnofile = skip;
        block.SetConverter(1, "true");
        EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());
        EXPECT_TRUE(WorkIsEmpty());
    }
}

TEST_F(Converter, EmptyOutputIsAMissingRow)
{
    WriteFile(folder_ / "in.txt", "x");
    WriteFile(folder_ / "b.txt", "B");
    Block block = MakeBlock(2);
    block.UseFile(0, (folder_ / "in.txt").string());
    block.Row(0).convertnum = 1;
    block.UseFile(1, (folder_ / "b.txt").string());
    block.SetConverter(1, R"(: > "$O")");
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());
    block->skipnofile = 1;
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ("B", ReadFile(Data()));
}

TEST_F(Converter, MissingInputNeverRunsTheConverter)
{
    Block block = MakeBlock(1);
    block.UseFile(0, (folder_ / "absent").string());
    block.Row(0).convertnum = 1;
    block->skipnofile = 1;
    block.SetConverter(1, "touch " + (folder_ / "ran").string());
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_FALSE(fs::exists(folder_ / "ran"));
}

TEST_F(Converter, StaleOutputIsNeverTakenForANewOne)
{
    WriteFile(Work() / "vorlpack.tmp", "stale");
    WriteFile(folder_ / "in.txt", "x");
    Block block = MakeBlock(1);
    block.UseFile(0, (folder_ / "in.txt").string());
    block.Row(0).convertnum = 1;
    block.SetConverter(1, "true");
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());
}

TEST_F(Converter, TemplateWithoutAHostFormCannotStart)
{
    WriteFile(folder_ / "in.txt", "x");
    Block block = MakeBlock(1);
    block.UseFile(0, (folder_ / "in.txt").string());
    block.Row(0).convertnum = 1;
    block.SetConverter(1, "cp \"$I\" \"$O\" \x83");  // a lead byte with no trail byte
    EXPECT_CODE(VORL_ERR_EXTERNAL_COMMAND, block.Convert());
}

TEST_F(Converter, HostileNamesNeverRunCommands)
{
    // Names hold no "/", so the canary is made in the current folder: the
    // test runs inside its own folder.
    const std::string canary = "CANARY";
    fs::path previous = fs::current_path();
    fs::current_path(folder_.Path());
    const std::vector<std::string> names = {
        "plain name with blanks",
        "quote\"in",
        "single'quote",
        "dollar$(touch " + canary + ")",
        "back`touch " + canary + "`quote",
        "semi\"; touch " + canary + "; \"x",
        "semi'; touch " + canary + "; 'x",
        "-leading-dash",
        "new\nline",
        "glob*?[a]",
        "${HOME}",
        "tab\there",
    };
    const std::vector<std::string> templates = {
        R"(cp "$I" "$O")", R"(cp $I $O)", R"(cp '$I' '$O')", R"(cat < $I > "$O")", R"(sh -c 'cat "$$1"' - "$I" > "$O")",
    };
    for (const auto &name : names) {
        WriteFile(folder_ / name, "content:" + name);
        for (const auto &pattern : templates) {
            Block block = MakeBlock(1);
            block.UseFile(0, (folder_ / name).string());
            block.Row(0).convertnum = 1;
            block.SetConverter(1, pattern);
            EXPECT_CODE(VORL_OK, block.Convert());
            EXPECT_EQ("content:" + name, ReadFile(Data())) << pattern << " with " << name;
            ASSERT_FALSE(fs::exists(folder_ / canary)) << pattern << " ran a command from " << name;
        }
    }
    fs::current_path(previous);
}

}  // namespace
}  // namespace vorl::test
