// Where the editor used to lose work or act when it should not: commands
// during a conversion, saves that did not happen, folders, unattended
// runs, and the smaller traps of entry editing. Through the scripted fake,
// with the real library and real files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "command_line.h"
#include "editor_model.h"
#include "fake_host.h"
#include "project_files.h"
#include "test_support.h"

namespace vorlmake::test {
namespace {

namespace fs = std::filesystem;

using vorl::test::ReadFile;
using vorl::test::TempFolder;
using vorl::test::WriteFile;

class Faults : public ::testing::Test {
protected:
    Faults() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        game = folder + "ゲーム 素材/";
        fs::create_directories(game + "sub");
        WriteFile(game + "a.bin", "AAAA");
        WriteFile(game + "sub/b.bin", "BBBBBB");
        WriteFile(folder + "c.bin", "CC");
        ASSERT_TRUE(model.StartUp({"-t"}, game));
    }
    const EditEntry &Entry(int n) const { return model.State().entries[static_cast<size_t>(n)]; }
    bool Register(int entry, const std::string &path)
    {
        model.GoToPage(std::to_string(entry / 10));
        return model.RegisterFile(entry % 10, path);
    }
    void SaveUnderChosenName(const std::string &path)
    {
        host.fileChoices = {FileChoice{path, 1}};
        model.SaveProjectAs();
    }
    // a.bin in entry 0, saved as game.vorlprj, converting to out.dat.
    void SavedProject()
    {
        ASSERT_TRUE(Register(0, game + "a.bin"));
        SaveUnderChosenName(game + "game.vorlprj");
        ASSERT_FALSE(model.State().modified);
        model.UseDataFile(folder + "out.dat");
    }
    TempFolder temp;
    std::string folder = temp.Path().string() + "/";
    std::string game;
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
        EXPECT_TRUE(model.IsRunning());
        model.RunConversion();
        model.ChooseInputFile(0);
        model.RegisterDroppedFiles(1, {game + "sub/b.bin"});
        model.SetEntryInUse(2, true);
        model.ChooseDataFile();
        model.ChooseProjectToOpen();
        model.OpenDroppedProject({folder + "other.vorlprj"});
        model.NewProject();
        model.SaveProject();
        model.SaveProjectAs();
        model.SetAlignment(64);
        model.SetIndexBytes(2);
        model.SetHeaderOutput(2);
        model.SetEntrySize(0, "64");
        model.InsertEntry(0);
        model.RescanSizes();
        model.NextPage();
        EXPECT_FALSE(model.MayClose()) << "the window stays while the library works";
    };
    model.RunConversion();
    EXPECT_FALSE(model.IsRunning());
    EXPECT_EQ(1, host.busyRuns);
    EXPECT_EQ(messages, host.messages.size()) << host.messages.back().text;
    EXPECT_EQ(dialogs, host.fileDialogs.size());
    EXPECT_EQ(game + "game.vorlprj", model.State().projectFile);
    EXPECT_FALSE(model.State().modified);
    EXPECT_EQ("a.bin", fs::path(Entry(0).fileName).filename().string());
    EXPECT_FALSE(Entry(0).sizeTyped);
    EXPECT_FALSE(Entry(1).inUse);
    EXPECT_FALSE(Entry(2).inUse);
    EXPECT_EQ(0, model.State().currentPage);
    EXPECT_EQ(1, model.State().block.dataalign);
    EXPECT_EQ(4, model.State().block.indexbyte);
    EXPECT_EQ(0, model.State().block.indexout);
    EXPECT_TRUE(ReadFile(folder + "out.dat").find("AAAA") != std::string::npos);
}

