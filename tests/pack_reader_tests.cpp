// vorl_reader.h against the packs the library writes: every width, alias
// width, byte order, index mode, output mode and alignment reads back row
// by row, and no cut or bent index makes it read outside its buffers
// (arbitrary bytes are fuzz_pack_reader's part).

// The header is compiled here under the warnings a strict consumer uses.
#pragma GCC diagnostic push
#pragma GCC diagnostic error "-Wconversion"
#pragma GCC diagnostic error "-Wsign-conversion"
#pragma GCC diagnostic error "-Wold-style-cast"
#pragma GCC diagnostic error "-Wshadow"
#pragma GCC diagnostic error "-Wcast-qual"
#pragma GCC diagnostic error "-Wzero-as-null-pointer-constant"
#include "vorl_reader.h"
#pragma GCC diagnostic pop

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "test_support.h"

namespace vorl::test {
namespace {

bool SameEntry(const VorlReaderEntry &a, const VorlReaderEntry &b)
{
    return a.value == b.value && a.alias == b.alias && a.offset == b.offset && a.size == b.size && a.owner == b.owner &&
           a.hasData == b.hasData && a.marked == b.marked;
}

uint64_t RoundUp(uint64_t value, uint64_t multiple)
{
    return (value + multiple - 1) / multiple * multiple;
}

// The rows every round trip packs. A shared row never directly follows
// the row it shares: with running offsets that would read as a row without
// data followed by the item (see ARunningRowSharingItsNeighbour...).
struct RowPlan {
    const char *content;  // nullptr: no file; "*N": shares row N
    bool used;
    uint32_t filesize;
    uint32_t alias;
    uint32_t aliashigh;
};
const RowPlan kRows[] = {
    {"AAAAA", true, 0, 0xFFFFFFFFu, 0},  // -1
    {nullptr, true, 0, 7, 0},            // a missing file, skipped
    {"BBB", true, 0, 200, 0},
    {"", false, 0, 0, 0},  // unused
    {"*0", true, 0, 3, 0},
    {"CCCCCC", true, 9, 0x7F, 0},  // stored longer than the file
    {"*2", true, 0, 1, 0x01020304},
};
constexpr int kPlannedRows = 7;

struct Combination {
    int indexWidth, aliasWidth, mostSignificantFirst, indexMode, output, align;
};

class PackReader : public ::testing::Test {
protected:
    // Packs kRows with `c` and reads the outputs back: the data file and,
    // for a separate index, the header.
    // The inputs are written once: rewriting a file, like replacing an
    // output, waits for the disk on some file systems, and 480 packs would
    // take seconds.
    void SetUp() override
    {
        for (int row = 0; row < kPlannedRows; ++row) {
            const char *content = kRows[row].content;
            if (content != nullptr && content[0] != '*') {
                WriteFile(folder_ / ("in" + std::to_string(row)), content);
            }
        }
    }
    void Pack(const Combination &c, std::string &data, std::string &header)
    {
        fs::remove(folder_ / "pack.dat");
        fs::remove(folder_ / "pack.idx");
        Block block(kPlannedRows);
        for (int row = 0; row < kPlannedRows; ++row) {
            const RowPlan &plan = kRows[row];
            std::string name = plan.content == nullptr  ? (folder_ / "missing").string()
                               : plan.content[0] == '*' ? plan.content
                                                        : (folder_ / ("in" + std::to_string(row))).string();
            block.UseFile(row, name, plan.filesize);
            block.Row(row).use = plan.used ? 1 : 0;
            block.Row(row).alias = plan.alias;
            block.Row(row).aliashigh = plan.aliashigh;
        }
        block->indexbyte = c.indexWidth;
        block->usealias = c.aliasWidth;
        block->changeendian = c.mostSignificantFirst;
        block->indexmode = c.indexMode;
        block->indexout = c.output;
        block->dataalign = c.align;
        block->indexinterval = 4;
        block->skipnofile = 1;
        block.SetText(block->workdir, sizeof block->workdir, folder_.Path().string() + "/");
        block.SetData(folder_ / "pack.dat");
        block.SetHeader(folder_ / "pack.idx");
        ASSERT_CODE(VORL_OK, block.Convert());
        data = ReadFile(folder_ / "pack.dat");
        header = c.output == VORL_INDEX_BINARY ? ReadFile(folder_ / "pack.idx") : std::string();
    }
    TempFolder folder_;
};

std::string Describe(const Combination &c)
{
    return "index " + std::to_string(c.indexWidth) + ", alias " + std::to_string(c.aliasWidth) + ", msb " +
           std::to_string(c.mostSignificantFirst) + ", mode " + std::to_string(c.indexMode) + ", output " +
           std::to_string(c.output) + ", align " + std::to_string(c.align);
}

TEST_F(PackReader, EveryCombinationReadsBackRowByRow)
{
    for (int indexWidth : {1, 2, 4, 8})
        for (int aliasWidth : {0, 1, 2, 4, 8})
            for (int msb : {0, 1})
                for (int indexMode : {0, 1})
                    for (int output : {VORL_INDEX_IN_DATA, VORL_INDEX_BINARY})
                        for (int align : {1, 4, 4096}) {
                            const Combination c{indexWidth, aliasWidth, msb, indexMode, output, align};
                            SCOPED_TRACE(Describe(c));
                            std::string data, header;
                            Pack(c, data, header);
                            if (HasFatalFailure()) {
                                return;
                            }
                            VorlReaderIndex index;
                            const void *body = nullptr;
                            if (output == VORL_INDEX_IN_DATA) {
                                ASSERT_EQ(VORL_READER_OK, VorlReaderOpenPack(&index, data.data(), data.size()));
                            } else {
                                ASSERT_EQ(VORL_READER_OK,
                                          VorlReaderOpen(&index, header.data(), header.size(), data.size()));
                                EXPECT_EQ(header.size(), index.tableSize);
                                body = data.data();
                            }
                            // The rows: the entries rounded up to the interval, the end row of
                            // running offsets, then room for the alias table's alignment.
                            uint64_t rows = RoundUp(kPlannedRows, 4) + (indexMode == 0 ? 1 : 0);
                            if (aliasWidth > indexWidth) {
                                rows = RoundUp(rows, static_cast<uint64_t>(aliasWidth / indexWidth));
                            }
                            ASSERT_EQ(rows, VorlReaderRowCount(&index));
                            EXPECT_EQ(static_cast<unsigned>(indexWidth), VorlReaderIndexWidth(&index));
                            EXPECT_EQ(static_cast<unsigned>(aliasWidth), VorlReaderAliasWidth(&index));
                            EXPECT_EQ(msb, VorlReaderMostSignificantFirst(&index));
                            EXPECT_EQ(static_cast<size_t>(align), VorlReaderAlignment(&index));
                            EXPECT_EQ(indexMode == 0 ? 1 : 0, VorlReaderRunningOffsets(&index));
                            EXPECT_EQ(output == VORL_INDEX_BINARY ? 1 : 0, index.separate);
                            EXPECT_EQ(output == VORL_INDEX_BINARY ? 0u : data.size() - VorlReaderBodySize(&index),
                                      VorlReaderBodyStart(&index));

                            VorlReaderCursor cursor;
                            VorlReaderStartRows(&cursor);
                            uint64_t nextOffset = 0;
                            std::vector<uint64_t> offsets(kPlannedRows, 0);
                            for (size_t row = 0; row < rows; ++row) {
                                SCOPED_TRACE("row " + std::to_string(row));
                                VorlReaderEntry entry, walked;
                                ASSERT_EQ(VORL_READER_OK, VorlReaderRow(&index, row, &entry));
                                ASSERT_EQ(1, VorlReaderNextRow(&index, &cursor, &walked));
                                EXPECT_TRUE(SameEntry(entry, walked)) << "a walk reads as single rows do";
                                const RowPlan *plan = row < kPlannedRows ? &kRows[row] : nullptr;
                                const bool stored = plan != nullptr && plan->used && plan->content != nullptr &&
                                                    plan->content[0] != '*';
                                const bool shares = plan != nullptr && plan->used && plan->content != nullptr &&
                                                    plan->content[0] == '*';
                                EXPECT_EQ(stored || shares, entry.hasData != 0);
                                if (aliasWidth != 0) {
                                    uint64_t alias = plan == nullptr ? 0 : plan->alias;
                                    if (aliasWidth == 8 && plan != nullptr) {
                                        alias |= uint64_t{plan->aliashigh} << 32;
                                    } else if (aliasWidth < 8) {
                                        alias &= (uint64_t{1} << (8 * aliasWidth)) - 1;
                                    }
                                    EXPECT_EQ(alias, entry.alias);
                                    if (row == 0 && aliasWidth < 8) {
                                        EXPECT_EQ(-1, VorlReaderSignedAlias(&index, entry.alias));
                                    }
                                }
                                const unsigned char *item = nullptr;
                                size_t itemSize = 0;
                                int itemStatus = VorlReaderItem(&index, body, row, &item, &itemSize);
                                if (!entry.hasData) {
                                    EXPECT_EQ(VORL_READER_NO_DATA, itemStatus);
                                    continue;
                                }
                                ASSERT_EQ(VORL_READER_OK, itemStatus);
                                if (stored) {
                                    std::string content = plan->content;
                                    uint64_t size = RoundUp(std::max<uint64_t>(content.size(), plan->filesize), align);
                                    EXPECT_EQ(row, entry.owner);
                                    EXPECT_EQ(nextOffset, entry.offset);
                                    EXPECT_EQ(size, entry.size);
                                    offsets[row] = nextOffset;
                                    nextOffset += size;
                                    std::string bytes(reinterpret_cast<const char *>(item), itemSize);
                                    EXPECT_EQ(content + std::string(size - content.size(), '\0'), bytes);
                                } else {
                                    size_t target = static_cast<size_t>(std::stoi(plan->content + 1));
                                    VorlReaderEntry shared;
                                    ASSERT_EQ(VORL_READER_OK, VorlReaderRow(&index, target, &shared));
                                    EXPECT_EQ(target, entry.owner);
                                    EXPECT_EQ(offsets[target], entry.offset);
                                    EXPECT_EQ(shared.size, entry.size);
                                }
                            }
                            EXPECT_EQ(nextOffset, VorlReaderBodySize(&index)) << "the items fill the body";
                            VorlReaderEntry past;
                            EXPECT_EQ(0, VorlReaderNextRow(&index, &cursor, &past));
                            EXPECT_EQ(VORL_READER_ERR_ROW, VorlReaderRow(&index, rows, &past));
                        }
}

// The one reading the format leaves open, as documented: with running
// offsets a row sharing its direct neighbour looks like a row without data
// followed by the item. The all-ones value for rows without data reads it
// as written.
TEST_F(PackReader, ARunningRowSharingItsNeighbourReadsAsARowWithoutData)
{
    WriteFile(folder_ / "a", "AAAA");
    for (int indexMode : {0, 1}) {
        Block block(2);
        block.UseFile(0, (folder_ / "a").string());
        block.UseFile(1, "*0");
        block->indexmode = indexMode;
        block.SetText(block->workdir, sizeof block->workdir, folder_.Path().string() + "/");
        block.SetData(folder_ / "pack.dat");
        ASSERT_CODE(VORL_OK, block.Convert());
        std::string pack = ReadFile(folder_ / "pack.dat");
        VorlReaderIndex index;
        ASSERT_EQ(VORL_READER_OK, VorlReaderOpenPack(&index, pack.data(), pack.size()));
        VorlReaderEntry first{}, second{};
        ASSERT_EQ(VORL_READER_OK, VorlReaderRow(&index, 0, &first));
        ASSERT_EQ(VORL_READER_OK, VorlReaderRow(&index, 1, &second));
        EXPECT_EQ(indexMode == 1, first.hasData != 0);
        EXPECT_EQ(1, second.hasData);
        EXPECT_EQ(indexMode == 1 ? 0u : 1u, second.owner);
        EXPECT_EQ(4u, second.size);
    }
}

// A running pack notices every cut: the end row then points past the body.
TEST_F(PackReader, EveryCutOfAPackOrItsIndexIsRefused)
{
    for (int output : {VORL_INDEX_IN_DATA, VORL_INDEX_BINARY}) {
        std::string data, header;
        Pack({2, 1, 0, 0, output, 4}, data, header);
        ASSERT_FALSE(HasFatalFailure());
        VorlReaderIndex index;
        const std::string &cut = output == VORL_INDEX_IN_DATA ? data : header;
        for (size_t length = 0; length < cut.size(); ++length) {
            // Copied, so that a read past the cut is one past the buffer.
            std::vector<unsigned char> bytes(cut.begin(), cut.begin() + static_cast<std::ptrdiff_t>(length));
            int status = output == VORL_INDEX_IN_DATA ? VorlReaderOpenPack(&index, bytes.data(), length)
                                                      : VorlReaderOpen(&index, bytes.data(), length, data.size());
            EXPECT_LT(status, 0) << "cut at " << length;
            EXPECT_EQ(0u, VorlReaderRowCount(&index));
        }
        if (output == VORL_INDEX_BINARY) {
            for (size_t body = 0; body < data.size(); ++body) {
                EXPECT_LT(VorlReaderOpen(&index, header.data(), header.size(), body), 0) << "body of " << body;
            }
        }
    }
}

TEST_F(PackReader, BentHeadsAreRefused)
{
    std::string data, header;
    Pack({4, 0, 0, 0, VORL_INDEX_IN_DATA, 1}, data, header);
    ASSERT_FALSE(HasFatalFailure());
    VorlReaderIndex index;
    ASSERT_EQ(VORL_READER_OK, VorlReaderOpenPack(&index, data.data(), data.size()));
    EXPECT_EQ(0, std::memcmp(index.id, "Vorl", 4));
    size_t indexSize = 0;
    ASSERT_EQ(VORL_READER_OK, VorlReaderIndexSize(data.data(), 8, &indexSize));
    EXPECT_EQ(VorlReaderBodyStart(&index), indexSize);
    ASSERT_EQ(VORL_READER_OK, VorlReaderOpenPackHead(&index, data.data(), indexSize, data.size()));
    EXPECT_EQ(nullptr, index.body);

    struct Bend {
        size_t at;
        int value;
        int status;
    };
    const Bend bends[] = {
        {6, 0x80, VORL_READER_ERR_FORMAT},    {7, 0x01, VORL_READER_ERR_FORMAT},
        {7, 0x04, VORL_READER_ERR_FORMAT},    {7, 0x02, VORL_READER_ERR_FORMAT},
        {7, 0x80, VORL_READER_ERR_FORMAT},    {7, 0x08, VORL_READER_ERR_FORMAT},  // an alias width without the table
        {7, 0x40, VORL_READER_ERR_KIND},      {4, 0x00, VORL_READER_ERR_FORMAT},  // no rows
        {4, 0x30, VORL_READER_ERR_SHORT},     {5, 0x01, VORL_READER_ERR_SHORT},   // rows beyond the file
        {6, 0x02, VORL_READER_ERR_BODY_SIZE},                                     // alignment 4
        {8, 0x7F, VORL_READER_ERR_OUTSIDE},                                       // row 0 past the end
    };
    for (const Bend &bend : bends) {
        std::string bent = data;
        bent[bend.at] = static_cast<char>(bend.at == 6 || bend.at == 7 ? bent[bend.at] | bend.value : bend.value);
        if (bend.at == 4 && bend.value == 0) {
            bent[5] = 0;
        }
        EXPECT_EQ(bend.status, VorlReaderOpenPack(&index, bent.data(), bent.size())) << bend.at << " " << bend.value;
    }
    EXPECT_EQ(VORL_READER_ERR_KIND, VorlReaderOpen(&index, data.data(), data.size(), 0));
    EXPECT_EQ(VORL_READER_ERR_ARGUMENT, VorlReaderOpenPack(&index, nullptr, 0));
    EXPECT_EQ(VORL_READER_ERR_ARGUMENT, VorlReaderOpenPackHead(&index, data.data(), data.size(), 8));
    EXPECT_STREQ("no such row", VorlReaderErrorText(VORL_READER_ERR_ROW));
}

}  // namespace
}  // namespace vorl::test
