// The legacy text project: the version line, every header group by
// version, both record layouts, name resolution, the line limits, and what
// a hostile file can do to the caller's table and to memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

std::string Quote(const std::string &text)
{
    return "\"" + text + "\"";
}

// A legacy file of the given version: its lines joined with CR LF, as the
// Windows tool wrote them.
std::string LegacyFile(const std::string &version, const std::vector<std::string> &lines)
{
    std::string file = Quote("VORL ProjectFile Ver " + version) + "\r\n";
    for (const auto &line : lines) {
        file += line + "\r\n";
    }
    return file;
}

// A 4.00 header for `count` rows: alignment 4, index in the data file,
// 2-byte index with a 2-byte alias, big-endian, missing files skipped.
std::vector<std::string> Header400(int count, const std::string &label = "Idx")
{
    return {"4",
            "0",
            std::to_string(count - 1),
            Quote(label),
            Quote("static unsigned short"),
            "#FALSE#",
            "2",
            "1",
            "#TRUE#",
            "2",
            "#TRUE#",
            "#TRUE#",
            "gzip -c \"$I\" > \"$O\"",
            "",
            "",
            "conv $I $O"};
}

// A 4.00 entry record.
std::vector<std::string> Record400(const std::string &name, int convert, const std::string &remarks,
                                   const std::string &size, const std::string &flag, const std::string &alias)
{
    return {"#TRUE#", Quote(name), std::to_string(convert), Quote(remarks), "999", size, flag, alias};
}

std::vector<std::string> Unused()
{
    return {"#FALSE#", Quote(""), "0", Quote(""), "0", "0", "#FALSE#", "0"};
}