// "Yes, save" discards the edits only when they were saved.
TEST_F(Faults, ChangesAreKeptWhenTheSaveDoesNotHappen)
{
    struct Case {
        const char *what;
        std::function<void()> prepare;
    };
    // Each prepares the project that entry 0 is then registered in.
    const Case cases[] = {
        {"Save As cancelled", [] {}},
        // Entry 3 in use without a file name.
        {"entries refused",
         [&] {
             WriteFile(game + "unnamed.vorlprj", ProjectWithUnnamedEntry(3).Text());
             ASSERT_TRUE(model.OpenProject(game + "unnamed.vorlprj"));
             ASSERT_TRUE(Entry(3).inUse);
         }},
        // The project's own folder is gone when it is saved.
        {"write failed",
         [&] {
             fs::create_directory(folder + "missing");
             WriteFile(folder + "missing/game.vorlprj", ProjectWithUnnamedEntry(-1).Text());
             ASSERT_TRUE(model.OpenProject(folder + "missing/game.vorlprj"));
             fs::remove_all(folder + "missing");
             ASSERT_EQ(folder + "missing/game.vorlprj", model.State().projectFile);
         }},
    };
    for (const Case &c : cases) {
        model.ResetProject();
        c.prepare();
        ASSERT_TRUE(Register(0, game + "a.bin")) << c.what;
        ASSERT_TRUE(model.State().modified) << c.what;
        host.answers = {Answer::Yes, Answer::Ok};
        host.fileChoices.clear();
        EXPECT_FALSE(model.MayClose()) << c.what;
        EXPECT_TRUE(model.State().modified) << c.what;

        // Opening another project after "Yes" keeps this one as well.
        WriteFile(folder + "other.vorlprj", ReadFile(VORL_FIXTURES "/windows_project/game.vorlprj"));
        host.answers = {Answer::Yes, Answer::Ok};
        host.fileChoices.clear();
        model.OpenDroppedProject({folder + "other.vorlprj"});
        EXPECT_EQ(game + "a.bin", Entry(0).fileName) << c.what;
        EXPECT_TRUE(model.State().modified) << c.what;
        const size_t dialogs = host.fileDialogs.size();
        host.answers = {Answer::Yes, Answer::Ok};
        model.ChooseProjectToOpen();
        EXPECT_EQ(game + "a.bin", Entry(0).fileName) << c.what;
        EXPECT_LE(host.fileDialogs.size(), dialogs + 1) << "no Open dialog after the failed save: " << c.what;
    }
    // In run mode ("-r") the window closes whatever the save did, as
    // described: here a Save As of a project without a name, cancelled.
    FakeHost runHost;
    EditorModel runMode(runHost, library, "/opt/vorl", "2.0.2");
    ASSERT_TRUE(runMode.StartUp({"-t", "-r"}, game));
    runMode.GoToPage("0");
    ASSERT_TRUE(runMode.RegisterFile(0, game + "a.bin"));
    ASSERT_TRUE(runMode.State().modified);
    ASSERT_EQ(kRunAfterLoad, runMode.State().startCommands & kRunAfterLoad);
    ASSERT_EQ("", runMode.State().projectFile);
    runHost.fileChoices.clear();
    EXPECT_TRUE(runMode.MayClose());
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
    EXPECT_EQ(game + "game.vorlprj", other.State().projectFile);
    EXPECT_EQ(game, other.State().currentFolder);
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
    model.SetPathMode(0);
    ASSERT_TRUE(Register(0, game + "a.bin"));
    model.SetPathMode(2);
    ASSERT_TRUE(Register(1, game + "sub/b.bin"));
    model.SetPathMode(1);
    ASSERT_TRUE(Register(2, folder + "c.bin"));
    ASSERT_EQ("a.bin", Entry(0).fileName);
    model.ToggleMissingFileUnused();  // a name that no longer fits would be dropped without a word
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
        SaveUnderChosenName(c.project);
        ASSERT_EQ(c.project, model.State().projectFile);
        EXPECT_EQ(fs::path(c.project).parent_path().string() + "/", model.State().currentFolder);
        EXPECT_EQ(c.a, Entry(0).fileName);
        EXPECT_EQ(c.b, Entry(1).fileName);
        EXPECT_EQ(folder + "c.bin", Entry(2).fileName);
        ASSERT_TRUE(model.OpenProject(c.project));
        model.UseDataFile(folder + "out.dat");
        model.RunConversion();
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
    model.UseDataFile("");
    model.SaveProjectAs();
    model.ChooseProjectToOpen();
    model.ChooseDataFile();
    model.SetHeaderOutput(1);
    model.UseDataFile(folder + "out.dat");
    host.answers = {Answer::Yes};  // stop instead of naming a header
    model.RunConversion();
    model.ChooseInputFile(0);
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
    model.SetPathMode(2);
    SavedProject();
    const std::string title = host.windowTitle;
    model.SetEntrySize(0, "8");
    SaveUnderChosenName(folder + "missing/x.vorlprj");
    EXPECT_EQ(game + "game.vorlprj", model.State().projectFile);
    EXPECT_EQ(title, host.windowTitle);
    EXPECT_EQ(game, model.State().currentFolder);
    EXPECT_EQ("a.bin", Entry(0).fileName) << "the names stay relative to the project's own folder";
    EXPECT_TRUE(model.State().modified);

    // A name without an extension is given the project's.
    SaveUnderChosenName(game + "noext");
    EXPECT_EQ(game + "noext.vorlprj", model.State().projectFile);
    EXPECT_TRUE(fs::exists(game + "noext.vorlprj"));
    SaveUnderChosenName(game + "old.prj");
    EXPECT_EQ(game + "old.prj", model.State().projectFile);
}

