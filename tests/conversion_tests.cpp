// Whole conversions through VorlConvert on real files: row counts, offsets,
// alignment, sizes, references, missing files, and every output mode.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

#include "test_support.h"

namespace vorl::test {
namespace {

// Blocks here have no working directory, so the conversion stages in the
// current folder: each test gets its own.
class Conversion : public InOwnFolder {
protected:
    // A file of `length` bytes "a", "b", ... named after its letter.
    std::string MakeInput(const std::string &name, const std::string &content)
    {
        fs::path path = folder_ / name;
        WriteFile(path, content);
        return path.string();
    }
    fs::path Data() const { return folder_ / "out.dat"; }
    fs::path Header() const { return folder_ / "out.h"; }
    // The 32-bit little-endian values after the 8-byte head.
    std::vector<uint32_t> Values32(const std::string &index, size_t rows) const
    {
        std::vector<uint32_t> values;
        for (size_t i = 0; i < rows; ++i) {
            uint32_t v;
            std::memcpy(&v, index.data() + 8 + 4 * i, 4);
            values.push_back(v);
        }
        return values;
    }
    void ExpectNoTemporaries()
    {
        for (const auto &entry : fs::directory_iterator(folder_.Path())) {
            std::string name = entry.path().filename().string();
            EXPECT_EQ(std::string::npos, name.find(".tmp")) << name;
            EXPECT_EQ(std::string::npos, name.find(".vorl")) << name;
        }
    }
};

TEST_F(Conversion, RowsBeyondTheEntriesHoldTheEndOffset)
{
    Block block(5);
    for (int row = 0; row < 5; ++row) {
        block.UseFile(row, MakeInput("in" + std::to_string(row), std::string(3, 'a' + row)));
    }
    block->indexinterval = 4;
    block->indexbyte = 2;
    block.SetData(Data());
    EXPECT_CODE(VORL_OK, block.Convert());
    std::string data = ReadFile(Data());
    // R = 8 + 1 = 9 rows of 2 bytes after the head: 26 bytes, no padding at
    // alignment 1; rows 5 to 8 all hold the end offset 15.
    ASSERT_EQ(26u + 15u, data.size());
    EXPECT_EQ(Hex("Vorl" + Bytes({9, 0, 0x10, 0, 0, 0, 3, 0, 6, 0, 9, 0, 12, 0, 15, 0, 15, 0, 15, 0, 15, 0})),
              Hex(data.substr(0, 26)));
    EXPECT_EQ("aaabbbcccdddeee", data.substr(26));
    ExpectNoTemporaries();
}

TEST_F(Conversion, AlignmentPadsItemsAndCountsInUnits)
{
    Block block(2);
    block.UseFile(0, MakeInput("five", "12345"));
    block.UseFile(1, MakeInput("two", "ab"));
    block->dataalign = 4;
    block->indexout = 3;
    block.SetData(Data());
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(Hex(std::string("12345\0\0\0ab\0\0", 12)), Hex(ReadFile(Data())));

    block.SetHeader(Header());
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_FALSE(fs::exists(Header())) << "mode 3 writes no header";

    block->indexout = 2;
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ((std::vector<uint32_t>{0, 2, 3}), Values32(ReadFile(Header()), 3));
}

TEST_F(Conversion, FixedSizesCutOrPad)
{
    Block block(2);
    std::string ten = MakeInput("ten", "0123456789");
    block.UseFile(0, ten, 3);
    block.UseFile(1, ten, 16);
    block->dataalign = 2;
    block->indexout = 3;
    block.SetData(Data());
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(Hex(std::string("012\0"
                              "0123456789\0\0\0\0\0\0",
                              20)),
              Hex(ReadFile(Data())));
}

TEST_F(Conversion, ReferencesShareDataAndUnusedRowsFollowTheMode)
{
    Block block(6);
    block.UseFile(0, MakeInput("a", "AAAA"));
    block.UseFile(1, MakeInput("b", "BB"));
    block.UseFile(3, "*0");
    block.Row(4).use = 2;  // anything but 1 is unused
    block.Row(4).filename[0] = 'x';
    block.UseFile(5, "*1");
    block->indexout = 2;
    block.SetHeader(Header());
    block.SetData(Data());
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ("AAAABB", ReadFile(Data()));
    EXPECT_EQ((std::vector<uint32_t>{0, 4, 6, 0, 6, 4, 6}), Values32(ReadFile(Header()), 7));

    block->indexmode = 1;
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ((std::vector<uint32_t>{0, 4, 0xFFFFFFFF, 0, 0xFFFFFFFF, 4}), Values32(ReadFile(Header()), 6));
}

// A reference takes the data of an earlier row or is refused: one to its
// own row, a later one, one outside the table or no number at all would
// silently take row 0's data.
TEST_F(Conversion, ReferencesThatNameNoEarlierRowAreRefused)
{
    struct Case {
        const char *reference;
        int expected;
    };
    const Case cases[] = {
        {"*0", VORL_OK},
        {"*1", VORL_ERR_FORWARD_REFERENCE},
        {"*9999", VORL_ERR_FORWARD_REFERENCE},
        {"*10000", VORL_ERR_FORWARD_REFERENCE},
        {"*-1", VORL_ERR_FORWARD_REFERENCE},
        {"*99999999999999999999", VORL_ERR_FORWARD_REFERENCE},
        {"*x", VORL_ERR_FORWARD_REFERENCE},
        {"*", VORL_ERR_FORWARD_REFERENCE},
    };
    for (const auto &c : cases) {
        for (int skip : {0, 1}) {
            fs::remove(Header());
            Block block(2);
            block.UseFile(0, MakeInput("a", "AAAA"));
            block.UseFile(1, c.reference);
            block->skipnofile = skip;
            block->indexout = 2;
            block.SetHeader(Header());
            block.SetData(Data());
            EXPECT_CODE(c.expected, block.Convert()) << c.reference;
            if (c.expected == VORL_OK) {
                EXPECT_EQ(0u, Values32(ReadFile(Header()), 2)[1]) << c.reference;
            } else {
                EXPECT_FALSE(fs::exists(Header())) << c.reference;
            }
        }
    }
}

TEST_F(Conversion, MissingAndEmptyInputs)
{
    Block block(3);
    block.UseFile(0, MakeInput("a", "AA"));
    block.UseFile(1, MakeInput("empty", ""));
    block.UseFile(2, MakeInput("b", "B"));
    block->indexout = 2;
    block.SetHeader(Header());
    block.SetData(Data());
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());

