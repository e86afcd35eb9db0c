// The XML project reader: versions, keywords, element order, entry
// numbers, attribute order, name resolution, the header id, text limits,
// documents that straddle or exactly fill the 2048-byte read blocks, and
// what a hostile file can do to the caller's table and to memory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

const std::string kHeader =
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<VorlProject version='400'>\n"
    "\t<header>\n"
    "\t\t<indexnum>4</indexnum>\n"
    "\t\t<indexout>infile</indexout>\n"
    "\t</header>\n";

class XmlReader : public ::testing::Test {
protected:
    // Reads `document` into a zero-filled block (or the one given).
    int Read(const std::string &document, const std::string &prjdir = "")
    {
        WriteFile(folder_ / "p.vorlprj", document);
        Release();
        std::memset(&info_, 0, sizeof info_);
        std::string path = (folder_ / "p.vorlprj").string();
        std::memcpy(info_.prjfile, path.c_str(), path.size() + 1);
        std::memcpy(info_.prjdir, prjdir.c_str(), prjdir.size() + 1);
        return VorlGetProjectFile(&info_);
    }
    void Release() { VorlReleaseInformation(&info_); }
    ~XmlReader() override { Release(); }
    IndexEntry &Row(int row) { return info_.entries[row]; }
    TempFolder folder_;
    VorlInformation info_{};
};

TEST_F(XmlReader, VersionsDecideWhetherTheFileIsRead)
{
    struct Case {
        const char *version;
        int expected;
    };
    for (Case c : {Case{"302", VORL_OK}, Case{"400", VORL_OK}, Case{"350", VORL_OK}, Case{"301", VORL_ERR_PRJ_TOO_OLD},
                   Case{"401", VORL_ERR_TOOL_TOO_OLD}, Case{"0", VORL_ERR_NOT_A_PROJECT}}) {
        std::string document = kHeader;
        document.replace(document.find("'400'"), 5, std::string("'") + c.version + "'");
        document += "</VorlProject>\n";
        EXPECT_CODE(c.expected, Read(document)) << c.version;
    }
}

TEST_F(XmlReader, FilesThatAreNoProject)
{
    EXPECT_CODE(VORL_ERR_NOT_A_PROJECT, Read(""));
    EXPECT_CODE(VORL_ERR_NOT_A_PROJECT, Read("just some text\n"));
    EXPECT_CODE(VORL_ERR_NOT_A_PROJECT, Read("<other version='400'/>"));
    // An encoding Expat does not know fails before the root element.
    EXPECT_CODE(VORL_ERR_NOT_A_PROJECT,
                Read("<?xml version='1.0' encoding='Shift_JIS'?>\n<VorlProject version='400'></VorlProject>"));
    std::memset(&info_, 0, sizeof info_);
    std::string missing = (folder_ / "missing").string();
    std::memcpy(info_.prjfile, missing.c_str(), missing.size() + 1);
    EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, VorlGetProjectFile(&info_));
}

TEST_F(XmlReader, HeaderProblems)
{
    struct Case {
        const char *what;
        std::string document;
        int expected;
    };
    const std::string root = "<VorlProject version='400'>";
    const Case cases[] = {
        {"no indexnum", root + "<header><indexout>infile</indexout></header></VorlProject>", VORL_ERR_NO_INDEX},
        {"indexnum 0", root + "<header><indexnum>0</indexnum></header></VorlProject>", VORL_ERR_XML_PARSE},
        {"too many", root + "<header><indexnum>10000</indexnum></header></VorlProject>", VORL_ERR_TOO_MANY_FILES},
        {"capital keyword", root + "<header><indexnum>1</indexnum><indexmode>True</indexmode></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"blank in keyword",
         root + "<header><indexnum>1</indexnum><skipnofile> true</skipnofile></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"index before header",
         root + "<index num='0' use='true'/><header><indexnum>1</indexnum></header></VorlProject>", VORL_ERR_XML_PARSE},
        {"field before header", root + "<label>x</label><header><indexnum>1</indexnum></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"type without num", root + "<header><indexnum>1</indexnum><type>int</type></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"type num 0", root + "<header><indexnum>1</indexnum><type num='0'>int</type></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"convert num 5", root + "<header><indexnum>1</indexnum><convert num='5'>x</convert></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"true alias without width",
         root + "<header><indexnum>1</indexnum><usealias>true</usealias></header></VorlProject>", VORL_ERR_XML_PARSE},
        {"entry field in header", root + "<header><indexnum>1</indexnum><remarks>x</remarks></header></VorlProject>",
         VORL_ERR_XML_PARSE},
        {"syntax error after header", root + "<header><indexnum>1</indexnum></header><index num='0'>",
         VORL_ERR_XML_PARSE},
        {"unknown elements ignored",
         root + "<header><indexnum>1</indexnum><colour>red</colour></header><extra><index/></extra></VorlProject>",
         VORL_OK},
    };
    for (const auto &c : cases) {
        EXPECT_CODE(c.expected, Read(c.document)) << c.what;
    }
}