TEST_F(Faults, FailedOpenShowsTheEmptyProject)
{
    ASSERT_TRUE(Register(0, game + "a.bin"));
    SaveUnderChosenName(game + "game.vorlprj");
    EXPECT_FALSE(model.OpenProject(folder + "missing.vorlprj"));
    EXPECT_EQ("", host.rows[0].fileName);
    EXPECT_FALSE(host.rows[0].inUse);
    EXPECT_EQ(model.ShortTitle(), host.windowTitle);
}

TEST_F(Faults, EntryEditingTraps)
{
    // A cancelled input dialog leaves the project as it was.
    model.FirstPage();
    model.SetEntryInUse(0, true);
    EXPECT_FALSE(Entry(0).inUse);
    EXPECT_FALSE(host.rows[0].inUse);
    EXPECT_FALSE(model.State().modified);

    // A control character cannot be read back from a project file.
    WriteFile(game + "bad\x01name.bin", "x");
    EXPECT_FALSE(Register(3, game + "bad\x01name.bin"));
    EXPECT_FALSE(Entry(3).inUse);
    EXPECT_EQ("ファイルエラー", host.messages.back().title);

    // Insert would push a used last entry out of the list.
    ASSERT_TRUE(Register(9999, game + "a.bin"));
    host.answers = {Answer::Yes};  // registered twice, each with its own data
    ASSERT_TRUE(Register(5, game + "a.bin"));
    ASSERT_EQ(game + "a.bin", Entry(9999).fileName);
    ASSERT_EQ(game + "a.bin", Entry(5).fileName);
    const size_t before = host.messages.size();
    model.FirstPage();
    model.InsertEntry(5);
    EXPECT_EQ(before + 1, host.messages.size());
    EXPECT_EQ("設定エラー", host.messages.back().title);
    EXPECT_TRUE(Entry(9999).inUse);
    EXPECT_TRUE(Entry(5).inUse);
}

TEST_F(Faults, ManyMissingFilesMakeOneMessage)
{
    // Registered, then moved away before the scan.
    for (int n = 0; n < 25; ++n) {
        WriteFile(game + "gone" + std::to_string(n) + ".bin", "G");
        ASSERT_TRUE(Register(n, game + "gone" + std::to_string(n) + ".bin"));
    }
    for (int n = 0; n < 25; ++n) {
        fs::remove(game + "gone" + std::to_string(n) + ".bin");
    }
    ASSERT_TRUE(host.messages.empty()) << host.messages.front().text;
    model.RescanSizes();
    ASSERT_EQ(1u, host.messages.size());
    const std::string &text = host.messages[0].text;
    EXPECT_NE(std::string::npos, text.find(game + "gone19.bin\r\n"));
    EXPECT_EQ(std::string::npos, text.find("gone20.bin"));
    EXPECT_NE(std::string::npos, text.find("ほか 5 件\r\nファイルが読み込めないよ。"));
    // One missing file reads as it always did.
    model.ResetProject();
    host.messages.clear();
    WriteFile(game + "gone.bin", "G");
    ASSERT_TRUE(Register(0, game + "gone.bin"));
    fs::remove(game + "gone.bin");
    model.RescanSizes();
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_EQ(game + "gone.bin\r\nファイルが読み込めないよ。", host.messages[0].text);
}

TEST_F(Faults, FilesOfTwoGigabytesAndMore)
{
    const int64_t length = (int64_t{3} << 30) + 1;
    ASSERT_EQ(0, truncate((game + "a.bin").c_str(), length));
    ASSERT_TRUE(Register(0, game + "a.bin"));
    EXPECT_EQ(length, Entry(0).size);
    EXPECT_EQ(std::to_string(length), host.rows[0].size);
    model.SetAlignment(4096);  // 4096 bytes
    EXPECT_EQ((int64_t{3} << 30) + 4096, Entry(0).size);
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
    EXPECT_EQ(wide.substr(0, 127 * 3), model.State().texts.convert[2]);
}

