// The conversion run and the two settings dialogs through the scripted
// fake, with the real library: the names asked for, the temporary project,
// and outputs identical to what vorlcnv makes of the same saved project.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

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

class Run : public ::testing::Test {
protected:
    Run() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        // The folder the program starts in is the one it works in.
        ASSERT_TRUE(model.StartUp({"-t"}, folder));
        ASSERT_EQ(folder, model.State().currentFolder);
        WriteFile(folder + "a.bin", std::string(1000, 'a'));
        WriteFile(folder + "b.bin", "bbbbbbb");
        WriteFile(folder + "c.txt", std::string(3000, 'c'));
    }
    const EditEntry &Entry(int n) const { return model.State().entries[static_cast<size_t>(n)]; }
    bool Register(int entry, const std::string &name)
    {
        model.GoToPage(std::to_string(entry / 10));
        return model.RegisterFile(entry % 10, folder + name);
    }
    TempFolder temp;
    std::string folder = temp.Path().string() + "/";
    FakeHost host;
    FakeLibrary library;
    EditorModel model;
};

TEST_F(Run, RefusalsComeBeforeAnyDialog)
{
    model.RunConversion();
    EXPECT_EQ("有効なIndexが１つもないよ。", host.messages.back().text);
    // An entry in use without a file name.
    WriteFile(folder + "unnamed.vorlprj", ProjectWithUnnamedEntry(0).Text());
    ASSERT_TRUE(model.OpenProject(folder + "unnamed.vorlprj"));
    ASSERT_TRUE(Entry(0).inUse);
    ASSERT_EQ("", Entry(0).fileName);
    model.RunConversion();
    EXPECT_EQ("Indexを有効にした項目には、ちゃんとファイル名を入力してね。", host.messages.back().text);
    EXPECT_TRUE(host.fileDialogs.empty());
    EXPECT_EQ(0, host.busyRuns);
    EXPECT_FALSE(fs::exists(folder + "vorproj.tmp"));
    // Cancelling the data file dialog stops the run as well.
    ASSERT_TRUE(Register(0, "a.bin"));
    model.RunConversion();
    EXPECT_EQ(1u, host.fileDialogs.size());
    EXPECT_EQ(0, host.busyRuns);
}

TEST_F(Run, HeaderNameOnlyForSeparateHeadersAndOnlyOnce)
{
    ASSERT_TRUE(Register(0, "a.bin"));
    for (int mode : {0, 3}) {
        model.SetHeaderOutput(mode);
        host.fileDialogs.clear();
        host.fileChoices = {FileChoice{folder + "out" + std::to_string(mode) + ".dat", 1}};
        model.UseDataFile("");
        model.RunConversion();
        EXPECT_EQ(1u, host.fileDialogs.size()) << "mode " << mode << ": only the data file is asked for";
        EXPECT_TRUE(fs::exists(folder + "out" + std::to_string(mode) + ".dat"));
    }
    model.SetHeaderOutput(1);
    host.fileDialogs.clear();
    // An empty name first: the run asks whether to stop; No asks again.
    host.fileChoices = {std::nullopt, FileChoice{folder + "out.h", 1}};
    host.answers = {Answer::No};
    model.RunConversion();
    EXPECT_EQ(2u, host.fileDialogs.size());
    EXPECT_EQ("ヘッダファイル名を指定してね。\r\nそれとも変換を中断する？", host.messages.back().text);
    EXPECT_EQ("変換中止確認", host.messages.back().title);
    EXPECT_EQ("ヘッダファイル(*.h)", host.fileDialogs[0].filters[0].first);
    EXPECT_EQ(folder + "out.h", model.State().headerFile);
    EXPECT_NE(std::string::npos, ReadFile(folder + "out.h").find("Vorl_Index[] = {"));
    // A second run asks nothing.
    host.fileDialogs.clear();
    size_t messages = host.messages.size();
    model.RunConversion();
    EXPECT_TRUE(host.fileDialogs.empty());
    EXPECT_EQ(messages, host.messages.size());
    // An existing header file: No asks again, Cancel stops.
    model.UseHeaderFile("");
    host.fileChoices = {FileChoice{folder + "out.h", 1}};
    host.answers = {Answer::Cancel};
    int runs = host.busyRuns;
    model.RunConversion();
    EXPECT_EQ(folder + "out.h\r\nこのファイルは既に存在してるよ。\r\n上書きするの？", host.messages.back().text);
    EXPECT_EQ(runs, host.busyRuns);
    // Yes at "stop the run?" stops it.
    host.fileChoices = {std::nullopt};
    host.answers = {Answer::Yes};
    model.RunConversion();
    EXPECT_EQ(runs, host.busyRuns);
}