TEST_F(XmlReader, EveryHeaderFieldIsRead)
{
    ASSERT_CODE(VORL_OK, Read("<VorlProject version='322'><header>"
                              "<indexnum>3</indexnum><indexout>outtext</indexout><indexmode>true</indexmode>"
                              "<indexbyte>2</indexbyte><indexinterval>4</indexinterval><dataalign>16</dataalign>"
                              "<pathmode>absolute</pathmode><skipnofile>true</skipnofile><label>Idx</label>"
                              "<type num='2'>short</type><type num='2'>ushort</type>"
                              "<usealias byte='2'>true</usealias><changeendian>true</changeendian>"
                              "<convert num='4'>cp \"$I\" \"$O\"</convert><headerid>AB</headerid>"
                              "</header></VorlProject>"));
    EXPECT_EQ(322, info_.version);
    EXPECT_EQ(3, info_.indexnum);
    EXPECT_EQ(1, info_.indexout);
    EXPECT_EQ(1, info_.indexmode);
    EXPECT_EQ(2, info_.indexbyte);
    EXPECT_EQ(4, info_.indexinterval);
    EXPECT_EQ(16, info_.dataalign);
    EXPECT_EQ(1, info_.pathmode);
    EXPECT_EQ(1, info_.skipnofile);
    EXPECT_STREQ("Idx", info_.label);
    EXPECT_STREQ("ushort", info_.type[1]);  // given twice: the later value
    EXPECT_EQ(2, info_.usealias);
    EXPECT_EQ(1, info_.changeendian);
    EXPECT_STREQ("cp \"$I\" \"$O\"", info_.convert[3]);
    EXPECT_EQ(std::string("AB\0\0", 4), std::string(info_.headerid, 4));
    IndexEntry *table = info_.entries;  // a packed field: compared by value
    ASSERT_NE(nullptr, table);

    ASSERT_CODE(VORL_OK, Read("<VorlProject version='400'><header><indexnum>1</indexnum><headerid/>"
                              "<usealias byte='2'>false</usealias></header></VorlProject>"));
    EXPECT_EQ("Vorl", std::string(info_.headerid, 4));
    EXPECT_EQ(0, info_.usealias);
}

TEST_F(XmlReader, MissingSettingsKeepTheBlocksValues)
{
    WriteFile(folder_ / "p.vorlprj",
              "<VorlProject version='400'><header><indexnum>1</indexnum></header></VorlProject>");
    Block block(1);
    block->dataalign = 32;
    block.SetText(block->label, sizeof block->label, "kept");
    block.SetText(block->prjfile, sizeof block->prjfile, (folder_ / "p.vorlprj").string());
    block.Row(0).use = 1;
    block.SetText(block.Row(0).remarks, sizeof block.Row(0).remarks, "caller's");
    IndexEntry *table = block->entries;
    ASSERT_CODE(VORL_OK, VorlGetProjectFileVB(&block.Info(), table));
    EXPECT_EQ(32, block->dataalign);
    EXPECT_STREQ("kept", block->label);
    EXPECT_STREQ("caller's", block.Row(0).remarks);  // not cleared by the XML reader
}