    block->skipnofile = 1;
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ((std::vector<uint32_t>{0, 2, 2, 3}), Values32(ReadFile(Header()), 4));
    block->indexmode = 1;
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ((std::vector<uint32_t>{0, 0xFFFFFFFF, 2}), Values32(ReadFile(Header()), 3));

    block.UseFile(1, (folder_ / "no-such-file").string());
    EXPECT_CODE(VORL_OK, block.Convert());
    // A folder is no input, and it is there: skipping is for files that
    // are not, so the run fails rather than pack without it.
    block.UseFile(1, folder_.Path().string());
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());
    block->skipnofile = 0;
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());
}

TEST_F(Conversion, TwoByteIndexRangeAndTheMarker)
{
    Block block(3);
    block.UseFile(0, MakeInput("big", std::string(0x10000, 'x')));
    block.UseFile(2, MakeInput("b", "B"));
    block->indexbyte = 2;
    block->indexmode = 1;
    block->indexout = 2;
    block.SetHeader(Header());
    block.SetData(Data());
    // Row 2 starts at 0x10000, past what two bytes hold.
    EXPECT_CODE(VORL_ERR_INDEX_RANGE, block.Convert());
    // Without row 2 only the marker passes 0xFFFF, and that is allowed.
    block.Row(2).use = 0;
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(Hex(Bytes({0, 0, 0xff, 0xff, 0xff, 0xff})), Hex(ReadFile(Header()).substr(8)));
    // Mode 3 writes no index, so no value is out of range.
    block.Row(2).use = 1;
    block->indexout = 3;
    EXPECT_CODE(VORL_OK, block.Convert());
}

TEST_F(Conversion, RowCountLimit)
{
    for (int interval : {1, 2}) {
        Block block(9999);
        block->indexinterval = interval;  // 9999 + 1 = 10000 rows, or 10000 + 1
        block->skipnofile = 1;
        fs::path data = folder_ / ("limit" + std::to_string(interval));
        block.SetData(data);
        EXPECT_CODE(interval == 1 ? VORL_OK : VORL_ERR_INDEX_OVERFLOW, block.Convert());
        EXPECT_EQ(interval == 1, fs::exists(data)) << "touched before the row check";
    }
}

