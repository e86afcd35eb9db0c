// VorlConvertPrjFile end to end: projects made on Windows, every output
// mode, the argument checks, and no working directory left after any
// outcome.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "test_support.h"

#ifndef VORL_FIXTURES
#error "VORL_FIXTURES names the folder of the test fixtures"
#endif

namespace vorl::test {
namespace {

class ProjectConversion : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::copy(fs::path(VORL_FIXTURES) / "windows_project", folder_ / "prj", fs::copy_options::recursive);
        fs::create_directory(Work());
    }
    fs::path Prj() const { return folder_ / "prj"; }
    fs::path Work() const { return folder_ / "work"; }
    int Convert(const fs::path &project, const char *data, const char *header)
    {
        return VorlConvertPrjFile(project.c_str(), data, header, Work().c_str());
    }
    void ExpectWorkEmpty(const std::string &when) { EXPECT_TRUE(fs::is_empty(Work())) << when; }
    TempFolder folder_;
};

TEST_F(ProjectConversion, WindowsXmlProjectFindsItsFilesBesideIt)
{
    ASSERT_CODE(VORL_OK, Convert(Prj() / "game.vorlprj", "game.dat", nullptr));
    std::string data = ReadFile(Prj() / "game.dat");  // resolved against the project's folder
    std::string expectedIndex = "GAME" + Bytes({5, 0, 0x12, 0x28}) + Bytes({0, 0, 8, 0, 13, 0, 0, 0, 13, 0}) +
                                Bytes({100, 0, 200, 0, 0, 0, 0x2c, 1, 0, 0});
    std::string body = ReadFile(Prj() / "pic" / "title.bmp") + ReadFile(Prj() / "snd" / "bgm.wav") + Bytes({0});
    EXPECT_EQ(Hex(expectedIndex + body), Hex(data));
    ExpectWorkEmpty("after success");

    // The Japanese texts arrive as CP932.
    VorlInformation info{};
    std::string path = (Prj() / "game.vorlprj").string();
    std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    EXPECT_STREQ("\x83\x51\x81\x5B\x83\x80\x8D\xF5\x88\xF8", info.label);  // ゲーム索引
    EXPECT_STREQ("\x83\x5E\x83\x43\x83\x67\x83\x8B\x82\xC6\x93\xAF\x82\xB6", info.entries[3].remarks);
    EXPECT_STREQ("zedpack.exe p /8 \"$I\" \"$O\"", info.convert[0]);
    VorlReleaseInformation(&info);
}

TEST_F(ProjectConversion, WindowsLegacyProject)
{
    ASSERT_CODE(VORL_OK, Convert(Prj() / "old.prj", "old.dat", "old.idx"));
    EXPECT_EQ(Hex("Vorl" + Bytes({3, 0, 0x12, 0x40, 0, 0, 0xff, 0xff, 8, 0})), Hex(ReadFile(Prj() / "old.idx")));
    EXPECT_EQ(ReadFile(Prj() / "pic" / "title.bmp") + "BMend" + Bytes({0, 0, 0}), ReadFile(Prj() / "old.dat"));
    ExpectWorkEmpty("after success");
}

// Every output mode of a saved project gives what VorlConvert gives for
// the same block.
TEST_F(ProjectConversion, EveryOutputModeMatchesADirectConversion)
{
    for (int mode = 0; mode < 4; ++mode) {
        VorlInformation info{};
        std::string path = (Prj() / "game.vorlprj").string();
        std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
        std::string prjdir = Prj().string() + "/";
        std::memcpy(info.prjdir, prjdir.c_str(), prjdir.size() + 1);
        ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
        info.indexout = mode;
        std::string saved = (Prj() / ("mode" + std::to_string(mode) + ".vorlprj")).string();
        std::memcpy(info.prjfile, saved.c_str(), saved.size() + 1);
        ASSERT_CODE(VORL_OK, VorlPutXMLPrjFile(&info));
        std::string data = (folder_ / "direct.dat").string(), header = (folder_ / "direct.h").string();
        std::memcpy(info.datafile, data.c_str(), data.size() + 1);
        std::memcpy(info.headerfile, header.c_str(), header.size() + 1);
        ASSERT_CODE(VORL_OK, VorlConvert(&info));
        IndexEntry *table = info.entries;
        info.entries = nullptr;
        std::free(table);

        ASSERT_CODE(VORL_OK, Convert(saved, "../via-project.dat", "../via-project.h")) << "mode " << mode;
        EXPECT_EQ(ReadFile(data), ReadFile(folder_ / "via-project.dat")) << "mode " << mode;
        if (mode == 1 || mode == 2) {
            EXPECT_EQ(ReadFile(header), ReadFile(folder_ / "via-project.h")) << "mode " << mode;
        }
        ExpectWorkEmpty("mode " + std::to_string(mode));
        fs::remove(folder_ / "via-project.h");
        fs::remove(header);
    }
}