std::vector<std::string> Join(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto &part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

class LegacyReader : public ::testing::Test {
protected:
    int Read(const std::string &content, const std::string &prjdir = "")
    {
        WriteFile(folder_ / "old.prj", content);
        VorlReleaseInformation(&info_);
        std::memset(&info_, 0, sizeof info_);
        std::string path = (folder_ / "old.prj").string();
        std::memcpy(info_.prjfile, path.c_str(), path.size() + 1);
        std::memcpy(info_.prjdir, prjdir.c_str(), prjdir.size() + 1);
        return VorlGetProjectFile(&info_);
    }
    ~LegacyReader() override { VorlReleaseInformation(&info_); }
    IndexEntry &Row(int row) { return info_.entries[row]; }
    TempFolder folder_;
    VorlInformation info_{};
};

TEST_F(LegacyReader, VersionLine)
{
    const auto body = Join({Header400(1), Unused()});
    EXPECT_CODE(VORL_ERR_PRJ_TOO_OLD, Read(LegacyFile("3.01", body)));
    EXPECT_CODE(VORL_ERR_TOOL_TOO_OLD, Read(LegacyFile("4.01", body)));
    EXPECT_CODE(VORL_OK, Read(LegacyFile("4.00", body)));
    EXPECT_EQ(400, info_.version);
    EXPECT_CODE(VORL_OK, Read(LegacyFile("4_00", body)));  // the separator is not examined
    // Without the leading quote the prefix sits one character early: the
    // file goes to the XML reader, which finds no project either.
    EXPECT_CODE(VORL_ERR_NOT_A_PROJECT, Read("VORL ProjectFile Ver 4.00\"\r\n4\r\n"));
    EXPECT_CODE(VORL_ERR_NOT_A_PROJECT, Read(""));
}

TEST_F(LegacyReader, Version400HeaderAndRecords)
{
    std::string content = LegacyFile("4.00", Join({Header400(4), Record400("a.bin", 1, "first", "1024", "#FALSE#", "7"),
                                                   Unused(), Record400("b.bin", 0, "", "1024", "#TRUE#", "-1"),
                                                   Record400("*0", 4, "r\"q", "0", "#TRUE#", "0")}));
    ASSERT_CODE(VORL_OK, Read(content));
    EXPECT_EQ(4, info_.dataalign);
    EXPECT_EQ(0, info_.indexout);
    EXPECT_EQ(4, info_.indexnum);
    EXPECT_STREQ("Idx", info_.label);
    EXPECT_EQ(0, info_.indexmode);
    EXPECT_EQ(2, info_.pathmode);
    EXPECT_EQ(1, info_.indexinterval);
    EXPECT_EQ(2, info_.indexbyte);
    EXPECT_EQ(2, info_.usealias);
    EXPECT_EQ(1, info_.changeendian);
    EXPECT_EQ(1, info_.skipnofile);
    EXPECT_STREQ("gzip -c \"$I\" > \"$O\"", info_.convert[0]);
    EXPECT_STREQ("", info_.convert[1]);
    EXPECT_STREQ("conv $I $O", info_.convert[3]);
    EXPECT_STREQ("", info_.type[0]);
    EXPECT_STREQ("static unsigned short", info_.type[1]);
    EXPECT_STREQ("static unsigned int", info_.type[2]);
    EXPECT_EQ("Vorl", std::string(info_.headerid, 4));

    EXPECT_EQ(1, Row(0).use);
    EXPECT_STREQ("a.bin", Row(0).filename);
    EXPECT_EQ(1, Row(0).convertnum);
    EXPECT_STREQ("first", Row(0).remarks);
    EXPECT_EQ(0u, Row(0).filesize);  // "#FALSE#" clears the size
    EXPECT_EQ(7u, Row(0).alias);
    EXPECT_EQ(0, Row(1).use);
    EXPECT_EQ(1024u, Row(2).filesize);
    EXPECT_EQ(0xFFFFFFFFu, Row(2).alias);
    EXPECT_STREQ("*0", Row(3).filename);
    EXPECT_STREQ("r\"q", Row(3).remarks);
}

TEST_F(LegacyReader, CountLineHoldsTheLastIndexNumber)
{
    std::vector<std::string> lines = Header400(10);
    for (int row = 0; row < 10; ++row) {
        auto record = Record400("f" + std::to_string(row), 0, "", "0", "#FALSE#", std::to_string(row));
        lines.insert(lines.end(), record.begin(), record.end());
    }
    ASSERT_CODE(VORL_OK, Read(LegacyFile("4.00", lines)));
    ASSERT_EQ(10, info_.indexnum);
    EXPECT_STREQ("f9", Row(9).filename);
    EXPECT_EQ(9u, Row(9).alias);

    auto count = [](const std::string &line) {
        std::vector<std::string> header = Header400(1);
        header[2] = line;
        return LegacyFile("4.00", header);
    };
    EXPECT_CODE(VORL_ERR_TOO_MANY_FILES, Read(count("9999")));
    EXPECT_CODE(VORL_OK, Read(count("9998")));
    EXPECT_CODE(VORL_ERR_NO_INDEX, Read(count("-5")));
}

TEST_F(LegacyReader, OlderHeaderGroups)
{
    // 3.50: no alias, endian, skip or converter lines.
    std::vector<std::string> v350 = {"16", "1", "0", Quote("Lbl"), Quote("static unsigned long"), "#TRUE#", "1", "2"};
    auto record350 =
        std::vector<std::string>{"#TRUE#", Quote("x.bin"), "#TRUE#", "#TRUE#", Quote("rem"), "5", "300", "#TRUE#"};
    v350.insert(v350.end(), record350.begin(), record350.end());
    ASSERT_CODE(VORL_OK, Read(LegacyFile("3.50", v350)));
    EXPECT_EQ(16, info_.dataalign);
    EXPECT_EQ(1, info_.indexout);
    EXPECT_EQ(1, info_.indexmode);
    EXPECT_EQ(1, info_.pathmode);
    EXPECT_EQ(2, info_.indexinterval);
    EXPECT_EQ(4, info_.indexbyte);
    EXPECT_EQ(0, info_.usealias);
    EXPECT_STREQ("static unsigned short", info_.type[1]);
    EXPECT_STREQ("static unsigned long", info_.type[2]);
    EXPECT_EQ(2, Row(0).convertnum);  // two true converter flags
    EXPECT_STREQ("rem", Row(0).remarks);
    EXPECT_EQ(300u, Row(0).filesize);
    EXPECT_EQ(0u, Row(0).alias);

    // 3.15: three alignment booleans, three output booleans, a path-mode
    // boolean, no interval and no type line.
    std::vector<std::string> v315 = {"#FALSE#", "#TRUE#",   "#TRUE#",  "#FALSE#", "#FALSE#", "#TRUE#",
                                     "0",       Quote("L"), "skipped", "#FALSE#", "#TRUE#"};
    auto unused = std::vector<std::string>{"#FALSE#", "", "", "", "", "", "", ""};
    v315.insert(v315.end(), unused.begin(), unused.end());
    ASSERT_CODE(VORL_OK, Read(LegacyFile("3.15", v315)));
    EXPECT_EQ(2048, info_.dataalign);
    EXPECT_EQ(3, info_.indexout);
    EXPECT_EQ(1, info_.pathmode);
    EXPECT_EQ(1, info_.indexinterval);
    EXPECT_STREQ("", info_.type[2]);  // no type line below 3.22

    // 3.02: one alignment boolean.
    std::vector<std::string> v302 = {"#TRUE#",   "#FALSE#", "#TRUE#",  "#FALSE#", "0",
                                     Quote("L"), "x",       "#FALSE#", "#FALSE#"};
    v302.insert(v302.end(), unused.begin(), unused.end());
    ASSERT_CODE(VORL_OK, Read(LegacyFile("3.02", v302)));
    EXPECT_EQ(2048, info_.dataalign);
    EXPECT_EQ(1, info_.indexout);
    EXPECT_EQ(0, info_.pathmode);
}

TEST_F(LegacyReader, EntryNamesResolveAgainstTheProjectFolder)
{
    std::string content = LegacyFile(
        "4.00", Join({Header400(3), Record400("..\\pic\\a.bmp", 0, "", "0", "#FALSE#", "0"),
                      Record400("*3", 0, "", "0", "#FALSE#", "0"), Record400("/abs/x", 0, "", "0", "#FALSE#", "0")}));
    ASSERT_CODE(VORL_OK, Read(content, "/data/prj/"));
    EXPECT_STREQ("/data/pic\\a.bmp", Row(0).filename);
    EXPECT_STREQ("*3", Row(1).filename);
    EXPECT_STREQ("/abs/x", Row(2).filename);
    ASSERT_CODE(VORL_OK, Read(content, "C:\\Prj\\"));
    EXPECT_STREQ("C:/pic\\a.bmp", Row(0).filename);  // written separators follow the host
    ASSERT_CODE(VORL_OK, Read(content));
    EXPECT_STREQ("..\\pic\\a.bmp", Row(0).filename);
}

TEST_F(LegacyReader, OverlongTextsAndSplitLines)
{
    // A label of 128 characters is left out.
    ASSERT_CODE(VORL_OK, Read(LegacyFile("4.00", Join({Header400(1, std::string(128, 'L')), Unused()}))));
    EXPECT_STREQ("", info_.label);
    // A line past 510 characters is split: its rest is read as the next
    // line, here the type line, which as a quoted text loses its first
    // character ("TYPE\"" gives "YPE").
    std::string label = std::string(509, 'L') + "TYPE";
    std::vector<std::string> header = Header400(1, label);
    header.erase(header.begin() + 4);  // the rest of the label line stands in for the type line
    ASSERT_CODE(VORL_OK, Read(LegacyFile("4.00", Join({header, Unused()}))));
    EXPECT_STREQ("", info_.label);
    EXPECT_STREQ("YPE", info_.type[1]);
    // Remarks keep the 255 bytes their field holds of an over-long line.
    ASSERT_CODE(VORL_OK, Read(LegacyFile(
                             "4.00", Join({Header400(1), Record400("a", 0, std::string(300, 'r'), "0", "#F", "0")}))));
    EXPECT_EQ(255u, std::strlen(Row(0).remarks));
}

// Remarks up to their field's 255 bytes are kept whole, and a longer one is
// cut between two characters, never after the first byte of one.
TEST_F(LegacyReader, RemarksAreCutOnACharacterBoundary)
{
    const std::string wide = "\x95\x5C";  // 表
    struct Case {
        std::string remarks;
        std::string kept;
    };
    for (const Case &c : std::vector<Case>{
             {std::string(254, 'r'), std::string(254, 'r')},
             {std::string(255, 'r'), std::string(255, 'r')},
             {std::string(256, 'r'), std::string(255, 'r')},
             {std::string(252, 'r') + wide, std::string(252, 'r') + wide},
             {std::string(253, 'r') + wide, std::string(253, 'r') + wide},
             {std::string(254, 'r') + wide, std::string(254, 'r')},
             {std::string(253, 'r') + wide + "x", std::string(253, 'r') + wide},
         }) {
        SCOPED_TRACE(c.remarks.size());
        ASSERT_CODE(VORL_OK,
                    Read(LegacyFile("4.00", Join({Header400(1), Record400("a", 0, c.remarks, "0", "#F", "7")}))));
        EXPECT_EQ(c.kept, std::string(Row(0).remarks));
        EXPECT_EQ(7u, Row(0).alias);
    }
}

// A converter line longer than its 255 characters is split; what is kept
// of it ends between two characters.
TEST_F(LegacyReader, SplitConverterLineIsCutOnACharacterBoundary)
{
    std::vector<std::string> header = Header400(1);
    header[12] = std::string(254, 'c') + "\x95\x5C";  // 256 bytes: 表 straddles the limit
    header.erase(header.begin() + 13);                // the rest of the split line stands in for converter 2
    ASSERT_CODE(VORL_OK, Read(LegacyFile("4.00", Join({header, Record400("a.bin", 1, "rem", "0", "#F", "7")}))));
    EXPECT_EQ(std::string(254, 'c'), std::string(info_.convert[0]));
    EXPECT_STREQ("conv $I $O", info_.convert[3]);
    EXPECT_EQ(7u, Row(0).alias);
}

// A converter line takes up to 255 characters and its line end; today's
// editors write such lines, and one character less shifted every later
// line of the project.
TEST_F(LegacyReader, ConverterLinesOfUpTo255Characters)
{
    for (size_t length : {253u, 254u, 255u}) {
        std::vector<std::string> header = Header400(1);
        header[12] = std::string(length, 'c');
        ASSERT_CODE(VORL_OK, Read(LegacyFile("4.00", Join({header, Record400("a.bin", 1, "rem", "0", "#F", "7")}))))
            << length;
        EXPECT_EQ(length, std::strlen(info_.convert[0])) << length;
        EXPECT_STREQ("conv $I $O", info_.convert[3]) << length;
        EXPECT_STREQ("a.bin", Row(0).filename) << length;
        EXPECT_EQ(7u, Row(0).alias) << length;
    }
}

// A name that does not fit its field is never an entry without a file.
TEST_F(LegacyReader, NameTooLongForItsFieldIsRefused)
{
    EXPECT_CODE(
        VORL_ERR_FILE_NOT_FOUND,
        Read(LegacyFile("4.00", Join({Header400(1), Record400(std::string(300, 'n'), 0, "", "0", "#F", "0")}))));
    EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND,
                Read(LegacyFile("4.00", Join({Header400(1), Record400(std::string(200, 'n'), 0, "", "0", "#F", "0")})),
                     "/" + std::string(100, 'd') + "/"));
}