TEST_F(Run, TemporaryProjectIsAlwaysRemovedAndTheWindowRestored)
{
    ASSERT_TRUE(Register(0, "a.bin"));
    WriteFile(folder + "vorproj.tmp", "an old temporary project");
    model.UseDataFile(folder + "out.dat");
    host.fileChoices = {FileChoice{folder + "mine.vorlprj", 1}};
    model.SaveProjectAs();
    ASSERT_EQ(folder + "mine.vorlprj", model.State().projectFile);
    model.EditRemarks(0, "not saved yet");
    ASSERT_TRUE(model.State().modified);
    model.RunConversion();
    // The run's temporary project was its own: a file of the same name in
    // the project's folder is the user's and stays as it was.
    EXPECT_EQ("an old temporary project", ReadFile(folder + "vorproj.tmp"));
    ASSERT_EQ(1u, host.runFolders.size());
    EXPECT_FALSE(fs::exists(host.runFolders.back()));
    EXPECT_TRUE(fs::exists(folder + "out.dat"));
    EXPECT_EQ(folder + "mine.vorlprj", model.State().projectFile);
    EXPECT_TRUE(model.State().modified) << "the user's unsaved changes are still unsaved";
    EXPECT_EQ((std::vector<bool>{true, false}), host.runningStates);
    EXPECT_FALSE(host.enabledDuringWork);
    EXPECT_TRUE(host.enabled);
    // A failing run shows the library's message with the entry behind it,
    // and cleans up the same way.
    fs::remove(folder + "a.bin");
    model.RunConversion();
    EXPECT_EQ("ファイルが見つかりませんでした。\r\n\r\nエントリ 0: " + folder + "a.bin\r\n", host.messages.back().text);
    EXPECT_EQ("変換エラー", host.messages.back().title);
    EXPECT_EQ(MessageIcon::Critical, host.messages.back().icon);
    EXPECT_EQ("an old temporary project", ReadFile(folder + "vorproj.tmp"));
    EXPECT_FALSE(fs::exists(host.runFolders.back()));
    EXPECT_TRUE(host.enabled);
}

TEST_F(Run, ProjectThatCannotBeWrittenStopsBeforeTheLibrary)
{
    // The remarks field takes no more than fits, so the text that is
    // longer than its field is the temporary project's own name: the user
    // works in a folder whose path is longer than the block's name field.
    const std::string deep = folder + std::string(250, 'd') + "/";
    fs::create_directory(deep);
    EditorModel there(host, library, "/opt/vorl", "2.0.2");
    ASSERT_TRUE(there.StartUp({"-t"}, deep));
    there.GoToPage("0");
    ASSERT_TRUE(there.RegisterFile(0, folder + "a.bin"));
    there.UseDataFile(folder + "out.dat");
    there.RunConversion();
    EXPECT_EQ(0, host.busyRuns);
    EXPECT_NE("変換エラー", host.messages.back().title);
    EXPECT_NE(std::string::npos, host.messages.back().text.find("保存できないよ"));
    EXPECT_FALSE(fs::exists(folder + "vorproj.tmp"));
    EXPECT_FALSE(fs::exists(deep + "vorproj.tmp"));
    EXPECT_TRUE(host.enabled);
}

TEST_F(Run, LabelDialog)
{
    host.labelDialog = [](LabelDialogState &state) {
        EXPECT_EQ("Vorl_Index", state.label);
        EXPECT_EQ("static unsigned short", state.type2);
        EXPECT_EQ("static unsigned int", state.type4);
        state.label = "Sprites";
        state.type2 = "uint16_t";
        state.type4 = std::string(200, 'T');
        return true;
    };
    model.EditHeaderLabels();
    EXPECT_TRUE(model.State().modified) << "the menu item marks the project first";
    EXPECT_EQ("Sprites", model.State().texts.label);
    EXPECT_EQ("uint16_t", model.State().texts.type[1]);
    EXPECT_EQ(std::string(127, 'T'), model.State().texts.type[2]);
    host.labelDialog = [](LabelDialogState &state) {
        state.label = "changed";
        return false;  // Cancel
    };
    model.EditHeaderLabels();
    EXPECT_EQ("Sprites", model.State().texts.label);
    // The filter of the boxes.
    EXPECT_EQ("unsigned short", FilterLabelText("unsigned short*"));
    EXPECT_EQ(std::nullopt, FilterLabelText("ok_name@`表"));
    EXPECT_EQ(std::string(127, 'x'), FilterLabelText(std::string(200, 'x')));
}