TEST_F(Faults, HelpThatCannotBeShownIsNamed)
{
    model.ShowHelp();
    EXPECT_TRUE(host.messages.empty());
    host.documentsOpen = false;
    model.ShowHelp();
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_EQ("/opt/vorl/help.htm\r\nヘルプファイルが開けないよ。", host.messages[0].text);
}

TEST_F(Faults, DataFileDialogOpensInTheFolderOfTheNameBefore)
{
    model.UseDataFile(folder + "out/game.dat");
    model.ChooseDataFile();
    ASSERT_EQ(1u, host.fileDialogs.size());
    EXPECT_EQ(folder + "out/", host.fileDialogs[0].startFolder);
    EXPECT_EQ(folder + "out/game.dat", host.fileDialogs[0].presetName);
}

TEST_F(Faults, SuccessfulRunShowsTheDataFileSize)
{
    SavedProject();
    EXPECT_EQ("0 Bytes", host.totalSize);
    model.RunConversion();
    EXPECT_EQ(std::to_string(fs::file_size(folder + "out.dat")) + " Bytes", host.totalSize);
}

// Everything in a folder with what it holds, links as links.
std::map<std::string, std::string> Contents(const std::string &folder)
{
    std::map<std::string, std::string> found;
    for (const auto &item : fs::recursive_directory_iterator(folder)) {
        const std::string name = item.path().string().substr(folder.size());
        if (item.is_symlink()) {
            found[name] = "-> " + fs::read_symlink(item.path()).string();
        } else if (item.is_regular_file()) {
            found[name] = ReadFile(item.path());
        } else {
            found[name] = "(folder)";
        }
    }
    return found;
}

// The run's temporary project is the run's own: a file called like it in
// the project's folder, or a link of that name, is the user's and stays as
// it was; relative names (with blanks and Japanese characters) and bare
// names still name the files they named, so the pack is the one vorlcnv
// makes of the saved project; and nothing of the run is left.
TEST_F(Faults, TheRunsTemporaryProjectNeverTakesAUsersFile)
{
    fs::create_directories(game + "素材 二");
    WriteFile(game + "素材 二/一 番.bin", "one, one");
    WriteFile(game + "名前 付き.bin", "named");
    model.SetPathMode(2);  // relative
    ASSERT_TRUE(Register(0, game + "a.bin"));
    ASSERT_TRUE(Register(1, game + "sub/b.bin"));
    ASSERT_TRUE(Register(2, game + "素材 二/一 番.bin"));
    ASSERT_TRUE(Register(4, folder + "c.bin"));
    model.SetPathMode(0);  // the bare name
    ASSERT_TRUE(Register(3, game + "名前 付き.bin"));
    ASSERT_EQ("素材 二/一 番.bin", Entry(2).fileName);
    ASSERT_EQ("../c.bin", Entry(4).fileName);
    ASSERT_EQ("名前 付き.bin", Entry(3).fileName);
    SaveUnderChosenName(game + "game.vorlprj");
    ASSERT_FALSE(model.State().modified);
    vorl::test::ProgramResult reference = vorl::test::RunProgram(
        VORLCNV_PROGRAM, {"--project", "game.vorlprj", "--data", folder + "reference.dat"}, game);
    ASSERT_EQ(0, reference.status) << reference.err;

    WriteFile(game + "vorproj.tmp", "the user's own vorproj.tmp");
    WriteFile(game + "important.txt", "important");
    model.UseDataFile(folder + "out.dat");
    const std::map<std::string, std::string> before = Contents(game);
    // While the library converts, the temporary project lies in a folder
    // of the run's own that only its owner may enter.
    host.whileWorking = [&] {
        ASSERT_EQ(1u, host.runFolders.size());
        const std::string room = host.runFolders.back();
        EXPECT_EQ(game, room.substr(0, game.size()));
        EXPECT_EQ(fs::perms::owner_all, fs::status(room).permissions() & fs::perms::all);
        EXPECT_NE(std::string::npos, ReadFile(room + "vorproj.tmp").find("<VorlProject"));
        EXPECT_EQ("the user's own vorproj.tmp", ReadFile(game + "vorproj.tmp"));
    };
    model.RunConversion();
    ASSERT_TRUE(host.messages.empty()) << host.messages.back().text;
    EXPECT_EQ(ReadFile(folder + "reference.dat"), ReadFile(folder + "out.dat"));
    EXPECT_EQ(before, Contents(game));
    EXPECT_EQ(0, model.ExitStatus());

    // A link called like it is not written through.
    fs::remove(game + "vorproj.tmp");
    fs::create_symlink("important.txt", game + "vorproj.tmp");
    fs::remove(folder + "out.dat");
    const std::map<std::string, std::string> linked = Contents(game);
    host.whileWorking = nullptr;
    model.RunConversion();
    ASSERT_TRUE(host.messages.empty()) << host.messages.back().text;
    EXPECT_EQ("important", ReadFile(game + "important.txt"));
    EXPECT_TRUE(fs::is_symlink(game + "vorproj.tmp"));
    EXPECT_EQ(linked, Contents(game));
    EXPECT_EQ(ReadFile(folder + "reference.dat"), ReadFile(folder + "out.dat"));
}

