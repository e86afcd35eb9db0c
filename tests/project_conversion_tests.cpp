// VorlConvertPrjFile end to end: projects made on Windows, every output
// mode, the argument checks, and no working directory left after any
// outcome.
#include <gtest/gtest.h>

#include <cstring>

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

}  // namespace
}  // namespace vorl::test
