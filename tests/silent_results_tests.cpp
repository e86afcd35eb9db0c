// Results that used to come out wrong without a word: empty inputs run
// through converters, failing converters, header texts a compiler
// refuses, alignments the format word cannot hold, aliases cut to fit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "test_support.h"

namespace vorl::test {
namespace {

class SilentResults : public ::testing::Test {
protected:
    // Conversions without a working directory stage in the current folder:
    // each test has its own.
    void SetUp() override
    {
        previous_ = fs::current_path();
        fs::current_path(folder_.Path());
        WriteFile(folder_ / "a.bin", "AAAA");
        WriteFile(folder_ / "empty.bin", "");
        WriteFile(folder_ / "b.bin", "BB");
    }
    void TearDown() override { fs::current_path(previous_); }
    Block ThreeRows(int indexout)
    {
        Block block(3);
        block.UseFile(0, (folder_ / "a.bin").string());
        block.UseFile(1, (folder_ / "empty.bin").string());
        block.UseFile(2, (folder_ / "b.bin").string());
        block->indexout = indexout;
        block.SetData(folder_ / "out.dat");
        block.SetHeader(folder_ / "out.h");
        return block;
    }
    fs::path previous_;
    TempFolder folder_;
};

// An empty input is a missing row before any converter runs: a compressor
// would turn it into an item of its own header bytes.
TEST_F(SilentResults, EmptyInputIsAMissingRowBeforeItsConverter)
{
    for (int skip : {0, 1}) {
        for (int mode : {0, 1}) {
            Block block = ThreeRows(2);
            block.Row(1).convertnum = 1;
            block.SetConverter(1, "gzip -n -c \"$I\" > \"$O\"");
            block->skipnofile = skip;
            block->indexmode = mode;
            int rc = block.Convert();
            if (skip == 0) {
                EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, rc);
                continue;
            }
            ASSERT_CODE(VORL_OK, rc);
            EXPECT_EQ("AAAABB", ReadFile(folder_ / "out.dat")) << "index mode " << mode;
            std::string index = ReadFile(folder_ / "out.h");
            uint32_t missing;
            std::memcpy(&missing, index.data() + 8 + 4, 4);
            EXPECT_EQ(mode == 1 ? 0xFFFFFFFFu : 4u, missing) << "index mode " << mode;
        }
    }
}

// Every width, alias width and the all-ones marker make a header that C
// and C++ compilers take without a warning.
TEST_F(SilentResults, HeaderTextCompilesAsCAndCpp)
{
    if (std::system("command -v gcc >/dev/null && command -v g++ >/dev/null") != 0) {
        GTEST_SKIP() << "no compilers";
    }
    const char *types[] = {"static const unsigned char", "static const unsigned short", "static const unsigned int",
                           "static const unsigned long long"};
    const int widths[] = {1, 2, 4, 8};
    WriteFile(folder_ / "use.c", "#include \"out.h\"\nint main(void) { return (int)Tbl[0] + (int)Tbl_alias[0]; }\n");
    for (int w = 0; w < 4; ++w) {
        for (int a = 0; a < 4; ++a) {
            Block block = ThreeRows(1);
            block->skipnofile = 1;
            block->indexmode = 1;
            block->indexbyte = widths[w];
            block->usealias = widths[a];
            block.Row(0).alias = static_cast<uint32_t>(-1);
            for (int slot = 0; slot < 4; ++slot) {
                block.SetText(block->type[slot], sizeof block->type[slot], types[slot]);
            }
            block.SetText(block->label, sizeof block->label, "Tbl");
            ASSERT_CODE(VORL_OK, block.Convert());
            const std::string header = ReadFile(folder_ / "out.h");
            for (const char *compiler : {"gcc -std=c99 -x c", "g++ -std=c++17 -x c++"}) {
                std::string command = "cd '" + folder_.Path().string() + "' && " + compiler +
                                      " -Wall -Wextra -Werror -pedantic -c use.c -o use.o 2>compile.log";
                EXPECT_EQ(0, std::system(command.c_str()))
                    << compiler << " width " << widths[w] << " alias " << widths[a] << "\n"
                    << header << ReadFile(folder_ / "compile.log");
            }
        }
    }
}

TEST_F(SilentResults, HeaderTextDeclaresAOneWordLabelAndIsUtf8)
{
    Block block = ThreeRows(1);
    block->skipnofile = 1;
    // 索引 in CP932.
    block.SetText(block->label, sizeof block->label, "\x8D\xF5\x88\xF8");
    ASSERT_CODE(VORL_OK, block.Convert());
    EXPECT_NE(std::string::npos, ReadFile(folder_ / "out.h").find("static unsigned int 索引[] = {\n"));
}

// The format word holds the alignment as a count of halvings.
TEST_F(SilentResults, AlignmentTheIndexCannotStateIsRefused)
{
    struct Case {
        int mode;
        int align;
        int expected;
    };
    const Case cases[] = {
        {0, 12, VORL_ERR_BAD_ACCESS},
        {2, 12, VORL_ERR_BAD_ACCESS},
        {0, 65536, VORL_ERR_BAD_ACCESS},
        {2, 8192, VORL_ERR_BAD_ACCESS},
        {0, 4096, VORL_OK},
        {2, 1, VORL_OK},
        {1, 12, VORL_OK},
        {3, 12, VORL_OK},
    };
    for (const Case &c : cases) {
        fs::remove(folder_ / "out.dat");
        Block block = ThreeRows(c.mode);
        block->skipnofile = 1;
        block->dataalign = c.align;
        EXPECT_CODE(c.expected, block.Convert()) << "mode " << c.mode << " alignment " << c.align;
        if (c.expected != VORL_OK) {
            EXPECT_FALSE(fs::exists(folder_ / "out.dat")) << "mode " << c.mode << " alignment " << c.align;
        }
    }
}

// An alias that fits neither the signed nor the unsigned range of its
// width is refused like an index value, never cut.
TEST_F(SilentResults, AliasesThatDoNotFitAreRefused)
{
    struct Case {
        int width;
        int32_t alias;
        int expected;
    };
    const Case cases[] = {
        {2, 70000, VORL_ERR_INDEX_RANGE},
        {2, 65535, VORL_OK},
        {2, -1, VORL_OK},
        {2, -32768, VORL_OK},
        {2, -32769, VORL_ERR_INDEX_RANGE},
        {1, 256, VORL_ERR_INDEX_RANGE},
        {1, -128, VORL_OK},
        {1, -129, VORL_ERR_INDEX_RANGE},
        {4, -70000, VORL_OK},
        {8, -1, VORL_OK},
    };
    for (const Case &c : cases) {
        Block block = ThreeRows(2);
        block->skipnofile = 1;
        block->usealias = c.width;
        block.Row(2).alias = static_cast<uint32_t>(c.alias);
        EXPECT_CODE(c.expected, block.Convert()) << "width " << c.width << " alias " << c.alias;
    }
    // Through the command line: -t2 -e with an alias of 70000.
    EXPECT_CODE(VORL_ERR_INDEX_RANGE, VorlConvertCommandLine("-p2 -t2 -e -oout.dat -hout.h a.bin,,70000"));
}

}  // namespace
}  // namespace vorl::test
