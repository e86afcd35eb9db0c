// Where the editor used to lose work or act when it should not: commands
// during a conversion, saves that did not happen, folders, unattended
// runs, and the smaller traps of entry editing. Through the scripted fake,
// with the real library and real files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "command_line.h"
#include "editor_model.h"
#include "fake_host.h"
#include "test_support.h"

namespace vorlmake::test {
namespace {

namespace fs = std::filesystem;

using vorl::test::ReadFile;
using vorl::test::WriteFile;

class Faults : public ::testing::Test {
protected:
    Faults() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vorlfaults-XXXXXX").string();
        folder = std::string(mkdtemp(pattern.data())) + "/";
        game = folder + "ゲーム 素材/";
        fs::create_directories(game + "sub");
        WriteFile(game + "a.bin", "AAAA");
        WriteFile(game + "sub/b.bin", "BBBBBB");
        WriteFile(folder + "c.bin", "CC");
        ASSERT_TRUE(model.StartUp({"-t"}, game));
    }
    void TearDown() override { fs::remove_all(folder); }
    EditEntry &Entry(int n) { return model.State().Entries[static_cast<size_t>(n)]; }
    bool Register(int entry, const std::string &path)
    {
        model.EnterPage(std::to_string(entry / 10));
        return model.RegisterFile(entry % 10, path);
    }
    void SaveAs(const std::string &path)
    {
        host.fileChoices = {FileChoice{path, 1}};
        model.mnuSaveAs_Click();
    }
    // a.bin in entry 0, saved as game.vorlprj, converting to out.dat.
    void SavedProject()
    {
        ASSERT_TRUE(Register(0, game + "a.bin"));
        SaveAs(game + "game.vorlprj");
        ASSERT_FALSE(model.State().NewAccess);
        model.State().Save_file = folder + "out.dat";
    }
    std::string folder, game;
    FakeHost host;
    FakeLibrary library;
    EditorModel model;
};

// The window's events keep coming while the library converts off the
// interface thread; none of them may reach the project.
TEST_F(Faults, NothingActsWhileTheLibraryConverts)
{
    SavedProject();
    fs::copy_file(game + "game.vorlprj", folder + "other.vorlprj");
    const size_t messages = host.messages.size();
    const size_t dialogs = host.fileDialogs.size();
    host.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes};
    host.fileChoices = {FileChoice{folder + "other.vorlprj", 1}, FileChoice{game + "sub/b.bin", 1}};
    host.whileWorking = [&] {
        EXPECT_TRUE(model.IsConverting());
        model.mnuStart_Click();
        model.txtVorName_DblClick(0);
        model.txtVorName_Drop(1, {game + "sub/b.bin"});
        model.chkIndex_Click(2, true);
        model.ChooseDataFile();
        model.mnuLoadPrj_Click();
        model.OpenDroppedFile({folder + "other.vorlprj"});
        model.mnuNew_Click();
        model.mnuSavePrj_Click();
        model.mnuSaveAs_Click();
        model.mnuKgr_Click(3);
        model.mnuIdxTp_Click(1);
        model.mnuHeader_Click(2);
        model.txtSize_Enter(0, "64");
        model.txtVorName_Insert(0);
        model.mnuFileScan_Click();
        model.NextPage();
        EXPECT_FALSE(model.QueryClose()) << "the window stays while the library works";
    };
    model.mnuStart_Click();
    EXPECT_FALSE(model.IsConverting());
    EXPECT_EQ(1, host.busyRuns);
    EXPECT_EQ(messages, host.messages.size()) << host.messages.back().text;
    EXPECT_EQ(dialogs, host.fileDialogs.size());
    EXPECT_EQ(game + "game.vorlprj", model.State().Prj_file);
    EXPECT_FALSE(model.State().NewAccess);
    EXPECT_EQ("a.bin", fs::path(Entry(0).FileName).filename().string());
    EXPECT_FALSE(Entry(0).SizeFixed);
    EXPECT_FALSE(Entry(1).Use);
    EXPECT_FALSE(Entry(2).Use);
    EXPECT_EQ(0, model.State().Page);
    EXPECT_EQ(1, model.State().ProjectInfo.dataalign);
    EXPECT_EQ(4, model.State().ProjectInfo.indexbyte);
    EXPECT_EQ(0, model.State().ProjectInfo.indexout);
    EXPECT_TRUE(ReadFile(folder + "out.dat").find("AAAA") != std::string::npos);
}

