// The XML project writer: the exact text, the escapes, saving that never
// loses the previous file, and the round trip through the reader.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <random>

#include "test_support.h"
#include "xml_text.h"
#include "xml_writer.h"

namespace vorl::test {
namespace {

// Every line form: texts with escapes and a Japanese text, empty texts as
// empty elements, numbers past 2^31 printed signed, unused rows left out.
Block EveryLineForm()
{
    Block block(4);
    block->version = 322;  // always written as 400
    block->indexout = 2;
    block->indexmode = 7;
    block->indexbyte = 2;
    block->indexinterval = 3;
    block->dataalign = 16;
    block->pathmode = 2;
    block->skipnofile = 1;
    block->usealias = 4;
    block->changeendian = 0;
    block.SetText(block->label, sizeof block->label, "A&B<C>\"D\"'E'");
    block.SetText(block->type[0], sizeof block->type[0], "unsigned char");
    block.SetText(block->type[2], sizeof block->type[2], "\x95\x5C\tx");  // "表" and a tab
    block.SetText(block->convert[1], sizeof block->convert[1], "gzip -c \"$I\" > \"$O\"");
    std::memcpy(block->headerid, "Vorl", 4);
    block.UseFile(1, "pic\\a.bmp", 0xFFFFFFFF);
    block.SetText(block.Row(1).remarks, sizeof block.Row(1).remarks, "line\none\r\n");
    block.Row(1).alias = 0x80000000;
    block.Row(1).aliashigh = 5;
    block.Row(1).filesizehigh = 1;
    block.Row(1).convertnum = 2;
    block.Row(2).use = 0;
    block.SetText(block.Row(2).filename, sizeof block.Row(2).filename, "unused.bin");
    block.Row(3).use = 3;
    return block;
}

TEST(XmlWriter, WritesEveryLineFormExactly)
{
    Block block = EveryLineForm();
    auto document = BuildXmlProject(block.Info());
    ASSERT_TRUE(document);
    EXPECT_EQ(
        "<?xml version='1.0' encoding='utf-8'?>\n"
        "<VorlProject version='400'>\n"
        "\t<header>\n"
        "\t\t<headerid>Vorl</headerid>\n"
        "\t\t<indexnum>4</indexnum>\n"
        "\t\t<indexout>outbinary</indexout>\n"
        "\t\t<indexmode>true</indexmode>\n"
        "\t\t<indexbyte>2</indexbyte>\n"
        "\t\t<indexinterval>3</indexinterval>\n"
        "\t\t<dataalign>16</dataalign>\n"
        "\t\t<pathmode>relative</pathmode>\n"
        "\t\t<skipnofile>true</skipnofile>\n"
        "\t\t<label>A&amp;B&lt;C&gt;&quot;D&quot;'E'</label>\n"
        "\t\t<type num='1'>unsigned char</type>\n"
        "\t\t<type num='2' />\n"
        "\t\t<type num='3'>表&#9;x</type>\n"
        "\t\t<type num='4' />\n"
        "\t\t<usealias byte='4'>true</usealias>\n"
        "\t\t<changeendian>false</changeendian>\n"
        "\t\t<convert num='1' />\n"
        "\t\t<convert num='2'>gzip -c &quot;$I&quot; &gt; &quot;$O&quot;</convert>\n"
        "\t\t<convert num='3' />\n"
        "\t\t<convert num='4' />\n"
        "\t</header>\n"
        "\t<index num='1' use='true'>\n"
        "\t\t<filename>pic\\a.bmp</filename>\n"
        "\t\t<remarks>line&#10;one&#13;&#10;</remarks>\n"
        "\t\t<filesize high='1'>-1</filesize>\n"
        "\t\t<alias high='5'>-2147483648</alias>\n"
        "\t\t<convertnum>2</convertnum>\n"
        "\t</index>\n"
        "\t<index num='3' use='true'>\n"
        "\t\t<filename />\n"
        "\t\t<remarks />\n"
        "\t\t<filesize high='0'>0</filesize>\n"
        "\t\t<alias high='0'>0</alias>\n"
        "\t\t<convertnum>0</convertnum>\n"
        "\t</index>\n"
        "</VorlProject>\n",
        *document);
}

TEST(XmlWriter, EmptyIdNoRowsAndFalseSwitches)
{
    Block block(3);
    block->indexout = 0;
    std::memset(block->headerid, 0, 4);
    auto document = BuildXmlProject(block.Info());
    ASSERT_TRUE(document);
    // Four zero bytes are an id of their own, not an empty one that would
    // read back as "Vorl".
    EXPECT_NE(std::string::npos, document->find("\t\t<headerid hex='00000000' />\n"));
    EXPECT_NE(std::string::npos, document->find("\t\t<usealias byte='0'>false</usealias>\n"));
    EXPECT_NE(std::string::npos, document->find("\t\t<label />\n"));
    EXPECT_EQ(std::string::npos, document->find("<index "));
    EXPECT_EQ("\t</header>\n</VorlProject>\n", document->substr(document->size() - 26));
}

// A text that would not read back as the same bytes is never written
// empty or shortened in its place: the save fails.
TEST(XmlWriter, TextWithoutAUtf8FormFailsTheSave)
{
    for (std::string bad : {"bad \x83", "\x80", "a\xA0", "\xFD", "\xFE", "\xFF", "a\x01", "\x1F",
                            "\xED\x40" /* the same character as 0xFA5C */}) {
        SCOPED_TRACE(Hex(bad));
        Block block(1);
        block.SetText(block->label, sizeof block->label, bad);
        int refusal = VORL_OK;
        EXPECT_FALSE(BuildXmlProject(block.Info(), &refusal));
        EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, refusal);
        Block row(2);
        row.UseFile(1, "name" + bad);
        refusal = VORL_OK;
        EXPECT_FALSE(BuildXmlProject(row.Info(), &refusal));
        EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, refusal);
        // An unused row is not written, so its texts do not matter.
        row.Row(1).use = 0;
        EXPECT_TRUE(BuildXmlProject(row.Info()));
    }
}

