// Projects written by the XML writer and read back: every field of the
// block and of an entry row comes back byte for byte, or the save is
// refused with -1 and the previous file stays as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

class ProjectRoundTrip : public ::testing::Test {
protected:
    std::string Path() const { return (folder_ / "round.vorlprj").string(); }

    // Saves `block` and reads it into `read_`; the save's code.
    int SaveAndRead(Block &block)
    {
        block.SetText(block->prjfile, sizeof block->prjfile, Path());
        int saved = VorlPutXMLPrjFile(&block.Info());
        if (saved != VORL_OK) {
            return saved;
        }
        Release();
        std::memcpy(read_.prjfile, block->prjfile, sizeof read_.prjfile);
        int code = VorlGetProjectFile(&read_);
        EXPECT_CODE(VORL_OK, code) << ReadFile(Path());
        return code;
    }
    // What the reader must give back for `block`: the version is always
    // 400, switches read as 0 or 1, a used row's use as 1, unused rows as
    // they were in a fresh table.
    void ExpectSameAsWritten(Block &block, int rows)
    {
        VorlInformation expected = block.Info();
        expected.version = 400;
        expected.indexmode = expected.indexmode != 0;
        expected.skipnofile = expected.skipnofile != 0;
        expected.entries = nullptr;
        VorlInformation got = read_;
        got.entries = nullptr;
        got.prjstream = nullptr;
        EXPECT_EQ(Hex(std::string(reinterpret_cast<const char *>(&expected), sizeof expected)),
                  Hex(std::string(reinterpret_cast<const char *>(&got), sizeof got)))
            << ReadFile(Path());
        for (int row = 0; row < rows; ++row) {
            IndexEntry want = block.Row(row);
            if (want.use == 0) {
                want = IndexEntry{};
            } else {
                want.use = 1;
            }
            EXPECT_EQ(Hex(std::string(reinterpret_cast<const char *>(&want), sizeof want)),
                      Hex(std::string(reinterpret_cast<const char *>(&read_.entries[row]), sizeof want)))
                << "row " << row << "\n"
                << ReadFile(Path());
        }
    }
    void Release()
    {
        VorlReleaseInformation(&read_);
        std::memset(&read_, 0, sizeof read_);
    }
    ~ProjectRoundTrip() override { Release(); }

    TempFolder folder_;
    VorlInformation read_{};
};

// A byte the document can carry so that it reads back as the same byte
// when it stands alone between ASCII characters.
bool StandsAloneInXml(int byte)
{
    return byte == '\t' || byte == '\n' || byte == '\r' || (byte >= 0x20 && byte <= 0x7F) ||
           (byte >= 0xA1 && byte <= 0xDF);
}

struct TextField {
    const char *name;
    char *(*field)(Block &);
    size_t size;
};

std::vector<TextField> TextFields()
{
    std::vector<TextField> fields = {
        {"label", [](Block &b) { return b->label; }, sizeof VorlInformation{}.label},
        {"type 1", [](Block &b) { return b->type[0]; }, sizeof VorlInformation{}.type[0]},
        {"type 2", [](Block &b) { return b->type[1]; }, sizeof VorlInformation{}.type[1]},
        {"type 3", [](Block &b) { return b->type[2]; }, sizeof VorlInformation{}.type[2]},
        {"type 4", [](Block &b) { return b->type[3]; }, sizeof VorlInformation{}.type[3]},
        {"convert 1", [](Block &b) { return b->convert[0]; }, sizeof VorlInformation{}.convert[0]},
        {"convert 2", [](Block &b) { return b->convert[1]; }, sizeof VorlInformation{}.convert[1]},
        {"convert 3", [](Block &b) { return b->convert[2]; }, sizeof VorlInformation{}.convert[2]},
        {"convert 4", [](Block &b) { return b->convert[3]; }, sizeof VorlInformation{}.convert[3]},
        {"filename", [](Block &b) { return b.Row(1).filename; }, sizeof IndexEntry{}.filename},
        {"remarks", [](Block &b) { return b.Row(1).remarks; }, sizeof IndexEntry{}.remarks},
    };
    return fields;
}

Block PlainBlock()
{
    Block block(2);
    block.UseFile(1, "f.bin");
    return block;
}