TEST_F(Conversion, InFileIndexIsPaddedToTheAlignment)
{
    Block block(3);
    block.UseFile(0, MakeInput("a", "AAAAAAA"));  // 7 bytes: 8 stored, value 0
    block.UseFile(1, MakeInput("b", "BBBB"));     // value 2
    block.UseFile(2, MakeInput("c", "C"));        // value 3
    block->dataalign = 4;
    block->indexbyte = 2;
    block->indexmode = 1;
    block.SetData(Data());
    EXPECT_CODE(VORL_OK, block.Convert());
    std::string data = ReadFile(Data());
    EXPECT_EQ(Hex("Vorl" + Bytes({3, 0, 0x12, 0, 0, 0, 2, 0, 3, 0, 0, 0})), Hex(data.substr(0, 16)));
    EXPECT_EQ(Hex(std::string("AAAAAAA\0BBBBC\0\0\0", 16)), Hex(data.substr(16)));
}

TEST_F(Conversion, CHeaderMode)
{
    Block block(3);
    block.UseFile(0, MakeInput("a", "AA"));
    block.UseFile(1, MakeInput("b", "B"));
    block.UseFile(2, MakeInput("c", "C"));
    block->indexbyte = 2;
    block->indexmode = 1;
    block->indexout = 1;
    block->version = 400;
    block.SetText(block->label, sizeof block->label, "VorlIndex");
    block.SetText(block->type[1], sizeof block->type[1], "static unsigned short");
    block.SetData(Data());
    EXPECT_CODE(VORL_ERR_NO_HEADER_NAME, block.Convert());
    EXPECT_FALSE(fs::exists(Data())) << "a failed conversion leaves no data file it made";
    block.SetHeader(Header());
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ(
        "/* VORL Maker Header File */\n\n"
        "static unsigned short VorlIndex[] = {\n"
        "\t\t\t\t\t\t\t0x0000,\n\t\t\t\t\t\t\t0x0002,\n\t\t\t\t\t\t\t0x0003,\n"
        "\t\t\t\t\t\t\t};\n\n"
        "#define\tVorlIndex_SIZE\tsizeof(VorlIndex)\n",
        ReadFile(Header()));
    EXPECT_EQ("AABC", ReadFile(Data()));
    ExpectNoTemporaries();
}

TEST_F(Conversion, RelativeOutputNamesResolveAgainstTheProjectFolder)
{
    fs::create_directory(folder_ / "prj");
    Block block(1);
    block.UseFile(0, MakeInput("a", "AA"));
    block->indexout = 2;
    block.SetText(block->prjdir, sizeof block->prjdir, (folder_ / "prj").string() + "/");
    block.SetText(block->datafile, sizeof block->datafile, "../out.dat");
    block.SetText(block->headerfile, sizeof block->headerfile, "idx.bin");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ("AA", ReadFile(folder_ / "out.dat"));
    EXPECT_TRUE(fs::exists(folder_ / "prj" / "idx.bin"));
}

TEST_F(Conversion, EmptyWorkdirStagesInAFolderOfItsOwnAndCleansUp)
{
    Block block(1);
    block.UseFile(0, MakeInput("a", "AA"));
    block.SetData(Data());
    // The user's own files of the temporaries' names are no work files.
    for (const char *name : {"vorlbody.tmp", "vorlindx.tmp", "vorlpack.tmp"}) {
        WriteFile(folder_ / name, std::string("mine: ") + name);
    }
    fs::path old = fs::current_path();
    fs::current_path(folder_.Path());
    ::unsetenv("VORLTEMP");
    ::unsetenv("TMP");
    ::unsetenv("TEMP");
    ::unsetenv("TMPDIR");
    EXPECT_CODE(VORL_OK, block.Convert());
    fs::current_path(old);
    EXPECT_STREQ("", block->workdir);
    std::string pack = ReadFile(Data());
    EXPECT_EQ("AA", pack.substr(pack.size() - 2));
    for (const char *name : {"vorlbody.tmp", "vorlindx.tmp", "vorlpack.tmp"}) {
        EXPECT_EQ(std::string("mine: ") + name, ReadFile(folder_ / name)) << name;
    }
    // Nothing of the run is left: no working folder beside the files.
    for (const auto &entry : fs::directory_iterator(folder_.Path())) {
        EXPECT_FALSE(entry.is_directory()) << entry.path();
    }
    IndexEntry *table = block->entries;
    block->entries = nullptr;
    VorlReleaseInformation(&block.Info());
    block->entries = table;
    EXPECT_TRUE(fs::exists(folder_ / "a"));
}