TEST_F(ProjectConversion, ArgumentsThatCannotBeTakenIn)
{
    std::string project = (Prj() / "game.vorlprj").string();
    std::string tooLong(300, 'x');
    struct Case {
        const char *project, *data, *header;
    };
    const Case cases[] = {
        {nullptr, "a.dat", nullptr},
        {project.c_str(), nullptr, nullptr},
        {"", "a.dat", nullptr},
        {project.c_str(), "", nullptr},
        {tooLong.c_str(), "a.dat", nullptr},
        {project.c_str(), tooLong.c_str(), nullptr},
        {project.c_str(), "a.dat", tooLong.c_str()},
    };
    for (const auto &c : cases) {
        EXPECT_CODE(VORL_ERR_BAD_ACCESS, VorlConvertPrjFile(c.project, c.data, c.header, Work().c_str()));
    }
    ExpectWorkEmpty("no working directory is made for refused arguments");
    EXPECT_FALSE(fs::exists(Prj() / "a.dat"));
}

TEST_F(ProjectConversion, EveryFailureRemovesTheWorkingDirectory)
{
    WriteFile(Prj() / "text.txt", "not a project");
    WriteFile(Prj() / "broken.vorlprj",
              "<VorlProject version='400'><header><indexnum>1</indexnum>"
              "<indexmode>maybe</indexmode></header></VorlProject>");
    WriteFile(Prj() / "missing-input.vorlprj",
              "<VorlProject version='400'><header><indexnum>1</indexnum><indexbyte>4</indexbyte>"
              "<indexinterval>1</indexinterval><dataalign>1</dataalign><indexout>outtext</indexout></header>"
              "<index num='0' use='true'><filename>nowhere.bin</filename></index></VorlProject>");
    struct Case {
        const char *project;
        const char *header;
        int expected;
    };
    const Case cases[] = {
        {"absent.vorlprj", nullptr, VORL_ERR_PRJ_NOT_FOUND},
        {"text.txt", nullptr, VORL_ERR_NOT_A_PROJECT},
        {"broken.vorlprj", nullptr, VORL_ERR_XML_PARSE},
        {"missing-input.vorlprj", nullptr, VORL_ERR_NO_HEADER_NAME},
        {"missing-input.vorlprj", "x.h", VORL_ERR_FILE_NOT_FOUND},
        {"old.prj", nullptr, VORL_ERR_NO_HEADER_NAME},
    };
    for (const auto &c : cases) {
        EXPECT_CODE(c.expected, Convert(Prj() / c.project, "out.dat", c.header)) << c.project;
        ExpectWorkEmpty(c.project);
    }
    EXPECT_CODE(VORL_ERR_WORK_DIRECTORY,
                VorlConvertPrjFile((Prj() / "game.vorlprj").c_str(), "x.dat", nullptr, (folder_ / "none").c_str()));
}

TEST_F(ProjectConversion, ProjectNamedWithoutAFolderUsesTheCurrentOne)
{
    fs::path previous = fs::current_path();
    fs::current_path(Prj());
    int rc = VorlConvertPrjFile("game.vorlprj", "here.dat", nullptr, Work().c_str());
    fs::current_path(previous);
    EXPECT_CODE(VORL_OK, rc);
    EXPECT_TRUE(fs::exists(Prj() / "here.dat"));
}