// The largest number a count line holds has no successor (found by
// fuzzing: the count overflowed).
TEST_F(LegacyReader, LargestCountIsTooManyEntries)
{
    std::vector<std::string> header = Header400(1);
    header[2] = "2147483647";
    EXPECT_CODE(VORL_ERR_TOO_MANY_FILES, Read(LegacyFile("4.00", header)));
    header[2] = "99999999999999999999";
    EXPECT_NE(VORL_OK, Read(LegacyFile("4.00", header)));
}

TEST_F(LegacyReader, FileEndingEarlyIsNotAnError)
{
    std::vector<std::string> lines = Header400(3);
    lines.push_back("#TRUE#");
    lines.push_back(Quote("only.bin"));
    std::string content = LegacyFile("4.00", lines);
    content.pop_back();  // and without its last line end
    content.pop_back();
    ASSERT_CODE(VORL_OK, Read(content));
    EXPECT_STREQ("only.bin", Row(0).filename);
    EXPECT_EQ(0, Row(1).use);
}

TEST_F(LegacyReader, CallerTableIsClearedFirst)
{
    WriteFile(folder_ / "old.prj", LegacyFile("4.00", Join({Header400(2), Unused(), Unused()})));
    Block block(3);
    block.Row(0).use = 1;
    block.Row(2).use = 1;
    block.SetText(block->prjfile, sizeof block->prjfile, (folder_ / "old.prj").string());
    ASSERT_CODE(VORL_OK, VorlGetProjectFileVB(&block.Info(), block->entries));
    EXPECT_EQ(0, block.Row(0).use);
    EXPECT_EQ(1, block.Row(2).use);   // beyond the project's rows
    void *stream = block->prjstream;  // a packed field: compared by value
    EXPECT_EQ(nullptr, stream);
}

