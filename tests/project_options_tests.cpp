// The extension export given a project (`VorlConvertOptions::project`):
// the same conversion VorlConvertPrjFile makes, the caller's block left
// holding the project, what the caller filled in taking the project's
// place, and a project that cannot be read named in the failure report.
// Also the cache statistics a front end reads through the export.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"

#ifndef VORL_FIXTURES
#error "VORL_FIXTURES names the folder of the test fixtures"
#endif

namespace vorl::test {
namespace {

class ProjectOptions : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::copy(fs::path(VORL_FIXTURES) / "windows_project", Prj(), fs::copy_options::recursive);
        fs::create_directory(Work());
        std::memset(&options_, 0, sizeof options_);
        options_.size = sizeof options_;
        options_.workbase = work_.c_str();
        options_.fileread = &ProjectOptions::NoteRead;
        options_.filereadcontext = &read_;
    }
    fs::path Prj() const { return folder_ / "prj"; }
    fs::path Work() const { return folder_ / "work"; }
    static void NoteRead(void *context, const char *path, int32_t kind)
    {
        static_cast<std::vector<std::pair<std::string, int32_t>> *>(context)->emplace_back(path, kind);
    }
    bool HeardOf(const std::string &path, int32_t kind) const
    {
        for (const auto &[name, heard] : read_) {
            if (name == path && heard == kind) {
                return true;
            }
        }
        return false;
    }

    TempFolder folder_;
    std::string work_ = (folder_ / "work").string();
    VorlConvertOptions options_;
    std::vector<std::pair<std::string, int32_t>> read_;
};

void Store(char (&field)[VORL_PATH_SIZE], const std::string &text)
{
    ASSERT_LT(text.size(), sizeof field);
    std::memcpy(field, text.c_str(), text.size() + 1);
}

// Every way of giving the project makes the bytes VorlConvertPrjFile makes.
TEST_F(ProjectOptions, MakesWhatTheDescribedExportMakes)
{
    const std::string project = (Prj() / "game.vorlprj").string();
    ASSERT_CODE(VORL_OK, VorlConvertPrjFile(project.c_str(), "described.dat", nullptr, work_.c_str()));
    const std::string expected = ReadFile(Prj() / "described.dat");

    for (bool fullData : {false, true}) {
        SCOPED_TRACE(fullData ? "full data name" : "data name beside the project");
        const fs::path data = Prj() / (fullData ? "full.dat" : "beside.dat");
        VorlInformation info{};
        Store(info.datafile, fullData ? data.string() : data.filename().string());
        options_.project = project.c_str();
        int rc = VorlConvertWithOptions(&info, nullptr, &options_);
        // The block holds what the project says, with the caller's data file.
        EXPECT_STREQ("\x83\x51\x81\x5B\x83\x80\x8D\xF5\x88\xF8", info.label);  // ゲーム索引
        EXPECT_EQ(4, info.indexnum);
        EXPECT_EQ(Prj().string() + "/", std::string(info.prjdir));
        EXPECT_EQ(fullData ? data.string() : data.filename().string(), std::string(info.datafile));
        EXPECT_STREQ("", info.workdir);
        VorlReleaseInformation(&info);
        ASSERT_CODE(VORL_OK, rc);
        EXPECT_EQ(Hex(expected), Hex(ReadFile(data)));
        EXPECT_TRUE(HeardOf(project, VORL_READ_PROJECT));
        EXPECT_TRUE(fs::is_empty(Work()));
    }
}

// The caller's own folder for relative entries: a project written into
// another folder (the editor's run) still finds its entries where they are.
TEST_F(ProjectOptions, CallersFolderTakesThePlaceOfTheProjects)
{
    fs::create_directory(folder_ / "elsewhere");
    const fs::path moved = folder_ / "elsewhere" / "game.vorlprj";
    fs::copy_file(Prj() / "game.vorlprj", moved);
    VorlInformation info{};
    Store(info.prjdir, Prj().string() + "/");
    Store(info.datafile, (folder_ / "out.dat").string());
    options_.project = moved.c_str();
    ASSERT_CODE(VORL_OK, VorlConvertWithOptions(&info, nullptr, &options_));
    VorlReleaseInformation(&info);
    ASSERT_CODE(VORL_OK, VorlConvertPrjFile((Prj() / "game.vorlprj").c_str(), "beside.dat", nullptr, work_.c_str()));
    EXPECT_EQ(Hex(ReadFile(Prj() / "beside.dat")), Hex(ReadFile(folder_ / "out.dat")));
}