TEST_F(XmlReader, TextLimits)
{
    auto document = [](const std::string &label, const std::string &type, const std::string &remarks) {
        return "<VorlProject version='400'><header><indexnum>1</indexnum><label>" + label + "</label><type num='1'>" +
               type + "</type></header><index num='0' use='true'><remarks>" + remarks +
               "</remarks></index></VorlProject>";
    };
    ASSERT_CODE(VORL_OK, Read(document(std::string(127, 'L'), std::string(127, 'T'), std::string(255, 'R'))));
    EXPECT_EQ(127u, std::strlen(info_.label));
    EXPECT_EQ(127u, std::strlen(info_.type[0]));
    EXPECT_EQ(255u, std::strlen(Row(0).remarks));
    ASSERT_CODE(VORL_OK, Read(document(std::string(128, 'L'), std::string(128, 'T'), std::string(256, 'R'))));
    EXPECT_STREQ("", info_.label);
    EXPECT_STREQ("", info_.type[0]);
    // Remarks are cut to their field, as the legacy reader cuts them.
    EXPECT_EQ(std::string(255, 'R'), std::string(Row(0).remarks));
    // Limits count CP932 bytes: 64 two-byte characters are 128 bytes.
    std::string wide;
    for (int i = 0; i < 64; ++i) {
        wide += "表";
    }
    ASSERT_CODE(VORL_OK, Read(document(wide, "t", "r")));
    EXPECT_STREQ("", info_.label);
    ASSERT_CODE(VORL_OK, Read(document(wide.substr(3), "t", "r")));
    EXPECT_EQ(126u, std::strlen(info_.label));
}

// A remark longer than its field keeps the whole characters that fit.
TEST_F(XmlReader, LongRemarksAreCutOnACharacterBoundary)
{
    auto document = [](const std::string &remarks) {
        return "<VorlProject version='400'><header><indexnum>1</indexnum></header>"
               "<index num='0' use='true'><remarks>" +
               remarks + "</remarks><alias high='0'>7</alias></index></VorlProject>";
    };
    std::string wide;
    for (int i = 0; i < 128; ++i) {
        wide += "表";
    }
    const std::string sjisWide = Sjis(wide);
    ASSERT_CODE(VORL_OK, Read(document(wide)));  // 256 bytes in CP932
    EXPECT_EQ(sjisWide.substr(0, 254), std::string(Row(0).remarks));
    ASSERT_CODE(VORL_OK, Read(document("x" + wide)));
    EXPECT_EQ("x" + sjisWide.substr(0, 254), std::string(Row(0).remarks));
    ASSERT_CODE(VORL_OK, Read(document(std::string(300, 'R'))));
    EXPECT_EQ(std::string(255, 'R'), std::string(Row(0).remarks));
    EXPECT_EQ(7u, Row(0).alias);
}

// A character without a CP932 form is never dropped from a text: another
// text would be stored, and for a file name another file packed.
TEST_F(XmlReader, CharactersWithoutACp932FormAreNeverDropped)
{
    const std::string root = "<VorlProject version='400'><header><indexnum>1</indexnum>";
    for (const std::string &foreign : {std::string("caf\xC3\xA9"), std::string("a\xF0\x9F\x98\x80")}) {
        SCOPED_TRACE(foreign);
        for (const std::string &field :
             {"<label>" + foreign + "</label>", "<type num='2'>" + foreign + "</type>",
              "<convert num='1'>" + foreign + "</convert>", "<headerid>" + foreign + "</headerid>"}) {
            EXPECT_CODE(VORL_ERR_XML_PARSE, Read(root + field + "</header></VorlProject>")) << field;
        }
        EXPECT_CODE(VORL_ERR_XML_PARSE, Read(root + "</header><index num='0' use='true'><remarks>" + foreign +
                                             "</remarks></index></VorlProject>"));
        // A reference is a row number, not a file that might be missing.
        EXPECT_CODE(VORL_ERR_XML_PARSE, Read(root + "</header><index num='0' use='true'><filename>*" + foreign +
                                             "</filename></index></VorlProject>"));
    }
}