TEST_F(LegacyReader, JapaneseTextsStayCp932)
{
    std::string label = "\x83\x51\x81\x5B\x83\x80";  // "ゲーム"
    std::string remarks = "\x95\x5C\x8E\xA6";        // "表示"
    ASSERT_CODE(VORL_OK,
                Read(LegacyFile("4.00", Join({Header400(1, label), Record400("a", 0, remarks, "0", "#F", "0")}))));
    EXPECT_EQ(label, std::string(info_.label));
    EXPECT_EQ(remarks, std::string(Row(0).remarks));
}

// A count above 9,999 is refused before the caller's table is touched at
// all: the reader would clear the file's count of rows first.
TEST_F(LegacyReader, CountAboveTheLimitLeavesTheCallersTableAlone)
{
    constexpr size_t kEditorRows = 10000;
    constexpr unsigned char kPattern = 0xA5;
    for (int count : {10000, 10001, 20000}) {
        std::vector<IndexEntry> rows(2 * kEditorRows);
        std::memset(static_cast<void *>(rows.data()), kPattern, rows.size() * sizeof(IndexEntry));
        WriteFile(folder_ / "old.prj", LegacyFile("4.00", Join({Header400(count), Unused(), Unused()})));
        VorlInformation info{};
        std::string path = (folder_ / "old.prj").string();
        std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
        EXPECT_CODE(count > 9999 ? VORL_ERR_TOO_MANY_FILES : VORL_OK, VorlGetProjectFileVB(&info, rows.data()))
            << count;
        auto bytes = reinterpret_cast<const unsigned char *>(rows.data());
        EXPECT_TRUE(std::all_of(bytes, bytes + rows.size() * sizeof(IndexEntry), [](unsigned char b) {
            return b == kPattern;
        })) << count;
    }
}