TEST_F(ProjectOptions, RefusedAndUnreadableProjects)
{
    fs::create_directory(folder_ / "a folder");
    WriteFile(folder_ / "not a project.txt", "hello\n");
    const std::string missing = (folder_ / "missing.vorlprj").string();
    const std::string notProject = (folder_ / "not a project.txt").string();
    const std::string folder = (folder_ / "a folder").string();
    struct Case {
        std::string project;
        const char *commandLine;
        int code;
        int32_t cause;
    } cases[] = {
        {missing, nullptr, VORL_ERR_PRJ_NOT_FOUND, VORL_CAUSE_MISSING},
        {folder, nullptr, VORL_ERR_PRJ_NOT_FOUND, VORL_CAUSE_FOLDER},
        {notProject, nullptr, VORL_ERR_NOT_A_PROJECT, VORL_CAUSE_NONE},
        {"", nullptr, VORL_ERR_BAD_ACCESS, VORL_CAUSE_NONE},
        {std::string(VORL_PATH_SIZE, 'p'), nullptr, VORL_ERR_BAD_ACCESS, VORL_CAUSE_NONE},
        // A project and a command line are two sources.
        {(Prj() / "game.vorlprj").string(), "-p0 a.bin", VORL_ERR_BAD_ACCESS, VORL_CAUSE_NONE},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.project.substr(0, 80));
        VorlInformation info{};
        options_.project = c.project.c_str();
        EXPECT_CODE(c.code, VorlConvertWithOptions(&info, c.commandLine, &options_));
        EXPECT_EQ(c.cause, options_.failure.cause);
        if (c.cause != VORL_CAUSE_NONE) {
            EXPECT_EQ(c.project, std::string(options_.failure.file));
        }
        EXPECT_EQ(nullptr, info.entries);
        VorlReleaseInformation(&info);
        EXPECT_TRUE(fs::is_empty(Work()));
    }
}

// A caller built with a header from before the field never has it read:
// without a block or a line there is nothing to convert. A project needs
// the block that names the data file.
TEST_F(ProjectOptions, ARecordWithoutTheFieldIsNotReadPastItsEnd)
{
    const std::string project = (Prj() / "game.vorlprj").string();
    options_.project = project.c_str();
    options_.size = offsetof(VorlConvertOptions, project);
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertWithOptions(nullptr, nullptr, &options_));
    options_.size = sizeof options_;
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertWithOptions(nullptr, nullptr, &options_));
}

TEST(CacheStatisticsExport, CountsWhatTheFolderHolds)
{
    TempFolder folder;
    WriteFile(folder / "in.bin", "converted once");
    const std::string cache = (folder / "cache").string();
    Block block(1);
    block.SetConverter(1, "cp \"$I\" \"$O\"");
    block.UseFile(0, (folder / "in.bin").string());
    block.Row(0).convertnum = 1;
    block.SetData(folder / "out.dat");
    for (int run = 0; run < 2; ++run) {
        VorlConvertOptions options{};
        options.size = sizeof options;
        options.cachedir = cache.c_str();
        ASSERT_CODE(VORL_OK, VorlConvertWithOptions(&block.Info(), nullptr, &options));
    }
    VorlCacheStatistics statistics{};
    statistics.size = sizeof statistics;
    ASSERT_CODE(VORL_OK, VorlGetCacheStatistics(cache.c_str(), &statistics));
    EXPECT_EQ(1u, statistics.entries);
    EXPECT_GT(statistics.bytes, 0u);
    EXPECT_EQ(1u, statistics.hits);
    EXPECT_EQ(1u, statistics.misses);

    struct Case {
        const char *name;
        const char *folder;
        uint32_t size;
        int code;
    } cases[] = {
        {"no folder there", "/nonexistent/cache", sizeof statistics, VORL_ERR_FILE_NOT_FOUND},
        {"null folder", nullptr, sizeof statistics, VORL_ERR_BAD_ACCESS},
        {"empty folder name", "", sizeof statistics, VORL_ERR_BAD_ACCESS},
        {"record too short", cache.c_str(), offsetof(VorlCacheStatistics, misses), VORL_ERR_BAD_ACCESS},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        VorlCacheStatistics other{};
        other.size = c.size;
        EXPECT_CODE(c.code, VorlGetCacheStatistics(c.folder, &other));
        EXPECT_EQ(0u, other.entries);
    }
    EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlGetCacheStatistics(cache.c_str(), nullptr));
}

}  // namespace
}  // namespace vorl::test