TEST_F(XmlReader, FileNameWithoutACp932FormIsAFileThatCannotBeFound)
{
    for (const std::string &name : {std::string("caf\xC3\xA9.bin"), std::string("a\xF0\x9F\x98\x80.bin")}) {
        SCOPED_TRACE(name);
        WriteFile(folder_ / "caf.bin", "wrong file");
        WriteFile(folder_ / "a.bin", "wrong file");
        WriteFile(folder_ / name, "the file");
        const std::string project =
            "<VorlProject version='400'><header><indexnum>1</indexnum>"
            "<indexout>infile</indexout><indexbyte>4</indexbyte><dataalign>1</dataalign>"
            "<indexinterval>1</indexinterval></header><index num='0' use='true'><filename>" +
            name + "</filename></index></VorlProject>";
        ASSERT_CODE(VORL_OK, Read(project, folder_.Path().string() + "/"));
        std::string stored = Row(0).filename;
        EXPECT_EQ(std::string::npos, stored.find("caf.bin"));
        EXPECT_EQ(std::string::npos, stored.find("/a.bin"));
        EXPECT_NE(std::string::npos, stored.find('\x80'));
        // Converted, the entry is one whose file is missing.
        WriteFile(folder_ / "p.vorlprj", project);
        std::string data = (folder_ / "out.dat").string();
        EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND,
                    VorlConvertPrjFile((folder_ / "p.vorlprj").string().c_str(), data.c_str(), "", nullptr));
        EXPECT_FALSE(fs::exists(folder_ / "out.dat"));
    }
}

// The id: its four bytes from `hex`, else the whole characters of the text
// that fit in four bytes.
TEST_F(XmlReader, HeaderIdFromHexOrWholeCharacters)
{
    struct Case {
        std::string element;
        std::string id;
    };
    for (const Case &c : std::vector<Case>{
             {"<headerid hex='5600726C' />", std::string("V\0rl", 4)},
             {"<headerid hex='fffe0102'>Vorl</headerid>", "\xFF\xFE\x01\x02"},
             {"<headerid hex='00000000'/>", std::string(4, '\0')},
             {"<headerid>abc表</headerid>", std::string("abc\0", 4)},
             {"<headerid>表示x</headerid>", "\x95\x5C\x8E\xA6"},
             {"<headerid>a表示</headerid>", std::string("a\x95\x5C\0", 4)},
             {"<headerid>VorlData</headerid>", "Vorl"},
             {"<headerid>AB</headerid>", std::string("AB\0\0", 4)},
             {"<headerid />", "Vorl"},
         }) {
        SCOPED_TRACE(c.element);
        ASSERT_CODE(VORL_OK, Read("<VorlProject version='400'><header><indexnum>1</indexnum>" + c.element +
                                  "</header></VorlProject>"));
        EXPECT_EQ(Hex(c.id), Hex(std::string(info_.headerid, 4)));
    }
    for (const std::string bad : {"5600726", "5600726C0", "5600726G", "", " 5600726C"}) {
        EXPECT_CODE(VORL_ERR_XML_PARSE, Read("<VorlProject version='400'><header><indexnum>1</indexnum>"
                                             "<headerid hex='" +
                                             bad + "' /></header></VorlProject>"))
            << bad;
    }
}

TEST_F(XmlReader, EntryNumbersAndAttributeOrder)
{
    const std::string header = "<VorlProject version='400'><header><indexnum>4</indexnum></header>";
    ASSERT_CODE(VORL_OK, Read(header + "<index num='3' use='true'><remarks>three</remarks></index>"
                                       "<index num='4' use='true'><remarks>four</remarks><bad/></index>"
                                       "<index num='-1' use='true'><remarks>none</remarks></index>"
                                       "<index use='true' num='1'><remarks>one</remarks></index>"
                                       "<index num='0' use='false'><filename>f</filename></index>"
                                       "</VorlProject>"));
    EXPECT_EQ(1, Row(3).use);
    EXPECT_STREQ("three", Row(3).remarks);
    EXPECT_EQ(1, Row(1).use);  // attribute order has no meaning in XML
    EXPECT_STREQ("one", Row(1).remarks);
    EXPECT_EQ(0, Row(0).use);
    EXPECT_STREQ("f", Row(0).filename);
    EXPECT_CODE(VORL_ERR_XML_PARSE, Read(header + "<index num='0' use='yes'/></VorlProject>"));
    EXPECT_CODE(VORL_ERR_XML_PARSE, Read(header + "<index num='0' use='true'><label>x</label></index></VorlProject>"));
}