// "Yes, save" discards the edits only when they were saved.
TEST_F(Faults, ChangesAreKeptWhenTheSaveDoesNotHappen)
{
    struct Case {
        const char *what;
        std::function<void()> prepare;
    };
    const Case cases[] = {
        {"Save As cancelled", [] {}},
        {"entries refused", [&] { Entry(3).Use = true; }},
        {"write failed", [&] { model.State().Prj_file = folder + "missing/game.vorlprj"; }},
    };
    for (const Case &c : cases) {
        model.ResetProject();
        ASSERT_TRUE(Register(0, game + "a.bin"));
        ASSERT_TRUE(model.State().NewAccess);
        c.prepare();
        host.answers = {Answer::Yes, Answer::Ok};
        host.fileChoices.clear();
        EXPECT_FALSE(model.QueryClose()) << c.what;
        EXPECT_TRUE(model.State().NewAccess) << c.what;

        // Opening another project after "Yes" keeps this one as well.
        WriteFile(folder + "other.vorlprj", ReadFile(VORL_FIXTURES "/windows_project/game.vorlprj"));
        host.answers = {Answer::Yes, Answer::Ok};
        host.fileChoices.clear();
        model.OpenDroppedFile({folder + "other.vorlprj"});
        EXPECT_EQ(game + "a.bin", Entry(0).FileName) << c.what;
        EXPECT_TRUE(model.State().NewAccess) << c.what;
        const size_t dialogs = host.fileDialogs.size();
        host.answers = {Answer::Yes, Answer::Ok};
        model.mnuLoadPrj_Click();
        EXPECT_EQ(game + "a.bin", Entry(0).FileName) << c.what;
        EXPECT_LE(host.fileDialogs.size(), dialogs + 1) << "no Open dialog after the failed save: " << c.what;
    }
    // In run mode the window closes whatever the save did, as described.
    model.State().InitCommand = kRunAfterLoad;
    model.State().Prj_file.clear();
    host.fileChoices.clear();
    EXPECT_TRUE(model.QueryClose());
}

TEST_F(Faults, ArgumentsAreTakenAsTheyAre)
{
    CommandLineResult parsed =
        ParseArguments({"-s", "out put.dat", "my \"odd\"\tname.vorlprj", "-hhead er.h", "-r", "-E", "-t"});
    EXPECT_EQ("my \"odd\"\tname.vorlprj", parsed.projectFile);
    EXPECT_EQ("out put.dat", parsed.saveFile);
    EXPECT_EQ("head er.h", parsed.headerFile);
    EXPECT_EQ(kRunAfterLoad | kEndWhenDone | kNoTitleWindow, parsed.initCommand);

    // A relative project name is the caller's: found in the start folder.
    SavedProject();
    FakeHost second;
    EditorModel other(second, library, "/opt/vorl", "2.0.2");
    ASSERT_TRUE(other.StartUp({"-t", "game.vorlprj", "-sout.dat"}, game));
    EXPECT_EQ(game + "game.vorlprj", other.State().Prj_file);
    EXPECT_EQ(game, other.State().CurrentDir);
    EXPECT_TRUE(second.messages.empty()) << second.messages.front().text;
}

// "-r -e" from a build script: no box waits, and the status tells.
TEST_F(Faults, UnattendedRunsReportTheirOutcome)
{
    SavedProject();
    struct Case {
        const char *what;
        std::function<void()> prepare;
        int status;
    };
    const Case cases[] = {
        {"converted", [] {}, 0},
        {"missing input", [&] { fs::remove(game + "a.bin"); }, -VORL_ERR_FILE_NOT_FOUND},
        {"unreadable project", [&] { WriteFile(game + "game.vorlprj", "not a project"); }, -VORL_ERR_NOT_A_PROJECT},
    };
    const std::string project = ReadFile(game + "game.vorlprj");
    for (const Case &c : cases) {
        WriteFile(game + "a.bin", "AAAA");
        WriteFile(game + "game.vorlprj", project);
        c.prepare();
        FakeHost unattended;
        EditorModel run(unattended, library, "/opt/vorl", "2.0.2");
        ASSERT_TRUE(run.StartUp({"-t", "-r", "-e", "-s", "out.dat", "game.vorlprj"}, game)) << c.what;
        EXPECT_TRUE(unattended.unattended) << c.what;
        EXPECT_TRUE(unattended.closed) << c.what;
        EXPECT_EQ(c.status, run.ExitStatus()) << c.what;
        if (c.status == 0) {
            EXPECT_TRUE(fs::exists(game + "out.dat"));
        }
        fs::remove(game + "out.dat");
    }
    // Without a data file name the run stops before the library: not 0.
    FakeHost unattended;
    EditorModel run(unattended, library, "/opt/vorl", "2.0.2");
    ASSERT_TRUE(run.StartUp({"-t", "-r", "-e", "game.vorlprj"}, game));
    EXPECT_NE(0, run.ExitStatus());
}

