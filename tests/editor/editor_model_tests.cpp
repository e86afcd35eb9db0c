// The editor's rules through the scripted fake: start-up, the settings
// file, the command line, the reset, the pages, the settings menus and
// the about box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "about_box.h"
#include "command_line.h"
#include "editor_model.h"
#include "fake_host.h"
#include "hint_file.h"
#include "profile_file.h"
#include "project_files.h"
#include "test_support.h"
#include "text_codec.h"

namespace vorlmake::test {
namespace {

using vorl::test::TempFolder;
using vorl::test::WriteFile;

class Editor : public ::testing::Test {
protected:
    Editor() : model(host, library, "/opt/vorl", "2.0.2", [this] { return nextRandom; }) {}
    void Start(const std::string &commandLine = "-t")
    {
        std::string rest = commandLine;
        std::vector<std::string> arguments;
        while (!rest.empty()) {
            std::string token = NextToken(rest);
            if (token.empty()) {
                break;
            }
            arguments.push_back(token);
        }
        ASSERT_TRUE(model.StartUp(arguments, "/home/user/game"));
    }
    const EditEntry &Entry(int number) const { return model.State().entries[static_cast<size_t>(number)]; }
    // Writes a project into the test's folder and opens it, as the user
    // opens a project; false when the editor refused it.
    bool OpenWritten(const std::vector<ProjectEntry> &entries, int dataAlign = 1)
    {
        const std::string path = (files / "written.vorlprj").string();
        ProjectFile project;
        project.entries = entries;
        project.dataAlign = dataAlign;
        WriteFile(path, project.Text());
        return model.OpenProject(path);
    }
    TempFolder files;
    FakeHost host;
    FakeLibrary library;
    double nextRandom = 0.0;
    EditorModel model;
};

TEST_F(Editor, LibraryVersionCheck)
{
    for (int accepted : {0x2000002, 0x2000000, 0x200FFFF}) {
        FakeHost freshHost;
        FakeLibrary freshLibrary;
        freshLibrary.version = accepted;
        EditorModel fresh(freshHost, freshLibrary, "/opt/vorl", "2.0.2");
        EXPECT_TRUE(fresh.StartUp({"-t"}, "/home/user")) << std::hex << accepted;
        EXPECT_TRUE(freshHost.messages.empty());
    }
    for (int refused : {0x2010000, 0x1FFFFFF, 0}) {
        FakeHost freshHost;
        FakeLibrary freshLibrary;
        freshLibrary.version = refused;
        EditorModel fresh(freshHost, freshLibrary, "/opt/vorl", "2.0.2");
        EXPECT_FALSE(fresh.StartUp({}, "/home/user"));
        ASSERT_EQ(1u, freshHost.messages.size());
        EXPECT_EQ("DLL照合エラー", freshHost.messages[0].title);
        EXPECT_EQ(MessageIcon::Critical, freshHost.messages[0].icon);
        EXPECT_EQ(MessageButtons::Ok, freshHost.messages[0].buttons);
        EXPECT_FALSE(freshHost.shown);
        EXPECT_TRUE(freshHost.titleWindows.empty());
    }
    EXPECT_EQ("DLLのバージョンが合わないよ。\n\r(DLL Ver. 2010000)", VersionMismatchText(0x2010000));
    EXPECT_EQ("DLLのバージョンが合わないよ。\n\r(DLL Ver. 1FFFFFF)", VersionMismatchText(0x1FFFFFF));
}

TEST_F(Editor, VersionsAndTitle)
{
    EXPECT_EQ("2.0.2", DllVersionText(0x2000002));
    EXPECT_EQ("3.2.10", DllVersionText(0x0302000A));
    EXPECT_EQ("255.255.65535", DllVersionText(-1));
    Start();
    EXPECT_EQ("2.0.2", model.State().libraryVersion);
    EXPECT_EQ("Vorl Maker for Linux Ver 2.0.2", host.windowTitle);
    EXPECT_EQ("/opt/vorl/", model.State().programFolder);
}

TEST_F(Editor, StartUpWithAndWithoutCommandLine)
{
    Start("");
    EXPECT_EQ((std::vector<std::string>{"Ver 2.0.2  2006/ 9/24"}), host.titleWindows);
    EXPECT_EQ("/home/user/game/", model.State().currentFolder);
    EXPECT_EQ("/home/user/game/", host.currentFolder);
    EXPECT_TRUE(host.shown);
    EXPECT_EQ("0", host.page);
    EXPECT_FALSE(host.closed);

    FakeHost second;
    EditorModel other(second, library, "/opt/vorl", "2.0.2");
    ASSERT_TRUE(other.StartUp({"-t", "-e", "-sOUT.dat", "-h", "my head.h", "project.vorlprj"}, "/home/user/game"));
    EXPECT_TRUE(second.titleWindows.empty());
    EXPECT_TRUE(second.closed);
    EXPECT_EQ(kNoTitleWindow | kEndWhenDone, other.State().startCommands);
    // The project named on the command line does not exist: the load says
    // so and leaves the project unnamed.
    ASSERT_EQ(1u, second.messages.size());
    // Names on the command line are the caller's, in the folder it started from.
    EXPECT_EQ("/home/user/game/project.vorlprj\r\nプロジェクトファイルが読み込めないよ。", second.messages[0].text);
    EXPECT_TRUE(second.unattended);
    EXPECT_EQ("", other.State().projectFile);
    EXPECT_EQ("", other.State().dataFile);  // not run mode: a load forgets the names
}

TEST(CommandLine, NextTokenTakesOneTokenOffTheFront)
{
    std::string text = " \"my project.vorlprj\" -r";
    EXPECT_EQ("my project.vorlprj", NextToken(text));
    EXPECT_EQ(" -r", text);
    EXPECT_EQ("-r", NextToken(text));
    EXPECT_EQ("", text);
    std::string blank = "   ";
    EXPECT_EQ("", NextToken(blank));
    std::string tab = "a\tb";
    EXPECT_EQ("a", NextToken(tab));
    EXPECT_EQ("\tb", tab);
    std::string japanese = "表示.vorlprj x";
    EXPECT_EQ("表示.vorlprj", NextToken(japanese));
}

TEST(CommandLine, OptionsAndTheLastProjectWin)
{
    struct Case {
        const char *line;
        std::string project, save, header;
        int bits;
    };
    const Case cases[] = {
        {"a.vorlprj b.vorlprj", "b.vorlprj", "", "", 0},
        {"-R -T -E", "", "", "", 7},
        {"-r p.vorlprj -sdata.bin", "p.vorlprj", "data.bin", "", 1},
        {"-s out.bin -h \"h x.h\" p", "p", "out.bin", "h x.h", 0},
        {"-x -q p", "p", "", "", 0},
        {"", "", "", "", 0},
        {"   ", "", "", "", 0},
    };
    for (const auto &c : cases) {
        CommandLineResult result = ParseCommandLine(c.line);
        EXPECT_EQ(c.project, result.projectFile) << c.line;
        EXPECT_EQ(c.save, result.saveFile) << c.line;
        EXPECT_EQ(c.header, result.headerFile) << c.line;
        EXPECT_EQ(c.bits, result.initCommand) << c.line;
    }
}

TEST_F(Editor, SettingsFile)
{
    Start();
    EXPECT_EQ("すべてのファイル(*.*)|*.*|binファイル(*.bin)|*.bin|datファイル(*.dat)|*.dat", model.State().inputFilter);
    // The default converters name compressors this host has.
    EXPECT_EQ("gzip -9 -n -c \"$I\" > \"$O\"", model.State().texts.convert[0]);
    EXPECT_EQ("xz -9 -c \"$I\" > \"$O\"", model.State().texts.convert[1]);
    EXPECT_EQ("", model.State().texts.convert[2]);

    std::string longValue(300, 'v');
    host.files["/opt/vorl/vorlmake.ini"] =
        "; settings\r\n[Other]\r\nConvertString1=wrong\r\n[setup]\r\n"
        "ConvertString1=\"gzip -c \"$I\" > \"$O\"\"\r\n"
        "convertstring3 = xz -c \"$I\" > \"$O\"\r\n"
        "ConvertString4=" +
        longValue + "\r\n";
    model.ResetProject();
    EXPECT_EQ("gzip -c \"$I\" > \"$O\"", model.State().texts.convert[0]);
    EXPECT_EQ("xz -9 -c \"$I\" > \"$O\"", model.State().texts.convert[1]);  // missing key: default
    EXPECT_EQ("xz -c \"$I\" > \"$O\"", model.State().texts.convert[2]);
    EXPECT_EQ(std::string(255, 'v'), model.State().texts.convert[3]);

    // A settings file brought from Windows is CP932.
    host.files["/opt/vorl/vorlmake.ini"] = *Utf8ToCp932("[Setup]\r\nLoadDataFilter=画像(*.bmp)|*.bmp\r\n");
    model.ResetProject();
    EXPECT_EQ("画像(*.bmp)|*.bmp", model.State().inputFilter);
}

TEST_F(Editor, ResetProjectState)
{
    Start();
    // An open project with a used entry, then settings changed by hand.
    ASSERT_TRUE(OpenWritten({{5, true, "x.bin", 2, "r", 10, 3}}));
    ASSERT_EQ((EditEntry{true, "x.bin", 2, "r", 10, true, 3}), Entry(5));
    ASSERT_EQ((files / "written.vorlprj").string(), model.State().projectFile);
    model.ToggleAliasTable();
    model.SetAlignment(64);
    model.SetHeaderOutput(3);
    model.ResetProject();
    const EditorState &state = model.State();
    EXPECT_EQ("Vorl_Index", state.texts.label);
    // Type names a C compiler accepts.
    EXPECT_EQ("static unsigned char", state.texts.type[0]);
    EXPECT_EQ("static unsigned long long", state.texts.type[3]);
    EXPECT_EQ(1, state.block.pathmode);
    EXPECT_EQ(4, state.block.indexbyte);
    EXPECT_EQ(4, state.block.usealias);
    EXPECT_EQ(0, state.block.indexout);
    EXPECT_EQ(0, state.block.changeendian);
    EXPECT_EQ(1, state.block.dataalign);
    EXPECT_EQ(1, state.block.indexinterval);
    EXPECT_EQ("", state.projectFile);
    EXPECT_EQ(1, state.inputFilterIndex);
    EXPECT_FALSE(state.modified);
    EXPECT_FALSE(Entry(5).inUse);
    EXPECT_EQ("", Entry(5).fileName);
    EXPECT_EQ("0 Bytes", host.totalSize);
    EXPECT_TRUE(host.menus.alignment[0]);
    EXPECT_TRUE(host.menus.headerOutput[0]);
    EXPECT_TRUE(host.menus.pathMode[1]);
    EXPECT_TRUE(host.menus.indexBytes[2]);
    EXPECT_TRUE(host.menus.aliasBytes[2]);
    EXPECT_TRUE(host.menus.byteOrder[0]);
    EXPECT_FALSE(host.menus.aliasTable);
    EXPECT_TRUE(host.menus.labelsEditable);
}

TEST_F(Editor, CaptionsFollowTheInterval)
{
    Start();
    struct Case {
        int interval, page;
        std::array<const char *, 10> captions;
    };
    const Case cases[] = {
        {1, 0, {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {3, 1, {"", "", "4", "", "", "5", "", "", "6", ""}},
        {4, 0, {"0", "", "", "", "1", "", "", "", "2", ""}},
    };
    for (const auto &c : cases) {
        model.SetPageInterval(std::to_string(c.interval));
        model.GoToPage(std::to_string(c.page));
        for (int row = 0; row < 10; ++row) {
            EXPECT_EQ(c.captions[static_cast<size_t>(row)], host.rows[static_cast<size_t>(row)].caption)
                << "interval " << c.interval << " row " << row;
        }
    }
    // The interval is stored in the project file: changing it is a change.
    EXPECT_TRUE(model.State().modified);
    model.ResetProject();
    model.SetPageInterval("1");
    EXPECT_FALSE(model.State().modified) << "the same interval again changes nothing";
}

TEST_F(Editor, PagingLimits)
{
    Start();
    model.PreviousPage();
    EXPECT_EQ(0, model.State().currentPage);
    model.LastPage();
    EXPECT_EQ(999, model.State().currentPage);
    EXPECT_EQ("999", host.page);
    model.NextPage();
    EXPECT_EQ(999, model.State().currentPage);
    model.PreviousPage();
    EXPECT_EQ(998, model.State().currentPage);
    model.FirstPage();
    EXPECT_EQ(0, model.State().currentPage);
    model.NextPage();
    EXPECT_EQ(1, model.State().currentPage);
    EXPECT_EQ("10", host.rows[0].caption);
}

TEST_F(Editor, PageAndIntervalEntry)
{
    Start();
    struct Case {
        const char *text;
        int page;
    };
    for (Case c : {Case{"abc", 0}, Case{"12", 12}, Case{"2.5", 2}, Case{"3.5", 4}, Case{"7x", 7}, Case{"-4", 0},
                   Case{"999", 999}, Case{" 15", 15}}) {
        model.GoToPage(c.text);
        EXPECT_EQ(c.page, model.State().currentPage) << c.text;
    }
    for (Case c : {Case{"0", 1}, Case{"abc", 1}, Case{"7", 7}, Case{"99", 99}, Case{"5.5", 6}}) {
        model.SetPageInterval(c.text);
        EXPECT_EQ(c.page, model.State().block.indexinterval) << c.text;
        EXPECT_EQ(std::to_string(c.page), host.interval);
    }
    // Nothing happens while the window is disabled or being redrawn.
    host.enabled = false;
    model.GoToPage("5");
    EXPECT_EQ(15, model.State().currentPage);
}

TEST_F(Editor, RowsShowTheirEntries)
{
    Start();
    // a.bin is measured when the project opens; c.bin keeps its typed size.
    WriteFile(files / "a.bin", std::string(16, 'a'));
    WriteFile(files / "b.bin", std::string(5, 'b'));
    ASSERT_TRUE(OpenWritten({{0, true, "a.bin", 0, "first", 0, 7},
                             {1, true, "b.bin", 2},
                             {2, true, "c.bin", 2, "", 48},
                             {3, false, "d.bin"}}));
    ASSERT_EQ((EditEntry{true, "a.bin", 0, "first", 16, false, 7}), Entry(0));
    ASSERT_TRUE(Entry(1).inUse);
    ASSERT_FALSE(Entry(1).sizeTyped);
    ASSERT_EQ((EditEntry{true, "c.bin", 2, "", 48, true, 0}), Entry(2));
    ASSERT_EQ((EditEntry{false, "d.bin", 0, "", 0, false, 0}), Entry(3));
    host.focused.clear();  // only what the redraw below focuses
    model.ShowPage();
    EXPECT_EQ("a.bin", host.rows[0].fileName);
    EXPECT_EQ("first", host.rows[0].remarks);
    EXPECT_EQ("16", host.rows[0].size);
    EXPECT_EQ("???", host.rows[1].size);
    EXPECT_FALSE(host.rows[1].sizeRed);
    EXPECT_EQ("48", host.rows[2].size);
    EXPECT_TRUE(host.rows[2].sizeRed);
    EXPECT_EQ(2, host.rows[2].converter);
    EXPECT_FALSE(host.rows[3].inUse);
    EXPECT_EQ((std::vector<int>{0, 1, 2}), host.focused);

    model.ToggleAliasColumn();
    EXPECT_EQ("エイリアス", host.remarksHeading);
    EXPECT_EQ("7", host.rows[0].remarks);
    EXPECT_TRUE(host.menus.aliasColumn);
    model.ToggleAliasColumn();
    EXPECT_EQ("備考", host.remarksHeading);
    EXPECT_EQ("first", host.rows[0].remarks);
    EXPECT_FALSE(model.State().modified);
}

TEST_F(Editor, SettingsHandlersAndTheModifiedFlag)
{
    Start();
    struct Case {
        const char *what;
        std::function<void()> click;
        bool marks;
    };
    const Case cases[] = {
        // Everything the project file stores marks the project when it changes.
        {"path", [&] { model.SetPathMode(2); }, true},
        {"index width", [&] { model.SetIndexBytes(2); }, true},
        {"alias width", [&] { model.SetAliasBytes(8); }, true},
        {"byte order", [&] { model.SetBigEndian(true); }, true},
        {"same path", [&] { model.SetPathMode(1); }, false},
        {"same index width", [&] { model.SetIndexBytes(4); }, false},
        {"same alias width", [&] { model.SetAliasBytes(4); }, false},
        {"same byte order", [&] { model.SetBigEndian(false); }, false},
        {"sound", [&] { model.ToggleSound(); }, false},
        {"help", [&] { model.ShowHelp(); }, false},
        {"alias display", [&] { model.ToggleAliasColumn(); }, false},
        {"checked alignment", [&] { model.SetAlignment(1); }, false},
        {"alignment", [&] { model.SetAlignment(16); }, true},
        {"header", [&] { model.SetHeaderOutput(1); }, true},
        {"alias", [&] { model.ToggleAliasTable(); }, true},
        {"FFFF", [&] { model.ToggleMissingIndexAllOnes(); }, true},
        {"no file", [&] { model.ToggleMissingFileUnused(); }, true},
    };
    for (const auto &c : cases) {
        model.ResetProject();
        c.click();
        EXPECT_EQ(c.marks, model.State().modified) << c.what;
    }
    // The values and marks they leave.
    model.ResetProject();
    model.SetPathMode(2);
    model.SetIndexBytes(2);
    model.SetAliasBytes(8);
    model.SetBigEndian(true);
    const VorlInformation &info = model.State().block;
    EXPECT_EQ(2, info.pathmode);
    EXPECT_EQ(2, info.indexbyte);
    EXPECT_EQ(8, info.usealias);
    EXPECT_EQ(1, info.changeendian);
    EXPECT_EQ((std::array<bool, 3>{false, false, true}), host.menus.pathMode);
    EXPECT_EQ((std::array<bool, 4>{false, true, false, false}), host.menus.indexBytes);
    // The window offers what the model says: the 1- and 8-byte index widths
    // are shown, never offered; a project's own width is still shown.
    EXPECT_EQ((std::array<bool, 4>{false, true, true, false}), host.menus.indexBytesOffered);
    model.SetIndexBytes(8);
    EXPECT_EQ((std::array<bool, 4>{false, false, false, true}), host.menus.indexBytes);
    EXPECT_EQ((std::array<bool, 4>{false, true, true, false}), host.menus.indexBytesOffered);
    model.SetIndexBytes(2);
    EXPECT_EQ((std::array<bool, 4>{false, false, false, true}), host.menus.aliasBytes);
    EXPECT_EQ((std::array<bool, 2>{false, true}), host.menus.byteOrder);
    EXPECT_EQ("/opt/vorl/help.htm", host.openedDocuments.back());
    // A change made while the window is disabled does not mark the project.
    model.ResetProject();
    host.enabled = false;
    model.ToggleAliasTable();
    EXPECT_FALSE(model.State().modified);
    EXPECT_TRUE(host.menus.aliasTable);
}

TEST_F(Editor, AlignmentRaisesSizesAndKeepsFixedSizes)
{
    Start();
    ASSERT_TRUE(OpenWritten({{0, true, "a.bin", 0, "", 10},
                             {1, true, "b.bin", 0, "", 32},
                             {2, true, "*0", 0, "", 10},
                             {3, false, "d.bin", 0, "", 10}}));
    // A project ends before entry 9999: its file is registered by hand.
    WriteFile(files / "z.bin", "z");
    model.LastPage();
    ASSERT_TRUE(model.RegisterFile(9, (files / "z.bin").string()));
    model.FirstPage();
    ASSERT_EQ((EditEntry{true, "a.bin", 0, "", 10, true, 0}), Entry(0));
    ASSERT_EQ((EditEntry{true, "b.bin", 0, "", 32, true, 0}), Entry(1));
    ASSERT_EQ((EditEntry{true, "*0", 0, "", 10, true, 0}), Entry(2));
    ASSERT_EQ((EditEntry{false, "d.bin", 0, "", 10, true, 0}), Entry(3));
    ASSERT_EQ(1, Entry(9999).size);
    ASSERT_FALSE(Entry(9999).sizeTyped);
    ASSERT_TRUE(host.messages.empty()) << host.messages.back().text;
    model.SetAlignment(16);  // 16 bytes
    EXPECT_EQ(16, model.State().block.dataalign);
    // Typed sizes stay typed (they are what the project file saves), raised
    // to the new alignment, and one message names those that changed.
    EXPECT_EQ(16, Entry(0).size);
    EXPECT_TRUE(Entry(0).sizeTyped);
    EXPECT_EQ(32, Entry(1).size);
    EXPECT_TRUE(Entry(1).sizeTyped);
    ASSERT_EQ(1u, host.messages.size());
    EXPECT_EQ("固定サイズを新しいデータ境界に合わせて補正したよ。\r\n0: 10 → 16 Bytes\r\n", host.messages[0].text);
    EXPECT_EQ("警告", host.messages[0].title);
    EXPECT_EQ(10, Entry(2).size);
    EXPECT_TRUE(Entry(2).sizeTyped);
    EXPECT_EQ(10, Entry(3).size);
    EXPECT_EQ(16, Entry(9999).size);
    EXPECT_EQ("16", host.rows[0].size);
    // A smaller alignment never lowers a size, and says nothing when no
    // typed size changed.
    model.SetAlignment(4);
    EXPECT_EQ(16, Entry(0).size);
    EXPECT_EQ(1u, host.messages.size());
    EXPECT_EQ((std::array<bool, 8>{false, true, false, false, false, false, false, false}), host.menus.alignment);
}

TEST_F(Editor, NoHeaderOutputGreysTheIndexItems)
{
    Start();
    model.SetHeaderOutput(3);
    EXPECT_EQ(3, model.State().block.indexout);
    EXPECT_FALSE(host.menus.labelsEditable);
    EXPECT_FALSE(host.menus.missingIndexChoosable);
    EXPECT_FALSE(host.menus.byteOrderChoosable);
    EXPECT_FALSE(host.menus.indexBytesChoosable);
    EXPECT_FALSE(host.menus.aliasChoosable);
    model.SetHeaderOutput(2);
    EXPECT_TRUE(host.menus.labelsEditable);
    EXPECT_TRUE(host.menus.aliasChoosable);
    EXPECT_EQ((std::array<bool, 4>{false, false, true, false}), host.menus.headerOutput);
}

TEST_F(Editor, AlignMenuMirrorsTheBlock)
{
    Start();
    // Opening a project marks the alignment it stores; one that is not
    // offered marks none.
    for (int align : {1, 4, 16, 64, 128, 256, 2048, 4096, 8, 0}) {
        ASSERT_TRUE(OpenWritten({{0, false}}, align)) << align;
        ASSERT_EQ(align, model.State().block.dataalign);
        int checked = -1;
        for (int i = 0; i < 8; ++i) {
            if (host.menus.alignment[static_cast<size_t>(i)]) {
                checked = i;
            }
        }
        int expected = -1;
        for (int i = 0; i < 8; ++i) {
            if (kAlignmentChoices[static_cast<size_t>(i)] == align) {
                expected = i;
            }
        }
        EXPECT_EQ(expected, checked) << align;
    }
}

TEST(HintFile, FieldsAndPicks)
{
    std::string file = "3\r\n\"first, with comma\"\r\n  second\r\n\"third\"\r\n";
    EXPECT_EQ((std::vector<std::string>{"3", "first, with comma", "second", "third"}), ReadHintFields(file));
    EXPECT_EQ("first, with comma", PickHint(file, 0.0));
    EXPECT_EQ("second", PickHint(file, 0.3));
    EXPECT_EQ("third", PickHint(file, 0.99));  // r = 3 runs past the last hint: the last one read stays
    EXPECT_EQ("first, with comma", PickHint(std::string("5,\"first, with comma\""), 0.9));
    EXPECT_EQ(kNoHintText, PickHint(std::nullopt, 0.5));
    EXPECT_EQ("x", PickHint(std::string("x"), 0.5));  // not a number: N = 0, the first field stays
}

TEST_F(Editor, AboutBox)
{
    Start();
    host.files["/opt/vorl/vorlhint.dat"] = *Utf8ToCp932("2\r\n\"ヒントその一\"\r\n\"ヒントその二\"\r\n");
    nextRandom = 0.1;
    host.onAbout = [&](AboutBox &about) {
        EXPECT_TRUE(model.State().redrawing);
        const AboutView &view = about.View();
        EXPECT_EQ("VorlMaker for Linuxのバージョン情報", view.caption);
        EXPECT_EQ("VorlMaker for Linux", view.title);
        EXPECT_EQ("バージョン 2.0.2  2006/ 9/24", view.version);
        EXPECT_EQ("DLLバージョン 2.0.2", view.dllVersion);
        EXPECT_EQ("ここをクリックすると、ヒントが出るよ", view.hint);
        about.ShowNextHint();
        EXPECT_EQ("ヒントその一", about.View().hint);
        EXPECT_EQ(1, host.beeps);
        about.TouchIcon();
        EXPECT_EQ("\r\n気安くさわるなっ！", about.View().hint);
        about.ShowSystemInformation();
        ASSERT_EQ(1u, host.messages.size());
        EXPECT_EQ("現時点ではｼｽﾃﾑ情報を使用できません", host.messages[0].text);
        EXPECT_EQ("VorlMaker for Linux", host.messages[0].title);
        host.files.clear();
        about.ShowNextHint();
        EXPECT_EQ(kNoHintText, about.View().hint);
        EXPECT_EQ(2, host.beeps);
    };
    model.ShowAbout();
    EXPECT_FALSE(model.State().redrawing);
}

}  // namespace
}  // namespace vorlmake::test