TEST_F(XmlReader, NumbersAndHighHalves)
{
    ASSERT_CODE(VORL_OK, Read("<VorlProject version='400'><header><indexnum>1</indexnum></header>"
                              "<index num='0' use='true'><filesize high='0'>-1</filesize>"
                              "<alias high='-2'>4294967295</alias><convertnum> 3x</convertnum></index>"
                              "</VorlProject>"));
    EXPECT_EQ(0xFFFFFFFFu, Row(0).filesize);
    EXPECT_EQ(0u, Row(0).filesizehigh);
    EXPECT_EQ(0xFFFFFFFFu, Row(0).alias);
    EXPECT_EQ(0xFFFFFFFEu, Row(0).aliashigh);
    EXPECT_EQ(3, Row(0).convertnum);
}

TEST_F(XmlReader, FileNamesResolveAgainstTheProjectFolder)
{
    const std::string document =
        "<VorlProject version='400'><header><indexnum>3</indexnum></header>"
        "<index num='0' use='true'><filename>pic\\a.bmp</filename></index>"
        "<index num='1' use='true'><filename>*5</filename></index>"
        "<index num='2' use='true'><filename>/abs/b.bmp</filename></index>"
        "</VorlProject>";
    ASSERT_CODE(VORL_OK, Read(document, "/data/prj/"));
    EXPECT_STREQ("/data/prj/pic\\a.bmp", Row(0).filename);
    EXPECT_STREQ("*5", Row(1).filename);
    EXPECT_STREQ("/abs/b.bmp", Row(2).filename);
    ASSERT_CODE(VORL_OK, Read(document, ""));
    EXPECT_STREQ("pic\\a.bmp", Row(0).filename);
    // A resolved name that does not fit its field is not stored cut, nor
    // passed off as an entry without a file: the project is refused.
    std::string longFolder = "/" + std::string(252, 'd') + "/";
    EXPECT_CODE(VORL_ERR_XML_PARSE, Read(document, longFolder));
    EXPECT_CODE(VORL_ERR_XML_PARSE,
                Read("<VorlProject version='400'><header><indexnum>1</indexnum></header><index num='0' use='true'>"
                     "<filename>" +
                         std::string(260, 'n') + "</filename></index></VorlProject>",
                     ""));
}

TEST_F(XmlReader, JapaneseTextsArriveAsCp932)
{
    ASSERT_CODE(VORL_OK, Read("<VorlProject version='400'><header><indexnum>1</indexnum><label>表示</label>"
                              "</header><index num='0' use='true'><remarks>ソース&#10;改行</remarks></index>"
                              "</VorlProject>"));
    EXPECT_STREQ("\x95\x5C\x8E\xA6", info_.label);
    EXPECT_STREQ("\x83\x5C\x81\x5B\x83\x58\n\x89\xFC\x8D\x73", Row(0).remarks);
}

// Documents padded with a comment to end exactly at, just before and just
// after a multiple of 2048 bytes, and entries that straddle block borders.
TEST_F(XmlReader, BlockBordersAnywhere)
{
    const std::string head = "<VorlProject version='400'><header><indexnum>2</indexnum></header>";
    const std::string entry = "<index num='1' use='true'><remarks>straddling remark</remarks></index>";
    const std::string tail = "</VorlProject>";
    for (size_t total : {2047u, 2048u, 2049u, 4095u, 4096u, 4097u}) {
        for (size_t split : {2030u, 2040u, 2045u, 2050u}) {
            size_t fixed = head.size() + entry.size() + tail.size() + 7 * 2;  // two comments
            if (total < fixed + split || split < head.size() + 7) {
                continue;
            }
            size_t before = split - head.size() - 7;
            std::string document = head + "<!--" + std::string(before, 'x') + "-->" + entry + "<!--" +
                                   std::string(total - fixed - before, 'y') + "-->" + tail;
            ASSERT_EQ(total, document.size());
            ASSERT_CODE(VORL_OK, Read(document)) << total << "/" << split;
            EXPECT_STREQ("straddling remark", Row(1).remarks) << total << "/" << split;
        }
    }
}