TEST_F(Run, ConvertDialogAndTheDefaultConverter)
{
    host.convertDialog = [](ConvertDialogState &state) {
        EXPECT_EQ(0, state.defaultConvert);
        EXPECT_EQ("gzip -9 -n -c \"$I\" > \"$O\"", state.commands[0]);
        state.defaultConvert = 3;
        state.commands[2] = "gzip -c \"$I\" > \"$O\"";
        state.commands[3] = std::string(300, 'z');
        return true;
    };
    model.EditConverters();
    // The templates are stored in the project: changing them is a change.
    EXPECT_TRUE(model.State().modified);
    EXPECT_EQ(3, model.State().defaultConverter);
    EXPECT_EQ("gzip -c \"$I\" > \"$O\"", model.State().texts.convert[2]);
    EXPECT_EQ(std::string(255, 'z'), model.State().texts.convert[3]);
    ASSERT_TRUE(Register(0, "a.bin"));
    EXPECT_EQ(3, Entry(0).converter);
    host.convertDialog = [](ConvertDialogState &state) {
        state.defaultConvert = 1;
        return false;
    };
    model.EditConverters();
    EXPECT_EQ(3, model.State().defaultConverter);
}

// A project filled in the editor gives, when run, exactly what vorlcnv
// makes of the same project saved to a file.
TEST_F(Run, OutputsMatchVorlcnv)
{
    host.convertDialog = [](ConvertDialogState &state) {
        state.commands[0] = "gzip -n -c \"$I\" > \"$O\"";
        return true;
    };
    model.EditConverters();
    model.SetAlignment(4);  // 4-byte alignment
    ASSERT_TRUE(Register(0, "a.bin"));
    ASSERT_TRUE(Register(1, "b.bin"));
    ASSERT_TRUE(Register(2, "c.txt"));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(5, "b.bin"));  // shared with entry 1
    model.FirstPage();
    model.SetEntryConverter(2, 1);  // gzip
    model.SetEntrySize(0, "2048");  // fixed size, padded
    model.ToggleAliasColumn();
    model.SetAlias(1, "300");
    model.SetAlias(5, "42");
    model.ToggleAliasTable();
    model.SetAliasBytes(2);
    for (int mode = 0; mode < 4; ++mode) {
        model.SetHeaderOutput(mode);
        std::string tag = std::to_string(mode);
        model.UseDataFile(folder + "editor" + tag + ".dat");
        model.UseHeaderFile(folder + "editor" + tag + ".h");
        model.RunConversion();
        ASSERT_EQ(0u, host.messages.size() - 1) << host.messages.back().text;  // only the registration question

        host.fileChoices = {FileChoice{folder + "saved" + tag + ".vorlprj", 1}};
        model.SaveProjectAs();
        pid_t child = fork();
        if (child == 0) {
            execl(VORLCNV_PROGRAM, VORLCNV_PROGRAM, "--project", (folder + "saved" + tag + ".vorlprj").c_str(),
                  "--data", ("cli" + tag + ".dat").c_str(), "--header", ("cli" + tag + ".h").c_str(), nullptr);
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_EQ(0, WEXITSTATUS(status)) << "mode " << mode;
        EXPECT_EQ(ReadFile(folder + "editor" + tag + ".dat"), ReadFile(folder + "cli" + tag + ".dat"))
            << "mode " << mode;
        EXPECT_GT(ReadFile(folder + "cli" + tag + ".dat").size(), 2048u);
        if (mode == 1 || mode == 2) {
            EXPECT_EQ(ReadFile(folder + "editor" + tag + ".h"), ReadFile(folder + "cli" + tag + ".h"))
                << "mode " << mode;
        }
    }
    // The gzip output is in the data: its magic bytes follow the first items.
    EXPECT_NE(std::string::npos, ReadFile(folder + "editor3.dat").find("\x1f\x8b"));
}

// An 8-byte alias is packed with both halves, as vorlcnv packs the same
// project: the upper half of an opened project is not lost on the way.
TEST_F(Run, EightByteAliasesMatchVorlcnv)
{
    ProjectFile project;
    project.aliasTable = true;
    project.aliasBytes = 8;
    project.entries = {ProjectEntry(0, true, folder + "a.bin", 0, "", 0, 0x11223344, 5),
                       ProjectEntry(1, true, folder + "b.bin", 0, "", 0, 7, -2)};
    WriteFile(folder + "wide.vorlprj", project.Text());
    ASSERT_TRUE(model.OpenProject(folder + "wide.vorlprj"));
    model.UseDataFile(folder + "editor.dat");
    model.RunConversion();
    ASSERT_TRUE(host.messages.empty()) << host.messages.back().text;

    pid_t child = fork();
    if (child == 0) {
        execl(VORLCNV_PROGRAM, VORLCNV_PROGRAM, "--project", (folder + "wide.vorlprj").c_str(), "--data",
              (folder + "cli.dat").c_str(), nullptr);
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_EQ(0, WEXITSTATUS(status));
    const std::string packed = ReadFile(folder + "editor.dat");
    EXPECT_EQ(ReadFile(folder + "cli.dat"), packed);
    EXPECT_NE(std::string::npos, packed.find(std::string("\x44\x33\x22\x11\x05\x00\x00\x00", 8)));
    EXPECT_NE(std::string::npos, packed.find(std::string("\x07\x00\x00\x00\xfe\xff\xff\xff", 8)));
}

}  // namespace
}  // namespace vorlmake::test