// A folder for the run that cannot be made (here the project's folder
// has gone) stops it before the library, saying so; nothing is written.
TEST_F(Faults, RunWithoutRoomForItsTemporaryProjectSaysSo)
{
    SavedProject();
    WriteFile(folder + "out.dat", "previous");
    fs::rename(game, folder + "moved");
    model.RunConversion();
    EXPECT_EQ(0, host.busyRuns);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ("変換エラー", host.messages.back().title);
    EXPECT_EQ(game + "\r\nテンポラリファイルが作成できませんでした。\n", host.messages.back().text);
    EXPECT_EQ("previous", ReadFile(folder + "out.dat"));
    EXPECT_FALSE(fs::exists(game));
    EXPECT_NE(0, model.ExitStatus());
    EXPECT_TRUE(host.enabled);
    EXPECT_FALSE(model.IsRunUnderWay());
}

// A stop for good (what a signal asks for) ends the run under way, with
// its converters, as the user's stop does, and keeps every later run from
// starting; outside a run it says that nothing was under way.
TEST_F(Faults, StopForGoodEndsTheRunAndAllLaterOnes)
{
    host.convertDialog = [this](ConvertDialogState &state) {
        state.commands[0] = "echo \"$I\" >> '" + folder + "log'; cat \"$I\" > \"$O\"";
        return true;
    };
    model.EditConverters();
    SavedProject();
    ASSERT_TRUE(Register(1, game + "sub/b.bin"));
    model.GoToPage("0");
    model.SetEntryConverter(0, 1);
    model.SetEntryConverter(1, 1);
    WriteFile(folder + "out.dat", "previous");
    const size_t messages = host.messages.size();
    const std::map<std::string, std::string> before = Contents(game);
    EXPECT_FALSE(model.IsRunUnderWay());
    bool underWay = false;
    host.onProgress = [&](int done, int) {
        if (done == 1) {
            underWay = model.StopForGood();
        }
    };
    model.RunConversion();
    EXPECT_TRUE(underWay);
    EXPECT_EQ("previous", ReadFile(folder + "out.dat"));
    EXPECT_EQ(before, Contents(game));
    EXPECT_EQ(messages, host.messages.size()) << host.messages.back().text;
    EXPECT_NE(0, model.ExitStatus());
    EXPECT_FALSE(model.IsRunUnderWay());
    EXPECT_TRUE(host.enabled);
    EXPECT_EQ(1, host.busyRuns);
    EXPECT_FALSE(fs::exists(folder + "log") && ReadFile(folder + "log").find("b.bin") != std::string::npos)
        << "the second converter ran";

    // Nothing more runs, and the stop was no run's.
    host.onProgress = nullptr;
    model.RunConversion();
    EXPECT_EQ(1, host.busyRuns);
    EXPECT_EQ("previous", ReadFile(folder + "out.dat"));
    EXPECT_EQ(before, Contents(game));
    EXPECT_FALSE(model.StopForGood());
}

// A stop for good asked for while the temporary project is written: the
// library is not asked at all.
TEST_F(Faults, StopForGoodBeforeTheLibraryConvertsNothing)
{
    SavedProject();
    WriteFile(folder + "out.dat", "previous");
    const std::map<std::string, std::string> before = Contents(game);
    bool underWay = false;
    host.whileWorking = [&] { underWay = model.StopForGood(); };
    model.RunConversion();
    EXPECT_TRUE(underWay);
    EXPECT_EQ("previous", ReadFile(folder + "out.dat"));
    EXPECT_EQ(before, Contents(game));
    EXPECT_TRUE(host.progress.empty()) << "the library began";
    EXPECT_NE(0, model.ExitStatus());
}

}  // namespace
}  // namespace vorlmake::test