TEST_F(XmlReader, WindowsLineEndsInsideTexts)
{
    std::string document =
        "<VorlProject version='400'>\r\n<header>\r\n<indexnum>1</indexnum>\r\n</header>\r\n"
        "<index num='0' use='true'>\r\n<remarks>a\r\nb</remarks>\r\n</index>\r\n</VorlProject>\r\n";
    ASSERT_CODE(VORL_OK, Read(document));
    EXPECT_STREQ("a\nb", Row(0).remarks);
}

// The editor's table of 10,000 rows, followed by as many rows of a
// pattern no reader writes: a row stored past the table spoils the
// pattern instead of memory the test does not own.
class GuardedTable {
public:
    static constexpr size_t kRows = 10000;
    GuardedTable() : rows_(2 * kRows)
    {
        std::memset(static_cast<void *>(rows_.data() + kRows), kPattern, kRows * sizeof(IndexEntry));
    }
    IndexEntry *Table() { return rows_.data(); }
    // The first row past the table that is not as it was, or -1.
    long SpoiledRow() const
    {
        auto bytes = reinterpret_cast<const unsigned char *>(rows_.data() + kRows);
        auto spoiled =
            std::find_if(bytes, bytes + kRows * sizeof(IndexEntry), [](unsigned char b) { return b != kPattern; });
        return spoiled == bytes + kRows * sizeof(IndexEntry)
                   ? -1
                   : static_cast<long>(kRows + static_cast<size_t>(spoiled - bytes) / sizeof(IndexEntry));
    }
    // True while no row of the table holds anything.
    bool TableUntouched() const
    {
        auto bytes = reinterpret_cast<const unsigned char *>(rows_.data());
        return std::all_of(bytes, bytes + kRows * sizeof(IndexEntry), [](unsigned char b) { return b == 0; });
    }

private:
    static constexpr unsigned char kPattern = 0xA5;
    std::vector<IndexEntry> rows_;
};

// A count above 9,999 is refused before any row is stored, as a legacy
// project is: the table the caller gives holds no more rows than that, and
// may hold fewer than the file's count. Within the count, rows outside it
// are passed over.
TEST_F(XmlReader, NoRowOutsideTheCountOrTheTable)
{
    struct Case {
        const char *what;
        std::string version;
        std::string indexnum;   // the header's element, or none
        int32_t blockIndexnum;  // what the block holds on entry
        std::vector<int> rows;  // the `num` of each index element
        int expected;
    };
    const Case cases[] = {
        {"rows far past the table", "400", "20000", 0, {0, 10000, 15000, 19999}, VORL_ERR_TOO_MANY_FILES},
        {"one above the limit", "400", "10000", 0, {9999, 0}, VORL_ERR_TOO_MANY_FILES},
        {"the largest count", "400", "2147483647", 0, {0, 12345, 2147483646}, VORL_ERR_TOO_MANY_FILES},
        {"count the block held", "400", "", 20000, {0, 12000}, VORL_ERR_TOO_MANY_FILES},
        {"too new as well", "401", "20000", 0, {0, 15000}, VORL_ERR_TOOL_TOO_OLD},
        {"the largest project", "400", "9999", 0, {9998, 9999, 10000, -1}, VORL_OK},
    };
    for (const auto &c : cases) {
        std::string document = "<VorlProject version='" + c.version + "'><header>";
        if (!c.indexnum.empty()) {
            document += "<indexnum>" + c.indexnum + "</indexnum>";
        }
        document += "<indexout>infile</indexout></header>";
        for (int row : c.rows) {
            document += "<index num='" + std::to_string(row) + "' use='true'><filename>f.bin</filename><remarks>" +
                        std::to_string(row) +
                        "</remarks><filesize>16</filesize><alias>1</alias><convertnum>1</convertnum></index>";
        }
        document += "</VorlProject>";
        WriteFile(folder_ / "p.vorlprj", document);
        GuardedTable guarded;
        VorlInformation info{};
        std::string path = (folder_ / "p.vorlprj").string();
        std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
        info.indexnum = c.blockIndexnum;
        EXPECT_CODE(c.expected, VorlGetProjectFileVB(&info, guarded.Table())) << c.what;
        EXPECT_EQ(-1, guarded.SpoiledRow()) << c.what;
        IndexEntry *entries = info.entries;  // a packed field: compared by value
        EXPECT_EQ(guarded.Table(), entries) << c.what;
        if (c.expected != VORL_OK) {
            EXPECT_TRUE(guarded.TableUntouched()) << c.what;
        } else {
            EXPECT_STREQ("9998", guarded.Table()[9998].remarks) << c.what;
            EXPECT_STREQ("", guarded.Table()[9999].remarks) << c.what;
        }
    }
}

