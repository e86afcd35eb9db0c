// The converter result cache: a row's converter runs again exactly when its
// template text or its input's bytes changed, never for a moved input; a
// damaged entry is noticed and made again; two processes may share one
// folder; the folder keeps to its size limit, least recently used out
// first; a failed converter leaves nothing behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "editor/project_files.h"
#include "test_support.h"

namespace vorl::test {
namespace {

using namespace std::chrono_literals;

// The files of `folder` whose names end in `ending`, in name order.
std::vector<fs::path> FilesEndingIn(const fs::path &folder, const std::string &ending)
{
    std::vector<fs::path> found;
    for (const auto &entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
            found.push_back(entry.path());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

uint64_t EntryBytes(const fs::path &cache)
{
    uint64_t total = 0;
    for (const fs::path &entry : FilesEndingIn(cache, ".vorlcache")) {
        total += fs::file_size(entry);
    }
    return total;
}

size_t LineCount(const fs::path &file)
{
    const std::string text = ReadFile(file);
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Distinct text of exactly `size` bytes, lowercase so that the converter's
// upper-casing changes every item.
std::string TextOf(const std::string &name, size_t size)
{
    std::string text;
    while (text.size() < size) {
        text += "text of " + name + "\n";
    }
    text.resize(size);
    return text;
}

// ---------------------------------------------------------------------------
// Through the library: a block with four converted rows, one stored as it
// is and one sharing row 0's item. The parameter is the number of jobs.

class CachedBlock : public InOwnFolder, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override
    {
        InOwnFolder::SetUp();
        fs::create_directory(folder_ / "in");
        fs::create_directory(folder_ / "work");
        for (const char *name : kNames) {
            if (*name != '*') {
                WriteFile(folder_ / "in" / name, TextOf(name, 300));
            }
        }
        workbase_ = (folder_ / "work").string();
        cache_ = (folder_ / "cache").string();
    }

    static constexpr const char *kNames[] = {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt", "*0"};
    static constexpr int kSlots[] = {1, 1, 0, 1, 1, 0};

    // Logs one line per run, then upper-cases its input.
    std::string Logging(const std::string &tail = "") const
    {
        return "echo x >> \"" + Log().string() + R"("; tr a-z A-Z < "$I" > "$O")" + tail;
    }
    Block Rows(const std::string &convert)
    {
        Block block(6);
        block.SetConverter(1, convert);
        NameRows(block, "in");
        block->indexout = VORL_INDEX_C_HEADER;
        block->dataalign = 4;
        block.SetText(block->label, sizeof block->label, "Packed");
        block.SetText(block->type[2], sizeof block->type[2], "static unsigned int");
        block.SetData("out.dat");
        block.SetHeader("out.h");
        return block;
    }
    static void NameRows(Block &block, const std::string &folder)
    {
        for (int row = 0; row < 6; ++row) {
            const std::string name = kNames[row];
            block.UseFile(row, name[0] == '*' ? name : folder + "/" + name);
            block.Row(row).convertnum = kSlots[row];
        }
    }
    // Writes the outputs afresh, with or without the cache.
    int Convert(Block &block, bool cached)
    {
        fs::remove(folder_ / "out.dat");
        fs::remove(folder_ / "out.h");
        options_ = VorlConvertOptions{};
        options_.size = sizeof options_;
        options_.workbase = workbase_.c_str();
        options_.jobs = GetParam();
        options_.cachedir = cached ? cache_.c_str() : nullptr;
        return VorlConvertWithOptions(&block.Info(), nullptr, &options_);
    }
    // A cached run packs what a run without the cache packs, running
    // `converted` converters.
    void ExpectCachedPackSame(Block &block, size_t converted)
    {
        ASSERT_CODE(VORL_OK, Convert(block, false));
        const std::string data = Data(), header = Header();
        const size_t before = Logged();
        ASSERT_CODE(VORL_OK, Convert(block, true));
        EXPECT_EQ(converted, Logged() - before);
        EXPECT_EQ(Hex(data), Hex(Data()));
        EXPECT_EQ(header, Header());
    }
    std::string Data() const { return ReadFile(folder_ / "out.dat"); }
    std::string Header() const { return ReadFile(folder_ / "out.h"); }
    fs::path Log() const { return folder_ / "log"; }
    fs::path Cache() const { return folder_ / "cache"; }
    size_t Logged() const { return LineCount(Log()); }

    std::string workbase_;
    std::string cache_;
    VorlConvertOptions options_{};
};

TEST_P(CachedBlock, ConverterRunsAgainOnlyForChangedBytesOrTemplate)
{
    Block block = Rows(Logging());
    const struct {
        const char *what;
        std::function<void()> change;
        size_t converted;
    } steps[] = {
        {"first run", [] {}, 4},
        {"second run", [] {}, 0},
        {"one input changed", [&] { WriteFile(folder_ / "in/d.txt", TextOf("changed d", 280)); }, 1},
        {"a blank added to the template", [&] { block.SetConverter(1, Logging(" ")); }, 4},
        {"a comment added instead", [&] { block.SetConverter(1, Logging(" # again")); }, 4},
        {"the inputs copied to another folder",
         [&] {
             fs::copy(folder_ / "in", folder_ / "moved");
             NameRows(block, "moved");
         },
         0},
        {"the first template again", [&] { block.SetConverter(1, Logging()); }, 0},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        ExpectCachedPackSame(block, step.converted);
        EXPECT_NE(std::string::npos, Data().find("TEXT OF B.TXT\n"));
    }
    EXPECT_EQ(13u, FilesEndingIn(Cache(), ".vorlcache").size());
    EXPECT_TRUE(FilesEndingIn(Cache(), ".tmp").empty());
}

TEST_P(CachedBlock, DamagedEntryIsConvertedAgainAndMadeAgain)
{
    const struct {
        const char *what;
        std::function<void(std::string &)> damage;
    } damages[] = {
        {"a byte of the output flipped", [](std::string &bytes) { bytes[10] ^= 0x20; }},
        {"a byte of the checksum flipped", [](std::string &bytes) { bytes.back() ^= 0x01; }},
        {"cut to half", [](std::string &bytes) { bytes.resize(bytes.size() / 2); }},
        {"cut to a few bytes", [](std::string &bytes) { bytes.resize(5); }},
        {"emptied", [](std::string &bytes) { bytes.clear(); }},
        {"a byte appended", [](std::string &bytes) { bytes.push_back('\n'); }},
    };
    Block block = Rows(Logging());
    ASSERT_CODE(VORL_OK, Convert(block, false));
    const std::string data = Data(), header = Header();
    for (const auto &damage : damages) {
        SCOPED_TRACE(damage.what);
        fs::remove_all(Cache());
        ASSERT_CODE(VORL_OK, Convert(block, true));
        const std::vector<fs::path> entries = FilesEndingIn(Cache(), ".vorlcache");
        ASSERT_EQ(4u, entries.size());
        const std::string intact = ReadFile(entries[1]);
        std::string bytes = intact;
        damage.damage(bytes);
        WriteFile(entries[1], bytes);

        size_t before = Logged();
        ASSERT_CODE(VORL_OK, Convert(block, true));
        EXPECT_EQ(1u, Logged() - before);
        EXPECT_EQ(Hex(data), Hex(Data()));
        EXPECT_EQ(header, Header());
        EXPECT_EQ(Hex(intact), Hex(ReadFile(entries[1])));
        EXPECT_EQ(entries, FilesEndingIn(Cache(), ".vorlcache"));

        before = Logged();
        ASSERT_CODE(VORL_OK, Convert(block, true));
        EXPECT_EQ(0u, Logged() - before);
        EXPECT_EQ(Hex(data), Hex(Data()));
    }
}

// The key of an input whose times have settled is remembered by the
// input's version. A rewrite of the same length changes the version; a
// damaged memo, or one taken from another input, is never believed.
TEST_P(CachedBlock, RememberedKeysFollowEveryChangeOfTheInput)
{
    Block block = Rows(Logging());
    ASSERT_CODE(VORL_OK, Convert(block, true));
    EXPECT_TRUE(FilesEndingIn(Cache(), ".vorlkey").empty()) << "inputs written a moment ago";
    std::this_thread::sleep_for(2100ms);
    ASSERT_CODE(VORL_OK, Convert(block, true));
    const std::vector<fs::path> memos = FilesEndingIn(Cache(), ".vorlkey");
    ASSERT_EQ(4u, memos.size());
    const struct {
        const char *what;
        std::function<void()> change;
        size_t converted;
    } steps[] = {
        {"nothing changed", [] {}, 0},
        {"one input rewritten with as many bytes", [&] { WriteFile(folder_ / "in/d.txt", TextOf("D", 300)); }, 1},
        {"every memo emptied",
         [&] {
             for (const fs::path &memo : memos)
                 WriteFile(memo, "");
         },
         0},
        {"a byte of every memo flipped",
         [&] {
             for (const fs::path &memo : FilesEndingIn(Cache(), ".vorlkey")) {
                 std::string bytes = ReadFile(memo);
                 bytes[3] ^= 0x01;
                 WriteFile(memo, bytes);
             }
         },
         0},
        {"one memo in the place of every other",
         [&] {
             const std::vector<fs::path> now = FilesEndingIn(Cache(), ".vorlkey");
             for (const fs::path &memo : now) {
                 WriteFile(memo, ReadFile(now.front()));
             }
         },
         0},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        ExpectCachedPackSame(block, step.converted);
    }
}

// An entry on another file system than the working files cannot lend its
// bytes by a second name: it is copied, and packs the same.
TEST_P(CachedBlock, CacheOnAnotherFileSystemPacksTheSame)
{
    struct stat here {
    }, there{};
    if (::stat("/dev/shm", &there) != 0 || ::stat(folder_.Path().c_str(), &here) != 0 || here.st_dev == there.st_dev) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    char name[] = "/dev/shm/vorl-cache-XXXXXX";
    ASSERT_NE(nullptr, ::mkdtemp(name));
    cache_ = name;
    Block block = Rows(Logging());
    ASSERT_CODE(VORL_OK, Convert(block, false));
    const std::string data = Data(), header = Header();
    for (size_t expected : {4u, 0u}) {
        const size_t before = Logged();
        EXPECT_CODE(VORL_OK, Convert(block, true));
        EXPECT_EQ(expected, Logged() - before);
        EXPECT_EQ(Hex(data), Hex(Data()));
        EXPECT_EQ(header, Header());
    }
    EXPECT_EQ(std::vector<fs::path>{}, FilesEndingIn(folder_ / "work", ""));
    fs::remove_all(name);
}

// A converter that fails, even after writing its output, or that succeeds
// without writing anything, leaves no entry: the next run converts again.
TEST_P(CachedBlock, FailedConverterStoresNothing)
{
    const struct {
        const char *what;
        std::string tail;
        int code;
    } cases[] = {
        {"exit status 1", "; exit 1", VORL_ERR_EXTERNAL_COMMAND},
        {"killed by a signal", "; kill -9 $$$$", VORL_ERR_EXTERNAL_COMMAND},
        {"no output", R"(; : > "$O")", VORL_ERR_FILE_NOT_FOUND},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Cache());
        Block block = Rows(Logging(c.tail));
        for (int run = 0; run < 2; ++run) {
            const size_t before = Logged();
            EXPECT_CODE(c.code, Convert(block, true));
            EXPECT_LE(1u, Logged() - before) << "run " << run;
            EXPECT_TRUE(FilesEndingIn(Cache(), ".vorlcache").empty()) << "run " << run;
            EXPECT_TRUE(FilesEndingIn(Cache(), ".tmp").empty()) << "run " << run;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, CachedBlock, ::testing::Values(1, 2),
                         [](const ::testing::TestParamInfo<int> &info) { return "Jobs" + std::to_string(info.param); });

// ---------------------------------------------------------------------------
// Through vorlcnv: a project in prj/, its inputs beside it.

class CachedProject : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(folder_ / "prj"); }

    // A project of one converted row per input, each `size` bytes.
    void WriteProject(const std::vector<std::string> &names, const std::string &convert, size_t size)
    {
        std::string rows;
        for (size_t row = 0; row < names.size(); ++row) {
            if (!fs::exists(folder_ / "prj" / names[row])) {
                WriteFile(folder_ / "prj" / names[row], TextOf(names[row], size));
            }
            rows += "\t<index num='" + std::to_string(row) + "' use='true'><filename>" + names[row] +
                    "</filename><convertnum>1</convertnum></index>\n";
        }
        WriteFile(folder_ / "prj/game.vorlprj",
                  "<?xml version='1.0' encoding='utf-8'?>\n<VorlProject version='400'>\n<header>\n"
                  "\t<headerid>Vorl</headerid><indexnum>" +
                      std::to_string(names.size()) +
                      "</indexnum><indexout>outtext</indexout>\n"
                      "\t<indexmode>false</indexmode><indexbyte>4</indexbyte><indexinterval>1</indexinterval>\n"
                      "\t<dataalign>4</dataalign><pathmode>relative</pathmode><skipnofile>false</skipnofile>\n"
                      "\t<label>Packed</label><type num='3'>static const unsigned int</type>\n"
                      "\t<convert num='1'>" +
                      vorlmake::test::XmlEscaped(convert) + "</convert>\n</header>\n" + rows + "</VorlProject>\n");
    }
    std::string Logging() const
    {
        return "echo x >> \"" + (folder_ / "log").string() + R"("; tr a-z A-Z < "$I" > "$O")";
    }
    ProgramResult Vorlcnv(const std::vector<std::string> &arguments,
                          const std::vector<std::pair<std::string, std::string>> &environment = {})
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), environment);
    }
    ProgramResult Pack(const std::vector<std::pair<std::string, std::string>> &environment,
                       const std::vector<std::string> &more = {"--cache", "cache"})
    {
        std::vector<std::string> arguments{"--project", "prj/game.vorlprj", "--data", "out.dat", "--header", "out.h"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Vorlcnv(arguments, environment);
    }
    // Started at once with others; standard error goes to `errors`.
    pid_t Start(const std::vector<std::string> &arguments, const fs::path &errors)
    {
        std::vector<char *> argv{const_cast<char *>(VORLCNV_PROGRAM)};
        for (const std::string &argument : arguments) {
            argv.push_back(const_cast<char *>(argument.c_str()));
        }
        argv.push_back(nullptr);
        pid_t child = fork();
        if (child == 0) {
            int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            int none = open("/dev/null", O_RDWR);
            dup2(err, 2);
            dup2(none, 1);
            dup2(none, 0);
            if (chdir(folder_.Path().c_str()) != 0) {
                _exit(120);
            }
            execv(VORLCNV_PROGRAM, argv.data());
            _exit(121);
        }
        return child;
    }
    static int WaitFor(pid_t child)
    {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }
    fs::path Cache() const { return folder_ / "cache"; }
    size_t Logged() const { return LineCount(folder_ / "log"); }

    TempFolder folder_;
};