// The id is four bytes: as a text when it reads back from one, else in
// hexadecimal.
TEST(XmlWriter, HeaderIdForms)
{
    struct Case {
        std::string id;
        std::string line;
    };
    for (const Case &c : std::vector<Case>{
             {"Vorl", "\t\t<headerid>Vorl</headerid>\n"},
             {std::string("AB\0\0", 4), "\t\t<headerid>AB</headerid>\n"},
             {"<&>\"", "\t\t<headerid>&lt;&amp;&gt;&quot;</headerid>\n"},
             {"\x95\x5C\x8E\xA6", "\t\t<headerid>表示</headerid>\n"},
             {std::string("V\0rl", 4), "\t\t<headerid hex='5600726C' />\n"},
             {std::string("\0abc", 4), "\t\t<headerid hex='00616263' />\n"},
             {"\xFF\xFE\x01\x02", "\t\t<headerid hex='FFFE0102' />\n"},
             {"abc\x82", "\t\t<headerid hex='61626382' />\n"},
             {"a\x01"
              "bc",
              "\t\t<headerid hex='61016263' />\n"},
         }) {
        SCOPED_TRACE(Hex(c.id));
        Block block(1);
        std::memcpy(block->headerid, c.id.data(), 4);
        auto document = BuildXmlProject(block.Info());
        ASSERT_TRUE(document);
        EXPECT_NE(std::string::npos, document->find(c.line)) << *document;
    }
}

TEST(XmlWriter, BlocksWithoutKeywordsOrRowsAreRefused)
{
    struct Case {
        void (*spoil)(VorlInformation &);
    };
    for (auto spoil :
         {+[](VorlInformation &i) { i.indexout = 4; }, +[](VorlInformation &i) { i.pathmode = -1; },
          +[](VorlInformation &i) { i.indexnum = 10000; }, +[](VorlInformation &i) { i.entries = nullptr; }}) {
        Block block(1);
        spoil(block.Info());
        EXPECT_FALSE(BuildXmlProject(block.Info()));
    }
}

class XmlSave : public ::testing::Test {
protected:
    std::string Path() const { return (folder_ / "project.vorlprj").string(); }
    TempFolder folder_;
};

TEST_F(XmlSave, SavesThroughTheExportAndReplacesTheOldFile)
{
    Block block = EveryLineForm();
    block.SetText(block->prjfile, sizeof block->prjfile, Path());
    WriteFile(Path(), "old project");
    EXPECT_CODE(VORL_OK, VorlPutXMLPrjFile(&block.Info()));
    EXPECT_EQ(*BuildXmlProject(block.Info()), ReadFile(Path()));
    for (const auto &entry : fs::directory_iterator(folder_.Path())) {
        EXPECT_EQ("project.vorlprj", entry.path().filename().string());
    }
}