std::string XmlProject(int rows)
{
    std::string text = "<VorlProject version='400'><header><indexnum>" + std::to_string(rows) +
                       "</indexnum><indexout>nothing</indexout><indexbyte>4</indexbyte>"
                       "<indexinterval>1</indexinterval><dataalign>1</dataalign></header>";
    for (int row = 0; row < rows; ++row) {
        text += "<index num='" + std::to_string(row) + "' use='true'><filename>f" + std::to_string(row) +
                "</filename><remarks>r" + std::to_string(row) + "</remarks></index>";
    }
    return text + "</VorlProject>";
}

// The table the first read made holds two rows; the second read needs
// 3,000 and gets them in a table of the block's own, freed by the release.
TEST_F(ProjectConversion, SecondReadIntoTheSameBlockGrowsTheLibrarysTable)
{
    WriteFile(Prj() / "two.vorlprj", XmlProject(2));
    WriteFile(Prj() / "many.vorlprj", XmlProject(3000));
    VorlInformation info{};
    std::string two = (Prj() / "two.vorlprj").string(), many = (Prj() / "many.vorlprj").string();
    std::memcpy(info.prjfile, two.c_str(), two.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    std::memcpy(info.prjfile, many.c_str(), many.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    IndexEntry *table = info.entries;  // a packed field: read by value
    EXPECT_EQ(3000, info.indexnum);
    EXPECT_STREQ("f2999", table[2999].filename);
    EXPECT_STREQ("r1", table[1].remarks);
    // And once more with the smaller one: the grown table serves it.
    std::memcpy(info.prjfile, two.c_str(), two.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    EXPECT_EQ(2, info.indexnum);
    VorlReleaseInformation(&info);
}

// A caller's table is still the caller's to size: it is read into in place.
TEST_F(ProjectConversion, CallersTableIsNeverReplaced)
{
    WriteFile(Prj() / "many.vorlprj", XmlProject(3000));
    std::vector<IndexEntry> rows(3000);
    VorlInformation info{};
    std::string many = (Prj() / "many.vorlprj").string();
    std::memcpy(info.prjfile, many.c_str(), many.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFileVB(&info, rows.data()));
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&info));
    IndexEntry *table = info.entries;  // a packed field: compared by value
    EXPECT_EQ(rows.data(), table);
    EXPECT_STREQ("f2999", rows[2999].filename);
    info.entries = nullptr;
    VorlReleaseInformation(&info);
}

// After VorlGetProjectFileVB or VorlPutXMLPrjFileVB the block still points
// at the caller's table; a release that follows clears the slot and leaves
// the table to its owner instead of freeing it under the owner's hands
// (the sanitizer build sees the double free this used to be).
TEST_F(ProjectConversion, ReleaseAfterAVbExportLeavesTheCallersTable)
{
    WriteFile(Prj() / "two.vorlprj", XmlProject(2));
    std::string two = (Prj() / "two.vorlprj").string();
    auto *rows = static_cast<IndexEntry *>(std::calloc(2, sizeof(IndexEntry)));
    ASSERT_NE(nullptr, rows);
    VorlInformation info{};
    std::memcpy(info.prjfile, two.c_str(), two.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFileVB(&info, rows));
    IndexEntry *table = info.entries;  // a packed field: compared by value
    EXPECT_EQ(rows, table);
    EXPECT_EQ(0, VorlReleaseInformation(&info));
    table = info.entries;
    EXPECT_EQ(nullptr, table);
    EXPECT_STREQ("f1", rows[1].filename);  // still the caller's to read

    std::string saved = (Prj() / "saved.vorlprj").string();
    std::memcpy(info.prjfile, saved.c_str(), saved.size() + 1);
    ASSERT_CODE(VORL_OK, VorlPutXMLPrjFileVB(&info, rows));
    EXPECT_EQ(0, VorlReleaseInformation(&info));
    EXPECT_STREQ("f1", rows[1].filename);
    std::free(rows);

    // A table the library made is still freed by the release.
    VorlInformation own{};
    std::memcpy(own.prjfile, two.c_str(), two.size() + 1);
    ASSERT_CODE(VORL_OK, VorlGetProjectFile(&own));
    EXPECT_EQ(0, VorlReleaseInformation(&own));
    table = own.entries;
    EXPECT_EQ(nullptr, table);
}

}  // namespace
}  // namespace vorl::test