// Relative and bare names follow the project into another folder, so the
// saved project still names the same files and converts them all.
TEST_F(Faults, SaveAsIntoAnotherFolderKeepsNamingTheSameFiles)
{
    model.mnu_PathSel_Click(0);
    ASSERT_TRUE(Register(0, game + "a.bin"));
    model.mnu_PathSel_Click(2);
    ASSERT_TRUE(Register(1, game + "sub/b.bin"));
    model.mnu_PathSel_Click(1);
    ASSERT_TRUE(Register(2, folder + "c.bin"));
    ASSERT_EQ("a.bin", Entry(0).FileName);
    model.mnuNoFile_Click();  // a name that no longer fits would be dropped without a word
    fs::create_directory(folder + "出力");
    struct Case {
        std::string project;
        std::string a, b;
    };
    const Case cases[] = {
        {folder + "出力/x.vorlprj", "../ゲーム 素材/a.bin", "../ゲーム 素材/sub/b.bin"},
        {folder + "y.vorlprj", "ゲーム 素材/a.bin", "ゲーム 素材/sub/b.bin"},
        {game + "sub/z.vorlprj", "../a.bin", "b.bin"},
    };
    for (const Case &c : cases) {
        SaveAs(c.project);
        ASSERT_EQ(c.project, model.State().Prj_file);
        EXPECT_EQ(fs::path(c.project).parent_path().string() + "/", model.State().CurrentDir);
        EXPECT_EQ(c.a, Entry(0).FileName);
        EXPECT_EQ(c.b, Entry(1).FileName);
        EXPECT_EQ(folder + "c.bin", Entry(2).FileName);
        ASSERT_TRUE(model.LoadProject(c.project));
        model.State().Save_file = folder + "out.dat";
        model.mnuStart_Click();
        const std::string data = ReadFile(folder + "out.dat");
        for (const char *payload : {"AAAA", "BBBBBB", "CC"}) {
            EXPECT_NE(std::string::npos, data.find(payload)) << c.project << " lost " << payload;
        }
        EXPECT_EQ(0, model.ExitStatus());
    }
}

TEST_F(Faults, FileDialogsOpenWhereTheUserWorks)
{
    SavedProject();
    model.State().Save_file.clear();
    model.mnuSaveAs_Click();
    model.mnuLoadPrj_Click();
    model.ChooseDataFile();
    model.mnuHeader_Click(1);
    model.State().Save_file = folder + "out.dat";
    host.answers = {Answer::Yes};  // stop instead of naming a header
    model.mnuStart_Click();
    model.txtVorName_DblClick(0);
    ASSERT_EQ(5u, host.fileDialogs.size() - 1);
    for (size_t i = 1; i < host.fileDialogs.size(); ++i) {
        EXPECT_EQ(game, host.fileDialogs[i].startFolder) << host.fileDialogs[i].title;
        for (const auto &[description, pattern] : host.fileDialogs[i].filters) {
            if (description == "すべてのファイル(*.*)") {
                EXPECT_EQ("*.*", pattern) << "the window reads *.* as every file";
            }
        }
    }
}

TEST_F(Faults, FailedSaveAsKeepsNameTitleAndFolderTogether)
{
    model.mnu_PathSel_Click(2);
    SavedProject();
    const std::string title = host.windowTitle;
    model.txtSize_Enter(0, "8");
    SaveAs(folder + "missing/x.vorlprj");
    EXPECT_EQ(game + "game.vorlprj", model.State().Prj_file);
    EXPECT_EQ(title, host.windowTitle);
    EXPECT_EQ(game, model.State().CurrentDir);
    EXPECT_EQ("a.bin", Entry(0).FileName) << "the names stay relative to the project's own folder";
    EXPECT_TRUE(model.State().NewAccess);

    // A name without an extension is given the project's.
    SaveAs(game + "noext");
    EXPECT_EQ(game + "noext.vorlprj", model.State().Prj_file);
    EXPECT_TRUE(fs::exists(game + "noext.vorlprj"));
    SaveAs(game + "old.prj");
    EXPECT_EQ(game + "old.prj", model.State().Prj_file);
}

TEST_F(Faults, FailedOpenShowsTheEmptyProject)
{
    ASSERT_TRUE(Register(0, game + "a.bin"));
    SaveAs(game + "game.vorlprj");
    EXPECT_FALSE(model.LoadProject(folder + "missing.vorlprj"));
    EXPECT_EQ("", host.rows[0].fileName);
    EXPECT_FALSE(host.rows[0].inUse);
    EXPECT_EQ(model.ShortTitle(), host.windowTitle);
}