TEST_F(Conversion, InvalidBlocksAreRefusedBeforeAnyFileIsTouched)
{
    struct Case {
        const char *what;
        void (*spoil)(VorlInformation &);
        int expected;
    };
    const Case cases[] = {
        {"no rows", [](VorlInformation &i) { i.indexnum = 0; }, VORL_ERR_NO_INDEX},
        {"negative output", [](VorlInformation &i) { i.indexout = -1; }, VORL_ERR_NO_INDEX},
        {"too many rows", [](VorlInformation &i) { i.indexnum = 10000; }, VORL_ERR_TOO_MANY_FILES},
        {"no table", [](VorlInformation &i) { i.entries = nullptr; }, VORL_ERR_BAD_ACCESS},
        {"alignment 0", [](VorlInformation &i) { i.dataalign = 0; }, VORL_ERR_BAD_ACCESS},
        {"interval 0", [](VorlInformation &i) { i.indexinterval = 0; }, VORL_ERR_BAD_ACCESS},
        {"width 3", [](VorlInformation &i) { i.indexbyte = 3; }, VORL_ERR_BAD_ACCESS},
        {"alias width 5", [](VorlInformation &i) { i.usealias = 5; }, VORL_ERR_BAD_ACCESS},
        {"output mode 4", [](VorlInformation &i) { i.indexout = 4; }, VORL_ERR_BAD_ACCESS},
        {"converter 5", [](VorlInformation &i) { i.entries[0].convertnum = 5; }, VORL_ERR_BAD_ACCESS},
    };
    for (const auto &c : cases) {
        Block block(1);
        block.UseFile(0, MakeInput("a", "AA"));
        block.SetData(Data());
        c.spoil(block.Info());
        EXPECT_CODE(c.expected, block.Convert());
        EXPECT_FALSE(fs::exists(Data())) << c.what;
    }
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvert(nullptr));
}

TEST_F(Conversion, UnopenableDataFile)
{
    Block block(1);
    block.UseFile(0, MakeInput("a", "AA"));
    for (fs::path bad : {folder_ / "no" / "such" / "dir.dat", folder_.Path(), fs::path()}) {
        block.SetData(bad);
        EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert()) << bad;
    }
}

TEST_F(Conversion, HeaderNamingTheDataFileIsRefused)
{
    Block block(1);
    block.UseFile(0, MakeInput("a", "AA"));
    block->indexout = 2;
    WriteFile(Data(), "previous");
    fs::create_symlink(Data(), folder_ / "alias.dat");
    for (fs::path header : {Data(), folder_ / "." / "out.dat", folder_ / "alias.dat"}) {
        block.SetData(Data());
        block.SetHeader(header);
        // Refused as what it is, an output named twice, not as a header
        // without a name.
        EXPECT_CODE(VORL_ERR_OUTPUT_FILE, block.Convert()) << header;
        EXPECT_EQ("previous", ReadFile(Data()));
    }
}

TEST_F(Conversion, PipeNamedAsInputNeverBlocksAndIsNeverSkipped)
{
    ASSERT_EQ(0, mkfifo((folder_ / "pipe").c_str(), 0600));
    Block block(2);
    block.UseFile(0, (folder_ / "pipe").string());
    block.UseFile(1, MakeInput("b", "B"));
    block->skipnofile = 1;
    block->indexout = 3;
    block.SetData(Data());
    WriteFile(Data(), "previous");
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, block.Convert());
    EXPECT_EQ("previous", ReadFile(Data()));
}

TEST_F(Conversion, JapaneseNamesReachTheRightFiles)
{
    // Library texts are CP932: "データ" and a name with a 0x5C trail byte.
    std::string utf8 = "データ表.bin";
    WriteFile(folder_ / utf8, "JP");
    std::string cp932Folder = folder_.Path().string() + "/";
    std::string cp932Name = "\x83\x66\x81\x5B\x83\x5E\x95\x5C.bin";
    Block block(1);
    block.UseFile(0, cp932Folder + cp932Name);
    block.SetData(folder_ / "out.dat");
    EXPECT_CODE(VORL_OK, block.Convert());
    EXPECT_EQ("JP", ReadFile(Data()).substr(ReadFile(Data()).size() - 2));
}

}  // namespace
}  // namespace vorl::test