// Every byte value in every text: a zero byte ends the text; a byte the
// document carries comes back as it was; any other refuses the save, and
// the previous file stays.
TEST_F(ProjectRoundTrip, EveryByteValueInEveryText)
{
    const std::string previous = "previous project";
    for (const TextField &field : TextFields()) {
        for (int byte = 0; byte <= 0xFF; ++byte) {
            SCOPED_TRACE(std::string(field.name) + " byte " + std::to_string(byte));
            Block block = PlainBlock();
            // '.' is no second byte of any character, so a lead byte
            // stands alone.
            const std::string text = "a" + std::string(1, static_cast<char>(byte)) + ".";
            std::memset(field.field(block), 0, field.size);
            std::memcpy(field.field(block), text.data(), text.size());
            WriteFile(Path(), previous);
            int saved = SaveAndRead(block);
            if (byte != 0 && !StandsAloneInXml(byte)) {
                ASSERT_CODE(VORL_ERR_PRJ_NOT_FOUND, saved);
                ASSERT_EQ(previous, ReadFile(Path()));
                continue;
            }
            ASSERT_CODE(VORL_OK, saved);
            // A zero byte ends the text; the reader clears the rest.
            if (byte == 0) {
                std::memset(field.field(block), 0, field.size);
                field.field(block)[0] = 'a';
            }
            ExpectSameAsWritten(block, 2);
            if (HasFailure()) {
                return;
            }
        }
    }
}

// Texts at their field's edge, in ASCII and in two-byte characters (the
// odd byte left over is one ASCII character), with the sizes and aliases
// in both halves at their extremes and use values other than 1.
TEST_F(ProjectRoundTrip, TextsAtTheirEdgeAndEveryNumber)
{
    const std::string wide = "\x95\x5C";  // 表, its second byte 0x5C
    auto edge = [&](size_t room, bool twoByte) {
        if (!twoByte) {
            return std::string(room, 'e');
        }
        std::string text;
        while (text.size() + 2 <= room) {
            text += wide;
        }
        return text + std::string(room - text.size(), 'x');
    };
    const uint32_t values[] = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
    for (bool twoByte : {false, true}) {
        Block block(6);
        VorlInformation &info = block.Info();
        info.indexout = 1;
        info.indexmode = 7;
        info.indexbyte = 8;
        info.indexinterval = 9;
        info.dataalign = 2048;
        info.pathmode = 2;
        info.skipnofile = -1;
        info.usealias = 8;
        info.changeendian = 1;
        std::memcpy(info.headerid, "\x00\x80\xFF\x0A", 4);
        for (const TextField &field : TextFields()) {
            std::string text = edge(field.size - 1, twoByte);
            block.SetText(field.field(block), field.size, text);
        }
        for (int row = 0; row < 6; ++row) {
            IndexEntry &entry = block.Row(row);
            entry.use = row == 1 ? entry.use : std::vector<int32_t>{1, 2, -1, 0, 1, 0x7FFFFFFF}[row];
            if (row != 1) {
                block.SetText(entry.filename, sizeof entry.filename, edge(sizeof entry.filename - 1, twoByte));
                block.SetText(entry.remarks, sizeof entry.remarks, edge(sizeof entry.remarks - 1, !twoByte));
            }
            entry.convertnum = row % 5;
            entry.filesize = values[row % 5];
            entry.filesizehigh = values[(row + 1) % 5];
            entry.alias = values[(row + 2) % 5];
            entry.aliashigh = values[(row + 3) % 5];
        }
        block.Row(1).use = 1;
        ASSERT_CODE(VORL_OK, SaveAndRead(block));
        ExpectSameAsWritten(block, 6);
    }
}

// Four bytes in, the same four out: zero bytes and high bytes included.
TEST_F(ProjectRoundTrip, HeaderIds)
{
    const std::vector<std::string> ids = {
        "Vorl",
        std::string("V\0rl", 4),
        std::string(4, '\0'),
        std::string("\0abc", 4),
        std::string("a\0\0\0", 4),
        std::string("ab\0d", 4),
        "\xFF\xFE\x01\x02",
        "abc\x82",
        "\x95\x5C\x8E\xA6",
        std::string("\x82\xA0\x82\0", 4),
        "<&>\"",
        "\t\n\r ",
        "\x80\xA0\xFD\x7F",
        "\x1B\x1F\x01\x02",
    };
    for (const std::string &id : ids) {
        SCOPED_TRACE(Hex(id));
        Block block = PlainBlock();
        std::memcpy(block->headerid, id.data(), 4);
        ASSERT_CODE(VORL_OK, SaveAndRead(block));
        EXPECT_EQ(Hex(id), Hex(std::string(read_.headerid, 4)));
        ExpectSameAsWritten(block, 2);
    }
    for (int byte = 0; byte <= 0xFF; ++byte) {
        for (int at = 0; at < 4; ++at) {
            Block block = PlainBlock();
            std::memcpy(block->headerid, "Vorl", 4);
            block->headerid[at] = static_cast<char>(byte);
            ASSERT_CODE(VORL_OK, SaveAndRead(block));
            ASSERT_EQ(Hex(std::string(block->headerid, 4)), Hex(std::string(read_.headerid, 4)))
                << "byte " << byte << " at " << at;
        }
    }
}

}  // namespace
}  // namespace vorl::test