TEST_F(CachedProject, TwoProcessesShareOneFolder)
{
    std::vector<std::string> names;
    for (int row = 0; row < 8; ++row) {
        names.push_back("in" + std::to_string(row) + ".txt");
    }
    WriteProject(names, R"(sleep 0.05; tr a-z A-Z < "$I" > "$O")", 2000);
    ProgramResult plain = Pack({}, {});
    ASSERT_EQ(0, plain.status) << plain.err;
    const std::string data = ReadFile(folder_ / "prj/out.dat"), header = ReadFile(folder_ / "prj/out.h");
    for (const char *round : {"empty cache", "filled cache"}) {
        SCOPED_TRACE(round);
        const std::string outputs[] = {"one", "two"};
        std::vector<pid_t> started;
        for (const std::string &output : outputs) {
            started.push_back(Start({"--project", "prj/game.vorlprj", "--data", output + ".dat", "--header",
                                     output + ".h", "--cache", "cache", "-j2"},
                                    folder_ / (output + ".err")));
        }
        for (size_t i = 0; i < started.size(); ++i) {
            const std::string &output = outputs[i];
            EXPECT_EQ(0, WaitFor(started[i])) << ReadFile(folder_ / (output + ".err"));
            EXPECT_EQ(Hex(data), Hex(ReadFile(folder_ / "prj" / (output + ".dat")))) << output;
            EXPECT_EQ(header, ReadFile(folder_ / "prj" / (output + ".h"))) << output;
        }
        EXPECT_EQ(8u, FilesEndingIn(Cache(), ".vorlcache").size());
        EXPECT_EQ(std::vector<fs::path>{}, FilesEndingIn(Cache(), ".tmp"));
    }
    // Both processes of both rounds counted every row; the second round hit.
    ProgramResult stats = Vorlcnv({"--cache-stats", "cache"});
    ASSERT_EQ(0, stats.status) << stats.err;
    unsigned long long hits = 0, misses = 0;
    ASSERT_EQ(2,
              std::sscanf(stats.out.substr(stats.out.find("hits:")).c_str(), "hits: %llu misses: %llu", &hits, &misses))
        << stats.out;
    EXPECT_EQ(32u, hits + misses) << stats.out;
    EXPECT_LE(16u, hits) << stats.out;
}