// A project saved under the name of its own data or header file would
// lose that file to the project's text; a relative name is the project
// folder's.
TEST_F(XmlSave, NeverSavedOverItsOwnDataOrHeaderFile)
{
    for (bool header : {false, true}) {
        SCOPED_TRACE(header ? "header" : "data");
        Block block = EveryLineForm();
        block.SetText(block->prjdir, sizeof block->prjdir, folder_.Path().string() + "/");
        block.SetText(block->datafile, sizeof block->datafile, header ? "other.dat" : "game.dat");
        block.SetText(block->headerfile, sizeof block->headerfile, header ? "game.dat" : "");
        WriteFile(folder_ / "game.dat", "the pack");
        block.SetText(block->prjfile, sizeof block->prjfile, (folder_ / "game.dat").string());
        EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, VorlPutXMLPrjFile(&block.Info()));
        EXPECT_EQ("the pack", ReadFile(folder_ / "game.dat"));
    }
}

TEST_F(XmlSave, FailedWriteKeepsThePreviousFile)
{
    Block block = EveryLineForm();
    block.SetText(block->prjfile, sizeof block->prjfile, Path());
    std::string document = *BuildXmlProject(block.Info());
    const std::string previous = "previous project, which must survive";
    for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{100}, rlim_t{document.size() - 1}}) {
        WriteFile(Path(), previous);
        pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit rl{limit, limit};
            setrlimit(RLIMIT_FSIZE, &rl);
            _exit(-VorlPutXMLPrjFile(&block.Info()));
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, -WEXITSTATUS(status));
        EXPECT_EQ(previous, ReadFile(Path())) << "limit " << limit;
        size_t files = 0;
        for (auto it = fs::directory_iterator(folder_.Path()); it != fs::directory_iterator(); ++it) {
            ++files;
        }
        EXPECT_EQ(1u, files) << "a partial file was left behind at limit " << limit;
    }
    Block unwritable = EveryLineForm();
    unwritable.SetText(unwritable->prjfile, sizeof unwritable->prjfile, (folder_ / "no" / "p.vorlprj").string());
    EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, VorlPutXMLPrjFile(&unwritable.Info()));
    unwritable.SetText(unwritable->prjfile, sizeof unwritable->prjfile, "");
    EXPECT_CODE(VORL_ERR_PRJ_NOT_FOUND, VorlPutXMLPrjFile(&unwritable.Info()));
}

// Random blocks written and read back equal the original, apart from what
// the format does not keep: the version (always 400), unused rows (left
// out), a use other than 1 (read as 1), and switches other than 0 or 1
// (read as 1). The id comes back as its four bytes, zero bytes and all.
class RoundTrip : public XmlSave {
protected:
    std::string RandomText(std::mt19937 &random, size_t maxLength)
    {
        static const std::vector<std::string> pieces = {
            "a",  "Z",  "0",  " ",  "&",        "<",        ">",        "\"",       "'",       "\t",
            "\n", "\r", "\\", "$I", "\x95\x5C", "\x83\x5C", "\x82\xA0", "\x88\x9F", "\x81\x60"};
        std::string text;
        size_t count = random() % 12;
        for (size_t i = 0; i < count; ++i) {
            const std::string &piece = pieces[random() % pieces.size()];
            if (text.size() + piece.size() > maxLength) {
                break;
            }
            text += piece;
        }
        return text;
    }
};