// A project file is never longer than 64 MiB: a longer one (here sparse, so
// the test writes nothing) is refused as unreadable at once, and so is a
// device that never ends.
TEST_F(XmlReader, FileLongerThanAnyProjectIsRefused)
{
    constexpr off_t kLongestProject = off_t{64} << 20;
    const std::string document =
        "<VorlProject version='400'><header><indexnum>1</indexnum><indexout>infile</indexout></header>"
        "<index num='0' use='true'><remarks>r</remarks></index></VorlProject>";
    // Zero bytes after the document are not XML: at the limit the file is
    // read and found broken.
    struct Case {
        off_t length;
        int expected;
    };
    for (Case c : {Case{kLongestProject, VORL_ERR_XML_PARSE}, Case{kLongestProject + 1, VORL_ERR_PRJ_NOT_FOUND},
                   Case{off_t{1} << 36, VORL_ERR_PRJ_NOT_FOUND}}) {
        WriteFile(folder_ / "p.vorlprj", document);
        ASSERT_EQ(0, ::truncate((folder_ / "p.vorlprj").c_str(), c.length));
        std::memset(&info_, 0, sizeof info_);
        std::string path = (folder_ / "p.vorlprj").string();
        std::memcpy(info_.prjfile, path.c_str(), path.size() + 1);
        EXPECT_CODE(c.expected, VorlGetProjectFile(&info_)) << c.length;
        Release();
    }
    std::memset(&info_, 0, sizeof info_);
    std::memcpy(info_.prjfile, "/dev/zero", 10);
    EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, VorlGetProjectFile(&info_));
}

// Entities expanded inside a text could make it far longer than the file:
// a text is never collected beyond what a whole project may be.
TEST_F(XmlReader, TextLongerThanAnyProjectIsRefused)
{
    std::string entities = "<!ENTITY e0 '" + std::string(1000, 'x') + "'>";
    for (int level = 1; level <= 4; ++level) {
        std::string expansion;
        for (int i = 0; i < 10; ++i) {
            expansion += "&e" + std::to_string(level - 1) + ";";
        }
        entities += "<!ENTITY e" + std::to_string(level) + " '" + expansion + "'>";
    }
    // 70 MB of text from a 1 MB file stays within the parser's own limit
    // on expansion (100 times the document).
    std::string document =
        "<!DOCTYPE VorlProject [" + entities + "]><VorlProject version='400'><!--" + std::string(1 << 20, 'c') +
        "--><header><indexnum>1</indexnum><indexout>infile</indexout><label>&e4;&e4;&e4;&e4;&e4;&e4;&e4;</label>"
        "</header></VorlProject>";
    EXPECT_CODE(VORL_ERR_XML_PARSE, Read(document));
}

}  // namespace
}  // namespace vorl::test