// Entries of exactly 1 KiB (1,008 bytes of output and the checksum) in a
// folder of 4 KiB. Which entry is least recently used is told apart within
// one second too: b and c were made within the same second, the one whose
// name sorts first the later, and a hit since made a the most recent.
TEST_F(CachedProject, SizeLimitRemovesTheLeastRecentlyUsed)
{
    const std::vector<std::pair<std::string, std::string>> limit{{"VORL_CACHE_MAX", "4K"}};
    std::map<std::string, fs::path> entryOf;
    for (const char *name : {"a", "b", "c"}) {
        const std::vector<fs::path> old =
            fs::exists(Cache()) ? FilesEndingIn(Cache(), ".vorlcache") : std::vector<fs::path>{};
        WriteProject({name}, Logging(), 1008);
        ProgramResult result = Pack({});
        ASSERT_EQ(0, result.status) << result.err;
        const std::vector<fs::path> now = FilesEndingIn(Cache(), ".vorlcache");
        ASSERT_EQ(old.size() + 1, now.size());
        for (const fs::path &entry : now) {
            if (std::find(old.begin(), old.end(), entry) == old.end()) {
                entryOf[name] = entry;
            }
        }
    }
    ASSERT_EQ(3u, Logged());
    ASSERT_EQ(3u * 1024, EntryBytes(Cache()));
    const auto second = std::chrono::time_point_cast<std::chrono::seconds>(fs::file_time_type::clock::now() - 2h);
    const bool bFirst = entryOf["b"] < entryOf["c"];
    const fs::path newer = bFirst ? entryOf["b"] : entryOf["c"], older = bFirst ? entryOf["c"] : entryOf["b"];
    fs::last_write_time(entryOf["a"], second + 100ms);
    fs::last_write_time(older, second + 300ms);
    fs::last_write_time(newer, second + 700ms);

    WriteProject({"a"}, Logging(), 1008);
    ProgramResult result = Pack({{"VORL_CACHE_DIR", "cache"}}, {});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(3u, Logged());

    WriteProject({"d", "e"}, Logging(), 1008);
    result = Pack(limit);
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(5u, Logged());
    EXPECT_EQ(4u * 1024, EntryBytes(Cache()));
    EXPECT_FALSE(fs::exists(older));
    EXPECT_TRUE(fs::exists(newer));
    EXPECT_TRUE(fs::exists(entryOf["a"]));

    WriteProject({"a", "b", "c", "d", "e"}, Logging(), 1008);
    result = Pack(limit);
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ(6u, Logged());
    EXPECT_EQ(4u * 1024, EntryBytes(Cache()));

    ProgramResult stats = Vorlcnv({"--cache-stats", "cache"});
    EXPECT_EQ(0, stats.status) << stats.err;
    EXPECT_NE(std::string::npos, stats.out.find("entries: 4\nsize:    4096 bytes")) << stats.out;
    EXPECT_NE(std::string::npos, stats.out.find("\nhits:    5\nmisses:  6\n")) << stats.out;
}

TEST_F(CachedProject, SizesAndFoldersVorlcnvRefuses)
{
    WriteProject({"a"}, Logging(), 100);
    const struct {
        const char *limit;
        int status;
    } limits[] = {{"1x", 64}, {"0", 64}, {"K", 64}, {"-1", 64}, {"1.5M", 64}, {"4k", 0}, {"1M", 0}, {"4096", 0}};
    for (const auto &l : limits) {
        SCOPED_TRACE(l.limit);
        fs::remove(folder_ / "prj/out.dat");
        ProgramResult result = Pack({{"VORL_CACHE_MAX", l.limit}});
        EXPECT_EQ(l.status, result.status) << result.err;
        EXPECT_EQ(l.status == 0, fs::exists(folder_ / "prj/out.dat"));
        if (l.status != 0) {
            EXPECT_NE(std::string::npos, result.err.find("VORL_CACHE_MAX")) << result.err;
        }
    }
    EXPECT_EQ(66, Vorlcnv({"--cache-stats", "no such folder"}).status);
    EXPECT_EQ(64, Vorlcnv({"--cache-stats"}).status);
}

}  // namespace
}  // namespace vorl::test