TEST_F(RoundTrip, RandomBlocksComeBackAsWritten)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 200; ++round) {
        int rows = 1 + static_cast<int>(random() % 40);
        Block original(rows);
        VorlInformation &info = original.Info();
        info.version = 302 + static_cast<int>(random() % 99);
        info.indexout = static_cast<int>(random() % 4);
        info.indexmode = static_cast<int>(random() % 3);
        info.indexbyte = 1 << (random() % 4);
        info.indexinterval = static_cast<int32_t>(random() % 100) + 1;
        info.dataalign = static_cast<int32_t>(random());
        info.pathmode = static_cast<int>(random() % 3);
        info.skipnofile = static_cast<int>(random() % 3);
        info.usealias = static_cast<int>(random() % 2) * (1 << (random() % 4));
        info.changeendian = static_cast<int>(random() % 2);
        original.SetText(info.label, sizeof info.label, RandomText(random, 127));
        for (int slot = 0; slot < 4; ++slot) {
            original.SetText(info.type[slot], sizeof info.type[slot], RandomText(random, 127));
            original.SetText(info.convert[slot], sizeof info.convert[slot], RandomText(random, 255));
        }
        for (int k = 0; k < 4; ++k) {
            info.headerid[k] = random() % 3 == 0 ? '\0' : static_cast<char>('A' + random() % 26);
        }
        for (int row = 0; row < rows; ++row) {
            IndexEntry &entry = original.Row(row);
            entry.use = static_cast<int32_t>(random() % 3);
            std::string name = RandomText(random, 200);
            if (random() % 4 == 0) {
                name = "*" + std::to_string(random() % 50);
            }
            original.SetText(entry.filename, sizeof entry.filename, name);
            original.SetText(entry.remarks, sizeof entry.remarks, RandomText(random, 255));
            entry.convertnum = static_cast<int32_t>(random() % 5);
            entry.filesize = static_cast<uint32_t>(random());
            entry.filesizehigh = static_cast<uint32_t>(random());
            entry.alias = static_cast<uint32_t>(random());
            entry.aliashigh = static_cast<uint32_t>(random());
        }
        original.SetText(info.prjfile, sizeof info.prjfile, Path());
        ASSERT_CODE(VORL_OK, VorlPutXMLPrjFile(&info));

        VorlInformation read{};
        std::memcpy(read.prjfile, info.prjfile, sizeof read.prjfile);
        ASSERT_CODE(VORL_OK, VorlGetProjectFile(&read)) << ReadFile(Path());

        VorlInformation expected = info;
        expected.version = 400;
        expected.indexmode = info.indexmode != 0;
        expected.skipnofile = info.skipnofile != 0;
        expected.entries = nullptr;
        expected.prjstream = nullptr;
        IndexEntry *table = read.entries;
        read.entries = nullptr;
        ASSERT_EQ(0, std::memcmp(&expected, &read, sizeof read)) << "round " << round << "\n" << ReadFile(Path());
        for (int row = 0; row < rows; ++row) {
            IndexEntry want = original.Row(row);
            if (want.use == 0) {
                want = IndexEntry{};
            } else {
                want.use = 1;
            }
            ASSERT_EQ(0, std::memcmp(&want, &table[row], sizeof want)) << "round " << round << " row " << row;
        }
        std::free(table);
    }
}

TEST(XmlText, EscapesAndConversions)
{
    EXPECT_EQ("A&amp;B", EscapeXmlText("A&B"));
    EXPECT_EQ("it's", EscapeXmlText("it's"));
    EXPECT_EQ("\x83\x5C&lt;", EscapeXmlText("\x83\x5C<"));  // the 0x5C stays part of "ソ"
    EXPECT_EQ("\x82\xA0", Utf8ToSjis("\xEF\xBB\xBF"
                                     "あ"));  // a byte-order mark is skipped
    // No CP932 form: the text is refused, never stored without it.
    EXPECT_FALSE(
        Utf8ToSjis("a\xF0\x9F\x98\x80"
                   "b"));
    EXPECT_FALSE(Utf8ToSjis("caf\xC3\xA9"));
    EXPECT_FALSE(Utf8ToSjis("a\xC3"));  // broken UTF-8: nothing
    // A name keeps a byte in the character's place that no CP932 text
    // holds, so it can name no file at all.
    EXPECT_EQ("caf\x80.bin", Utf8ToSjisName("caf\xC3\xA9.bin"));
    EXPECT_EQ("a\x80.bin", Utf8ToSjisName("a\xF0\x9F\x98\x80.bin"));
    EXPECT_EQ("\x95\x5C\x80", Utf8ToSjisName("表\xC3\xA9"));
    EXPECT_FALSE(Utf8ToSjisName("a\xC3"));
    EXPECT_EQ("", DocumentText(""));
    EXPECT_EQ("表&lt;\x7F", DocumentText("\x95\x5C<\x7F"));
    EXPECT_FALSE(DocumentText("\x1B"));
    EXPECT_FALSE(SjisToUtf8(""));
}

}  // namespace
}  // namespace vorl::test
