// The bytes the conversion writes: row counts, the format word, value
// encoding and the C header text, against the worked examples.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "binary_index.h"
#include "header_text.h"
#include "row_layout.h"
#include "test_support.h"

namespace vorl {
namespace {

using test::Block;
using test::Bytes;
using test::Hex;

TEST(RowLayout, CountsRowsAsTheSettingsSay)
{
    struct Case {
        int indexnum, interval, indexout, indexmode, indexbyte, usealias, align;
        int64_t rows;
        uint64_t padding;
    };
    const Case cases[] = {
        {5, 4, 0, 0, 2, 0, 1, 9, 0},   // 8 rows, then the end entry
        {5, 4, 0, 1, 2, 0, 1, 8, 0},   // all-ones marker: no end entry
        {5, 4, 3, 0, 2, 0, 1, 8, 0},   // no index output: no end entry
        {5, 1, 2, 0, 2, 8, 1, 8, 0},   // 6 rounded up to a multiple of 8 / 2
        {5, 1, 1, 0, 2, 8, 1, 6, 0},   // the C text is not rounded for aliases
        {3, 1, 0, 1, 2, 0, 4, 3, 2},   // 8 + 6 = 14 bytes, padded to 16
        {2, 1, 0, 0, 4, 4, 16, 3, 0},  // equal widths: no rounding; 8 + 3 x 8 = 32
        {9999, 1, 0, 0, 4, 0, 1, 10000, 0}, {9999, 2, 0, 0, 4, 0, 1, 10001, 0},
    };
    for (const auto &c : cases) {
        Block block(c.indexnum);
        block->indexinterval = c.interval;
        block->indexout = c.indexout;
        block->indexmode = c.indexmode;
        block->indexbyte = c.indexbyte;
        block->usealias = c.usealias;
        block->dataalign = c.align;
        RowLayout layout = ComputeRowLayout(block.Info());
        EXPECT_EQ(c.rows, layout.rows) << c.indexnum << "/" << c.interval << " mode " << c.indexout;
        EXPECT_EQ(c.padding, layout.padding) << c.indexnum << "/" << c.interval << " mode " << c.indexout;
    }
}

TEST(FormatWord, CodesAlignmentWidthsOrderAndMode)
{
    struct Case {
        int align, indexbyte, usealias, changeendian, indexout;
        uint16_t word;
    };
    const Case cases[] = {
        {4, 2, 0, 0, 0, 0x0012},     {4, 2, 0, 0, 2, 0x4012}, {1, 4, 0, 0, 0, 0x0000}, {4096, 1, 0, 0, 0, 0x003C},
        {2, 8, 8, 1, 0, 0x3061},     {4, 4, 1, 0, 2, 0x7802}, {6, 4, 0, 0, 0, 0x0002},  // 6 halves twice while above 1
        {65536, 4, 0, 0, 0, 0x0000},  // 16 halvings do not fit four bits
    };
    for (const auto &c : cases) {
        Block block;
        block->dataalign = c.align;
        block->indexbyte = c.indexbyte;
        block->usealias = c.usealias;
        block->changeendian = c.changeendian;
        block->indexout = c.indexout;
        EXPECT_EQ(c.word, FormatWord(block.Info())) << c.align << " " << c.indexbyte << " " << c.usealias;
    }
}

TEST(ValueEncoding, WidthsAndByteOrders)
{
    struct Case {
        uint64_t value;
        int width;
        bool swapped;
        std::string bytes;
    };
    const Case cases[] = {
        {0x0102, 4, true, Bytes({0, 0, 1, 2})},
        {0x0102, 4, false, Bytes({2, 1, 0, 0})},
        {0x0102, 2, true, Bytes({1, 2})},
        {0x01, 1, true, Bytes({1})},
        {0x0000000100000002ull, 8, false, Bytes({2, 0, 0, 0, 1, 0, 0, 0})},
        {0x0000000100000002ull, 8, true, Bytes({0, 0, 0, 1, 0, 0, 0, 2})},
        {0xFFFFFFFFull, 8, false, Bytes({0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0})},
        {0x1234, 3, false, ""},
    };
    for (const auto &c : cases) {
        std::string out;
        AppendValue(out, c.value, c.width, c.swapped);
        EXPECT_EQ(Hex(c.bytes), Hex(out)) << c.value << " width " << c.width;
    }
}

Block ExampleBlock(int indexout)
{
    Block block(3);
    block->dataalign = 4;
    block->indexbyte = 2;
    block->indexout = indexout;
    block->indexmode = 1;
    return block;
}

TEST(BinaryIndex, InFileExampleHasPadding)
{
    Block block = ExampleBlock(0);
    RowLayout layout = ComputeRowLayout(block.Info());
    std::string index = BuildBinaryIndex(block.Info(), layout, {0, 2, 3});
    EXPECT_EQ(Hex("Vorl" + Bytes({3, 0, 0x12, 0, 0, 0, 2, 0, 3, 0, 0, 0})), Hex(index));
}

TEST(BinaryIndex, SeparateHeaderExampleHasNoPadding)
{
    Block block = ExampleBlock(2);
    RowLayout layout = ComputeRowLayout(block.Info());
    std::string index = BuildBinaryIndex(block.Info(), layout, {0, 2, 3});
    EXPECT_EQ(Hex("Vorl" + Bytes({3, 0, 0x12, 0x40, 0, 0, 2, 0, 3, 0})), Hex(index));
}

TEST(BinaryIndex, BigEndianValuesLeaveCountAndWordAlone)
{
    Block block(1);
    block->indexout = 2;
    block->indexmode = 1;
    block->changeendian = 1;
    block->usealias = 8;
    block->indexbyte = 4;
    block.Row(0).alias = 2;
    block.Row(0).aliashigh = 1;
    RowLayout layout = ComputeRowLayout(block.Info());
    ASSERT_EQ(2, layout.rows);  // rounded up to a multiple of 8 / 4
    std::string index = BuildBinaryIndex(block.Info(), layout, {0x0102, kNoDataMarker});
    EXPECT_EQ(Hex("Vorl" + Bytes({2, 0, 0x40, 0x70}) + Bytes({0, 0, 1, 2, 0xff, 0xff, 0xff, 0xff}) +
                  Bytes({0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0})),
              Hex(index));
}

TEST(BinaryIndex, MarkerAtEveryWidth)
{
    for (int width : {1, 2, 4, 8}) {
        Block block(1);
        block->indexout = 2;
        block->indexmode = 1;
        block->indexbyte = width;
        std::string index = BuildBinaryIndex(block.Info(), ComputeRowLayout(block.Info()), {kNoDataMarker});
        std::string expected =
            width == 8 ? Bytes({0xff, 0xff, 0xff, 0xff, 0, 0, 0, 0}) : std::string(static_cast<size_t>(width), '\xff');
        EXPECT_EQ(Hex(expected), Hex(index.substr(8))) << width;
    }
}

Block TextBlock(int indexbyte, int version)
{
    Block block(3);
    block->indexout = 1;
    block->indexmode = 1;
    block->indexbyte = indexbyte;
    block->version = version;
    block.SetText(block->label, sizeof block->label, "VorlIndex");
    block.SetText(block->type[0], sizeof block->type[0], "static unsigned char");
    block.SetText(block->type[1], sizeof block->type[1], "static unsigned short");
    block.SetText(block->type[2], sizeof block->type[2], "static unsigned long");
    block.SetText(block->type[3], sizeof block->type[3], "static unsigned long long");
    return block;
}

TEST(HeaderText, WorkedExampleWithDefine)
{
    Block block = TextBlock(2, 400);
    EXPECT_EQ(
        "/* VORL Maker Header File */\n\n"
        "static unsigned short VorlIndex[] = {\n"
        "\t\t\t\t\t\t\t0x0000,\n"
        "\t\t\t\t\t\t\t0x0002,\n"
        "\t\t\t\t\t\t\t0x0003,\n"
        "\t\t\t\t\t\t\t};\n\n"
        "#define\tVorlIndex_SIZE\tsizeof(VorlIndex)\n",
        BuildHeaderText(block.Info(), {0, 2, 3}));
}

TEST(HeaderText, OldVersionsHaveNoDefine)
{
    Block block = TextBlock(1, 321);
    EXPECT_EQ(
        "/* VORL Maker Header File */\n\n"
        "static unsigned char VorlIndex[] = {\n"
        "\t\t\t\t\t\t\t0x05,\n"
        "\t\t\t\t\t\t\t0xff,\n"
        "\t\t\t\t\t\t\t0x00,\n"
        "\t\t\t\t\t\t\t};\n\n",
        BuildHeaderText(block.Info(), {5, kNoDataMarker, 0}));
}

TEST(HeaderText, AliasArrayWithEightByteValues)
{
    Block block = TextBlock(8, 322);
    block->indexnum = 2;
    block->usealias = 8;
    block.Row(0).alias = 2;
    block.Row(0).aliashigh = 1;
    block.Row(1).alias = 0xABCDEF01;
    EXPECT_EQ(
        "/* VORL Maker Header File */\n\n"
        "static unsigned long long VorlIndex[] = {\n"
        "\t\t\t\t\t\t\t0x0000000000000000,\n"
        "\t\t\t\t\t\t\t0x00000000ffffffff,\n"
        "\t\t\t\t\t\t\t0x0000000000000007,\n"
        "\t\t\t\t\t\t\t};\n\n"
        "static unsigned long long VorlIndex_alias[] = {\n"
        "\t\t\t\t\t\t\t0x0000000100000002,\n"
        "\t\t\t\t\t\t\t0x00000000abcdef01,\n"
        "\t\t\t\t\t\t\t0x0000000000000000,\n"
        "\t\t\t\t\t\t\t};\n\n"
        "#define\tVorlIndex_SIZE\tsizeof(VorlIndex)\n",
        BuildHeaderText(block.Info(), {0, kNoDataMarker, 7}));
}

TEST(HeaderText, AliasIsPrintedAtItsStoredWidth)
{
    Block block = TextBlock(4, 400);
    block->indexnum = 1;
    block->usealias = 1;
    block.SetText(block->type[2], sizeof block->type[2], "u32");
    block.SetText(block->type[0], sizeof block->type[0], "u8");
    block.Row(0).alias = 0x1234;
    std::string text = BuildHeaderText(block.Info(), {0});
    EXPECT_NE(std::string::npos, text.find("u8 VorlIndex_alias[] = {\n\t\t\t\t\t\t\t0x34,\n")) << text;
}

// A label given as one word leaves every type slot empty: each array is
// declared static and unsigned at its own width, so the header can be
// included from more than one file of a program and every value, the
// all-ones marker too, fits its element.
TEST(HeaderText, OneWordLabelDeclaresTheStaticUnsignedTypeOfEachWidth)
{
    struct Case {
        int indexbyte, usealias;
        const char *indexType, *marker, *aliasType, *alias;
    };
    const Case cases[] = {
        {1, 0, "static unsigned char", "0xff", nullptr, nullptr},
        {2, 0, "static unsigned short", "0xffff", nullptr, nullptr},
        {4, 0, "static unsigned int", "0xffffffff", nullptr, nullptr},
        {8, 0, "static unsigned long long", "0x00000000ffffffff", nullptr, nullptr},
        {2, 1, "static unsigned short", "0xffff", "static unsigned char", "0xff"},
        {1, 2, "static unsigned char", "0xff", "static unsigned short", "0xffff"},
        {2, 4, "static unsigned short", "0xffff", "static unsigned int", "0xffffffff"},
        {4, 8, "static unsigned int", "0xffffffff", "static unsigned long long", "0xffffffffffffffff"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::to_string(c.indexbyte) + " " + std::to_string(c.usealias));
        Block block(1);
        block->indexout = 1;
        block->indexmode = 1;
        block->indexbyte = c.indexbyte;
        block->usealias = c.usealias;
        block->version = 400;
        block.SetText(block->label, sizeof block->label, "Table");
        block.Row(0).alias = 0xFFFFFFFFu;
        block.Row(0).aliashigh = 0xFFFFFFFFu;
        std::string expected = std::string("/* VORL Maker Header File */\n\n") + c.indexType +
                               " Table[] = {\n\t\t\t\t\t\t\t" + c.marker + ",\n\t\t\t\t\t\t\t};\n\n";
        if (c.usealias != 0) {
            expected +=
                std::string(c.aliasType) + " Table_alias[] = {\n\t\t\t\t\t\t\t" + c.alias + ",\n\t\t\t\t\t\t\t};\n\n";
        }
        expected += "#define\tTable_SIZE\tsizeof(Table)\n";
        EXPECT_EQ(expected, BuildHeaderText(block.Info(), {kNoDataMarker}));
        // The block keeps its slots as they were given.
        for (const auto &type : block->type) {
            EXPECT_STREQ("", type);
        }
    }
}

// A slot that names a type keeps it; only the empty slot of the other
// width takes the default.
TEST(HeaderText, TypedIndexSlotAndDefaultAliasType)
{
    Block block(1);
    block->indexout = 1;
    block->indexbyte = 2;
    block->usealias = 4;
    block->version = 400;
    block.SetText(block->label, sizeof block->label, "Sprites");
    block.SetText(block->type[1], sizeof block->type[1], "static const unsigned short");
    std::string text = BuildHeaderText(block.Info(), {3});
    EXPECT_NE(std::string::npos, text.find("static const unsigned short Sprites[] = {\n")) << text;
    EXPECT_NE(std::string::npos, text.find("static unsigned int Sprites_alias[] = {\n")) << text;
}

}  // namespace
}  // namespace vorl

// The output modes are the block's stored values: project files and
// callers hold the numbers.
static_assert(VORL_INDEX_IN_DATA == 0 && VORL_INDEX_C_HEADER == 1 && VORL_INDEX_BINARY == 2 && VORL_INDEX_NONE == 3,
              "output modes are stored as 0 to 3");