// A project file is never longer than 64 MiB: a longer one (here sparse, so
// the test writes nothing) is refused as unreadable at once, although the
// lines the reader wants are all at its start; so is a device.
TEST_F(LegacyReader, FileLongerThanAnyProjectIsRefused)
{
    constexpr off_t kLongestProject = off_t{64} << 20;
    struct Case {
        off_t length;
        int expected;
    };
    for (Case c : {Case{kLongestProject, VORL_OK}, Case{kLongestProject + 1, VORL_ERR_PRJ_NOT_FOUND},
                   Case{off_t{1} << 36, VORL_ERR_PRJ_NOT_FOUND}}) {
        WriteFile(folder_ / "old.prj",
                  LegacyFile("4.00", Join({Header400(1), Record400("a.bin", 0, "r", "0", "#F", "0")})));
        ASSERT_EQ(0, ::truncate((folder_ / "old.prj").c_str(), c.length));
        VorlReleaseInformation(&info_);
        std::memset(&info_, 0, sizeof info_);
        std::string path = (folder_ / "old.prj").string();
        std::memcpy(info_.prjfile, path.c_str(), path.size() + 1);
        EXPECT_CODE(c.expected, VorlGetProjectFile(&info_)) << c.length;
    }
    VorlReleaseInformation(&info_);
    std::memset(&info_, 0, sizeof info_);
    std::memcpy(info_.prjfile, "/dev/zero", 10);
    EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, VorlGetProjectFile(&info_));
}

// A second read into the block of a first one grows the table that the
// first read made: 3,000 rows do not fit the two of the first project.
TEST_F(LegacyReader, SecondReadIntoTheSameBlockGrowsTheLibrarysTable)
{
    VorlInformation info{};
    std::string path = (folder_ / "old.prj").string();
    std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
    WriteFile(folder_ / "old.prj",
              LegacyFile("4.00", Join({Header400(2), Unused(), Record400("b", 0, "", "0", "#F", "0")})));
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    std::vector<std::string> lines = Header400(3000);
    for (int row = 0; row < 3000; ++row) {
        auto record = Record400("f" + std::to_string(row), 0, "r" + std::to_string(row), "0", "#F", "0");
        lines.insert(lines.end(), record.begin(), record.end());
    }
    WriteFile(folder_ / "old.prj", LegacyFile("4.00", lines));
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    EXPECT_EQ(3000, info.indexnum);
    IndexEntry *table = info.entries;  // a packed field: read by value
    EXPECT_STREQ("f2999", table[2999].filename);
    EXPECT_STREQ("r2999", table[2999].remarks);
    EXPECT_EQ(1, table[0].use);
    VorlReleaseInformation(&info);
}

}  // namespace
}  // namespace vorl::test
