// Converters side by side and a progress callback that may stop the run:
// the pack must not depend on how many converters ran at once or on the
// order in which they finished, and a failed or stopped run must leave the
// previous outputs and the folders exactly as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"

namespace vorl::test {
namespace {

std::set<std::string> Listing(const fs::path &folder)
{
    std::set<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

struct Seen {
    int32_t done;
    int32_t count;
    std::string input;
    uint64_t bytes;
};

struct Recorder {
    std::vector<Seen> calls;
    int32_t stopAt = -1;
    static int Note(void *context, const VorlProgress *progress)
    {
        auto *self = static_cast<Recorder *>(context);
        self->calls.push_back({progress->rowsdone, progress->rowcount, progress->input, progress->byteswritten});
        return progress->rowsdone == self->stopAt ? 1 : 0;
    }
};

class Parallel : public InOwnFolder {
protected:
    void SetUp() override
    {
        InOwnFolder::SetUp();
        fs::create_directory(Work());
        for (const char *name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
            WriteFile(folder_ / name, std::string("text of ") + name + "\n");
        }
        workbase_ = Work().string();
    }
    fs::path Work() const { return folder_ / "work"; }
    int Convert(Block &block, int jobs, Recorder *recorder = nullptr)
    {
        options_ = VorlConvertOptions{};
        options_.size = sizeof options_;
        options_.workbase = workbase_.c_str();
        options_.jobs = jobs;
        if (recorder != nullptr) {
            options_.progress = &Recorder::Note;
            options_.progresscontext = recorder;
        }
        return VorlConvertWithOptions(&block.Info(), nullptr, &options_);
    }
    // Every kind of row; the slow converters come first so that with
    // several jobs later rows are done before earlier ones.
    Block Mixed(int indexout)
    {
        Block block(9);
        block.SetConverter(1, R"(tr a-z A-Z < "$I" > "$O")");
        block.SetConverter(2, R"(sleep 0.15; tr a-z A-Z < "$I" > "$O")");
        block.SetConverter(3, R"(sleep 0.05; tr a-z A-Z < "$I" > "$O")");
        const struct {
            const char *name;
            int slot;
        } rows[] = {{"a.txt", 2}, {"b.txt", 0}, {"c.txt", 1}, {"*0", 0}, {"missing.txt", 1},
                    {"", 0},      {"d.txt", 3}, {"e.txt", 1}, {"*6", 0}};
        for (int row = 0; row < 9; ++row) {
            if (*rows[row].name != '\0') {
                block.UseFile(row, rows[row].name);
                block.Row(row).convertnum = rows[row].slot;
            }
        }
        block.Row(7).filesize = 4;
        block->skipnofile = 1;
        block->dataalign = 4;
        block->indexout = indexout;
        block.SetText(block->label, sizeof block->label, "Packed");
        block.SetText(block->type[2], sizeof block->type[2], "static unsigned int");
        block.SetData("out.dat");
        block.SetHeader("out.h");
        return block;
    }
    std::string Outputs() const { return ReadFile(folder_ / "out.dat") + "|" + ReadFile(folder_ / "out.h"); }

    std::string workbase_;
    VorlConvertOptions options_{};
};

TEST_F(Parallel, EveryJobCountPacksTheSameBytesInEveryMode)
{
    for (int indexout : {0, 1, 2, 3}) {
        SCOPED_TRACE("indexout " + std::to_string(indexout));
        fs::remove(folder_ / "out.h");
        Block block = Mixed(indexout);
        ASSERT_CODE(VORL_OK, Convert(block, 1));
        const std::string expected = Outputs();
        EXPECT_NE(std::string::npos, expected.find("TEXT OF A.TXT\n"));
        EXPECT_NE(std::string::npos, expected.find(std::string("TEXT OF D.TXT\n\0\0TEXT", 20)));
        for (int jobs : {2, 8}) {
            SCOPED_TRACE("jobs " + std::to_string(jobs));
            fs::remove(folder_ / "out.dat");
            fs::remove(folder_ / "out.h");
            ASSERT_CODE(VORL_OK, Convert(block, jobs));
            EXPECT_EQ(Hex(expected), Hex(Outputs()));
            EXPECT_TRUE(fs::is_empty(Work()));
        }
    }
}

// Row 5 fails at once, row 2 only later: the report is row 2's whatever
// finished first.
TEST_F(Parallel, FailureIsTheFirstFailingRowsForEveryJobCount)
{
    Block block(7);
    block.SetConverter(1, R"(tr a-z A-Z < "$I" > "$O")");
    block.SetConverter(3, R"(sleep 0.15; exit 3)");
    block.SetConverter(4, R"(exit 5)");
    const char *names[] = {"a.txt", "b.txt", "c.txt", "d.txt", "*0", "e.txt", "a.txt"};
    const int slots[] = {1, 0, 3, 1, 0, 4, 1};
    for (int row = 0; row < 7; ++row) {
        block.UseFile(row, names[row]);
        block.Row(row).convertnum = slots[row];
    }
    block.SetData("out.dat");
    WriteFile(folder_ / "out.dat", "the previous pack");
    const std::set<std::string> before = Listing(folder_.Path());
    for (int jobs : {1, 2, 8}) {
        SCOPED_TRACE("jobs " + std::to_string(jobs));
        EXPECT_CODE(VORL_ERR_EXTERNAL_COMMAND, Convert(block, jobs));
        EXPECT_EQ(2, options_.failure.row);
        EXPECT_EQ(3, options_.failure.status);
        EXPECT_EQ(VORL_CAUSE_CONVERTER, options_.failure.cause);
        EXPECT_STREQ("c.txt", options_.failure.input);
        EXPECT_EQ("the previous pack", ReadFile(folder_ / "out.dat"));
        EXPECT_TRUE(fs::is_empty(Work()));
        EXPECT_EQ(before, Listing(folder_.Path()));
    }
}

// Stops before the first row, in the middle (with converters of later rows
// running) and once all rows are done, before anything is in place: with
// the all-ones mark no end entry follows, so that is the final call.
TEST_F(Parallel, StopFromTheCallbackLeavesEverythingAsItWas)
{
    for (int indexout : {0, 2}) {
        Block block = Mixed(indexout);
        block->indexmode = indexout == 2 ? 1 : 0;
        WriteFile(folder_ / "out.dat", "the previous pack");
        WriteFile(folder_ / "out.h", "the previous header");
        const std::set<std::string> before = Listing(folder_.Path());
        for (int jobs : {1, 3}) {
            for (int32_t stopAt : {0, 4, 9}) {
                SCOPED_TRACE("indexout " + std::to_string(indexout) + ", jobs " + std::to_string(jobs) + ", stop at " +
                             std::to_string(stopAt));
                Recorder recorder;
                recorder.stopAt = stopAt;
                EXPECT_CODE(VORL_ERR_CANCELLED, Convert(block, jobs, &recorder));
                ASSERT_FALSE(recorder.calls.empty());
                EXPECT_EQ(stopAt, recorder.calls.back().done);
                EXPECT_EQ(static_cast<size_t>(stopAt) + 1, recorder.calls.size());
                EXPECT_EQ("the previous pack", ReadFile(folder_ / "out.dat"));
                EXPECT_EQ("the previous header", ReadFile(folder_ / "out.h"));
                EXPECT_TRUE(fs::is_empty(Work()));
                EXPECT_EQ(before, Listing(folder_.Path()));
            }
        }
    }
}

// The index may have rows beyond the table's (the end entry, rows up to a
// multiple of the interval); the caller hears of the table's rows alone,
// each with its input, and of all of them done once, as the last call.
TEST_F(Parallel, CallbackSeesEveryRowOnceAndTheBytesGrow)
{
    Block plain = Mixed(VORL_INDEX_NONE);
    ASSERT_CODE(VORL_OK, Convert(plain, 1));
    const uint64_t body = fs::file_size(folder_ / "out.dat");
    const struct {
        int indexout;
        int interval;
    } shapes[] = {{VORL_INDEX_NONE, 1}, {VORL_INDEX_IN_DATA, 1}, {VORL_INDEX_NONE, 4}};
    for (const auto &shape : shapes) {
        for (int jobs : {1, 3}) {
            SCOPED_TRACE("indexout " + std::to_string(shape.indexout) + ", interval " + std::to_string(shape.interval) +
                         ", jobs " + std::to_string(jobs));
            Block block = Mixed(shape.indexout);
            block->indexinterval = shape.interval;
            Recorder recorder;
            ASSERT_CODE(VORL_OK, Convert(block, jobs, &recorder));
            EXPECT_EQ(10u, recorder.calls.size());
            ASSERT_LE(10u, recorder.calls.size());
            for (size_t call = 0; call < recorder.calls.size(); ++call) {
                const Seen &seen = recorder.calls[call];
                const int32_t row = std::min<int32_t>(static_cast<int32_t>(call), 9);
                EXPECT_EQ(row, seen.done) << "call " << call;
                EXPECT_EQ(9, seen.count) << "call " << call;
                EXPECT_EQ(row < 9 ? block.Row(row).filename : "", seen.input) << "call " << call;
                if (call > 0) {
                    EXPECT_LE(recorder.calls[call - 1].bytes, seen.bytes) << "call " << call;
                }
            }
            EXPECT_EQ(0u, recorder.calls[0].bytes);
            EXPECT_LT(0u, recorder.calls[1].bytes);
            EXPECT_EQ(body, recorder.calls.back().bytes);
        }
    }
}

}  // namespace
}  // namespace vorl::test