TEST_F(Faults, EntryEditingTraps)
{
    // A cancelled input dialog leaves the project as it was.
    model.FirstPage();
    model.chkIndex_Click(0, true);
    EXPECT_FALSE(Entry(0).Use);
    EXPECT_FALSE(host.rows[0].inUse);
    EXPECT_FALSE(model.State().NewAccess);

    // A control character cannot be read back from a project file.
    WriteFile(game + "bad\x01name.bin", "x");
    EXPECT_FALSE(Register(3, game + "bad\x01name.bin"));
    EXPECT_FALSE(Entry(3).Use);
    EXPECT_EQ("ファイルエラー", host.messages.back().title);

    // Insert would push a used last entry out of the list.
    Entry(9999) = EditEntry{true, game + "a.bin", 0, "", 0, false, 0};
    Entry(5) = EditEntry{true, game + "a.bin", 0, "", 0, false, 0};
    const size_t before = host.messages.size();
    model.FirstPage();
    model.txtVorName_Insert(5);
    EXPECT_EQ(before + 1, host.messages.size());
    EXPECT_EQ("設定エラー", host.messages.back().title);
    EXPECT_TRUE(Entry(9999).Use);
    EXPECT_TRUE(Entry(5).Use);
}

TEST_F(Faults, ManyMissingFilesMakeOneMessage)
{
    for (int n = 0; n < 25; ++n) {
        Entry(n) = EditEntry{true, game + "gone" + std::to_string(n) + ".bin", 0, "", 0, false, 0};
    }
    model.mnuFileScan_Click();
    ASSERT_EQ(1u, host.messages.size());
    const std::string &text = host.messages[0].text;
    EXPECT_NE(std::string::npos, text.find(game + "gone19.bin\r\n"));
    EXPECT_EQ(std::string::npos, text.find("gone20.bin"));
    EXPECT_NE(std::string::npos, text.find("ほか 5 件\r\nファイルが読み込めないよ。"));
    // One missing file reads as it always did.
    model.ResetProject();
    host.messages.clear();
    Entry(0) = EditEntry{true, game + "gone.bin", 0, "", 0, false, 0};
    model.mnuFileScan_Click();
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_EQ(game + "gone.bin\r\nファイルが読み込めないよ。", host.messages[0].text);
}

TEST_F(Faults, FilesOfTwoGigabytesAndMore)
{
    const int64_t length = (int64_t{3} << 30) + 1;
    ASSERT_EQ(0, truncate((game + "a.bin").c_str(), length));
    ASSERT_TRUE(Register(0, game + "a.bin"));
    EXPECT_EQ(length, Entry(0).Size);
    EXPECT_EQ(std::to_string(length), host.rows[0].size);
    model.mnuKgr_Click(7);  // 4096 bytes
    EXPECT_EQ((int64_t{3} << 30) + 4096, Entry(0).Size);
}

TEST_F(Faults, SettingsValuesAreCutOnACharacterBoundary)
{
    std::string wide;
    for (int i = 0; i < 200; ++i) {
        wide += "表";
    }
    host.files["/opt/vorl/vorlmake.ini"] = "[Setup]\r\nConvertString3=" + wide + "\r\n";
    model.ResetProject();
    // 127 two-byte characters fill 254 of the 255 bytes.
    EXPECT_EQ(wide.substr(0, 127 * 3), model.State().Texts.convert[2]);
}

TEST_F(Faults, HelpThatCannotBeShownIsNamed)
{
    model.mnu_ShowHelp_Click();
    EXPECT_TRUE(host.messages.empty());
    host.documentsOpen = false;
    model.mnu_ShowHelp_Click();
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_EQ("/opt/vorl/help.htm\r\nヘルプファイルが開けないよ。", host.messages[0].text);
}

TEST_F(Faults, DataFileDialogOpensInTheFolderOfTheNameBefore)
{
    model.State().Save_file = folder + "out/game.dat";
    model.ChooseDataFile();
    ASSERT_EQ(1u, host.fileDialogs.size());
    EXPECT_EQ(folder + "out/", host.fileDialogs[0].startFolder);
    EXPECT_EQ(folder + "out/game.dat", host.fileDialogs[0].presetName);
}

TEST_F(Faults, SuccessfulRunShowsTheDataFileSize)
{
    SavedProject();
    EXPECT_EQ("0 Bytes", host.totalSize);
    model.mnuStart_Click();
    EXPECT_EQ(std::to_string(fs::file_size(folder + "out.dat")) + " Bytes", host.totalSize);
}

}  // namespace
}  // namespace vorlmake::test
