// Entry editing and project commands through the scripted fake, with the
// real library behind the binding and real files in a folder of the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "editor_model.h"
#include "fake_host.h"
#include "vorl_cnv.h"

namespace vorlmake::test {
namespace {

namespace fs = std::filesystem;

class Folder {
public:
    Folder()
    {
        std::string pattern = (fs::temp_directory_path() / "vorlmake-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~Folder() { fs::remove_all(path_); }
    std::string operator/(const std::string &name) const { return (path_ / name).string(); }
    std::string Base() const { return path_.string() + "/"; }

private:
    fs::path path_;
};

void Write(const std::string &path, const std::string &content)
{
    std::ofstream(path, std::ios::binary) << content;
}

class Editing : public ::testing::Test {
protected:
    Editing() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        ASSERT_TRUE(model.StartUp({"-t"}, folder.Base()));
        model.State().CurrentDir = folder.Base();
        for (const char *name : {"a.bin", "b.bin", "A.BIN"}) {
            Write(folder / name, std::string(10, 'x'));
        }
        Write(folder / "empty.bin", "");
        fs::create_directory(folder / "pic");
        Write(folder / "pic/p.bmp", std::string(32, 'p'));
    }
    EditEntry &Entry(int n) { return model.State().Entries[static_cast<size_t>(n)]; }
    // Registers a file into entry `entry` by turning to its page.
    bool Register(int entry, const std::string &path)
    {
        model.EnterPage(std::to_string(entry / 10));
        return model.RegisterFile(entry % 10, path);
    }
    size_t MessageCount() const { return host.messages.size(); }
    const RecordedMessage &LastMessage() const { return host.messages.back(); }
    Folder folder;
    FakeHost host;
    FakeLibrary library;
    EditorModel model;
};

TEST_F(Editing, RegistrationOnAnotherPageAndThePathModes)
{
    ASSERT_TRUE(Register(32, folder / "a.bin"));
    EXPECT_TRUE(Entry(32).Use);
    EXPECT_EQ(folder / "a.bin", Entry(32).FileName);  // path mode 1 after a reset: the full path
    EXPECT_EQ(10, Entry(32).Size);
    EXPECT_TRUE(model.State().NewAccess);
    EXPECT_EQ(0u, MessageCount()) << "the search skips the entry itself";

    model.mnu_PathSel_Click(0);
    ASSERT_TRUE(Register(33, folder / "pic/p.bmp"));
    EXPECT_EQ("p.bmp", Entry(33).FileName);
    model.mnu_PathSel_Click(2);
    ASSERT_TRUE(Register(34, folder / "b.bin"));
    EXPECT_EQ("b.bin", Entry(34).FileName);
    model.State().CurrentDir = folder / "pic/";
    ASSERT_TRUE(Register(35, folder / "empty.bin"));
    EXPECT_EQ("../empty.bin", Entry(35).FileName);
    EXPECT_EQ(0, Entry(35).Size);
}

TEST_F(Editing, SharedReferencesInBothDirections)
{
    ASSERT_TRUE(Register(40, folder / "a.bin"));
    Entry(40).Remarks = "holder";
    Entry(40).ConvertNo = 2;
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(12, folder / "a.bin"));
    EXPECT_EQ("ファイルが既に登録されているよ。多重登録します？", LastMessage().text);
    EXPECT_EQ("多重登録確認", LastMessage().title);
    EXPECT_EQ(MessageButtons::YesNoCancel, LastMessage().buttons);
    EXPECT_EQ(folder / "a.bin", Entry(12).FileName);
    EXPECT_EQ("holder", Entry(12).Remarks);
    EXPECT_EQ(2, Entry(12).ConvertNo);
    EXPECT_EQ("*12", Entry(40).FileName);
    EXPECT_EQ(0, Entry(40).ConvertNo);
    EXPECT_EQ("", Entry(40).Remarks);
    EXPECT_EQ(0, Entry(40).Size);

    ASSERT_TRUE(Register(7, folder / "b.bin"));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(50, folder / "b.bin"));
    EXPECT_EQ("*7", Entry(50).FileName);

    host.answers = {Answer::Yes};
    ASSERT_TRUE(Register(51, folder / "b.bin"));
    EXPECT_EQ(folder / "b.bin", Entry(51).FileName);

    host.answers = {Answer::Cancel};
    EXPECT_FALSE(Register(52, folder / "b.bin"));
    EXPECT_FALSE(Entry(52).Use);
}

TEST_F(Editing, CaseMattersOnThisHost)
{
    ASSERT_TRUE(Register(0, folder / "a.bin"));
    ASSERT_TRUE(Register(1, folder / "A.BIN"));
    EXPECT_EQ(0u, MessageCount()) << "a.bin and A.BIN are two files";
    EXPECT_EQ(folder / "A.BIN", Entry(1).FileName);
}

TEST_F(Editing, TakingEntriesOutOfUse)
{
    ASSERT_TRUE(Register(0, folder / "a.bin"));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(3, folder / "a.bin"));
    model.FirstPage();
    model.chkIndex_Click(0, false);
    EXPECT_EQ("親であるこのindexを無効にすることは出来ないんだよ。", LastMessage().text);
    EXPECT_EQ("設定エラー", LastMessage().title);
    EXPECT_TRUE(Entry(0).Use);
    EXPECT_TRUE(host.rows[0].inUse);
    Entry(3).Alias = 9;
    Entry(3).SizeFixed = true;
    model.chkIndex_Click(3, false);
    EXPECT_FALSE(Entry(3).Use);
    EXPECT_EQ("", Entry(3).FileName);
    EXPECT_EQ(9, Entry(3).Alias);
    EXPECT_TRUE(Entry(3).SizeFixed);
    // Ticking an empty entry opens the dialog; cancelling takes it out again.
    model.chkIndex_Click(5, true);
    EXPECT_EQ(1u, host.fileDialogs.size());
    EXPECT_FALSE(Entry(5).Use);
    // Choosing a file registers it and remembers the folder and filter.
    host.fileChoices = {FileChoice{folder / "pic/p.bmp", 2}};
    model.chkIndex_Click(6, true);
    EXPECT_EQ(folder / "pic/p.bmp", Entry(6).FileName);
    EXPECT_EQ(folder / "pic/", model.State().FileInputDir);
    EXPECT_EQ(2, model.State().FileInputFilter);
    EXPECT_EQ(folder.Base(), host.fileDialogs[0].startFolder);
    EXPECT_EQ("すべてのファイル(*.*)", host.fileDialogs[0].filters[0].first);
}

TEST_F(Editing, InsertAndDeleteRenumberReferences)
{
    Entry(5) = EditEntry{true, "five", 0, "", 0, true, 55};
    Entry(8) = EditEntry{true, "eight", 0, "", 0, false, 0};
    Entry(20) = EditEntry{true, "*5", 0, "", 0, false, 0};
    Entry(21) = EditEntry{true, "*3", 0, "", 0, false, 0};
    Entry(22) = EditEntry{true, "*8", 0, "", 0, false, 0};
    Entry(9999) = EditEntry{false, "unused", 0, "", 0, false, 0};
    model.FirstPage();
    model.txtVorName_Insert(5);
    EXPECT_EQ("five", Entry(6).FileName);
    EXPECT_FALSE(Entry(5).Use);
    EXPECT_EQ("", Entry(5).FileName);
    EXPECT_TRUE(Entry(5).SizeFixed);  // kept from the entry that moved on
    EXPECT_EQ(55, Entry(5).Alias);
    EXPECT_EQ("*6", Entry(21).FileName);
    EXPECT_EQ("*3", Entry(22).FileName);
    EXPECT_EQ("*9", Entry(23).FileName);
    EXPECT_EQ("", Entry(9999).FileName);  // pushed off the end
    EXPECT_TRUE(model.State().NewAccess);

    model.txtVorName_Delete(5);
    EXPECT_EQ("five", Entry(5).FileName);
    EXPECT_EQ("*5", Entry(20).FileName);
    EXPECT_EQ("*8", Entry(22).FileName);
    // Entry 5 is a parent now: deleting it is refused.
    size_t before = MessageCount();
    model.txtVorName_Delete(5);
    EXPECT_EQ(before + 1, MessageCount());
    EXPECT_EQ("five", Entry(5).FileName);
    // Delete on entry 8 turns *8 into... it is refused too; on 6, *8 becomes *7.
    Entry(22).FileName = "*8";
    Entry(8).FileName = "eight";
    model.txtVorName_Delete(6);
    EXPECT_EQ("*7", Entry(21).FileName);
    // Entry 9999 is never moved.
    model.LastPage();
    model.txtVorName_Insert(9);
    model.txtVorName_Delete(9);
}

TEST_F(Editing, RemarksAreFiltered)
{
    Entry(0).Use = true;
    model.FirstPage();
    EXPECT_EQ("abcd", model.txtBikou_Change(0, "a-b/c?d"));
    EXPECT_EQ("abcd", Entry(0).Remarks);
    EXPECT_EQ(std::nullopt, model.txtBikou_Change(0, "表示_@ 01"));
    EXPECT_EQ("表示_@ 01", Entry(0).Remarks);
    EXPECT_EQ(std::string(255, 'r'), model.txtBikou_Change(0, std::string(300, 'r')));
    // 200 two-byte characters would need 400 bytes: 127 of them fit.
    std::string wide;
    for (int i = 0; i < 200; ++i) {
        wide += "表";
    }
    auto kept = model.txtBikou_Change(0, wide);
    ASSERT_TRUE(kept);
    EXPECT_EQ(127u * 3, kept->size());
    EXPECT_TRUE(model.State().NewAccess);
}

TEST_F(Editing, AliasEntry)
{
    Entry(0).Use = true;
    model.FirstPage();
    model.mnuDispAlias_Click();
    // The alias table's width decides what fits, not the index width: a
    // 2-byte index with a 4-byte alias table keeps 70000 as typed.
    model.mnuIdxTp_Click(1);
    struct Case {
        int aliasItem;  // 0 to 3: 1, 2, 4, 8 bytes
        const char *text;
        int32_t alias;
        bool warns;
    };
    const Case cases[] = {
        {2, "70000", 70000, false}, {1, "70000", 4464, true},  {1, "-1", 65535, false}, {1, "12.5", 12, false},
        {1, "x", 0, false},         {0, "300", 44, true},      {0, "-1", 255, false},   {0, "-129", 127, true},
        {0, "255", 255, false},     {3, "-1", -1, false},
    };
    for (const Case &c : cases) {
        model.mnuAlsTp_Click(c.aliasItem);
        size_t before = MessageCount();
        model.txtBikou_Commit(0, c.text);
        EXPECT_EQ(c.alias, Entry(0).Alias) << c.text << " width item " << c.aliasItem;
        EXPECT_EQ(c.warns ? before + 1 : before, MessageCount()) << c.text << " width item " << c.aliasItem;
    }
    EXPECT_EQ("エイリアスの値が大きすぎるよ", host.messages.back().text);
    model.mnuAlsTp_Click(2);
    model.txtBikou_Commit(0, "70000");
    EXPECT_EQ(70000, Entry(0).Alias);
    EXPECT_EQ("70000", host.rows[0].remarks);
    // With the alias display off, Enter stores nothing.
    model.mnuDispAlias_Click();
    model.txtBikou_Commit(0, "5");
    EXPECT_EQ(70000, Entry(0).Alias);
}

TEST_F(Editing, TypedSizes)
{
    Entry(0) = EditEntry{true, folder / "a.bin", 0, "", 10, false, 0};
    model.FirstPage();
    model.mnuKgr_Click(1);  // 4 bytes
    struct Case {
        const char *text;
        int32_t size;
        bool warns;
    };
    for (Case c : {Case{"5", 8, true}, Case{"8", 8, false}, Case{"abc", 0, false}}) {
        size_t before = MessageCount();
        model.txtSize_Enter(0, c.text);
        EXPECT_EQ(c.size, Entry(0).Size) << c.text;
        EXPECT_TRUE(Entry(0).SizeFixed);
        EXPECT_TRUE(host.rows[0].sizeRed);
        EXPECT_EQ(c.warns ? before + 1 : before, MessageCount()) << c.text;
    }
    model.txtSize_Enter(0, "5");
    EXPECT_EQ("このサイズ設定だと、データ境界が設定単位にならないよ。\r\n設定を自動的に補正するね。",
              host.messages.back().text);
    // A negative size would be saved as 4 GiB, one past 2 GiB does not fit
    // the project: both are refused and the size stays as it was.
    for (const char *refused : {"-1", "-5", "2147483647"}) {
        size_t before = MessageCount();
        model.txtSize_Enter(0, refused);
        EXPECT_EQ(8, Entry(0).Size) << refused;
        EXPECT_EQ("8", host.rows[0].size) << refused;
        EXPECT_EQ(before + 1, MessageCount()) << refused;
        EXPECT_EQ("サイズには 0 から 2147483647 までの数を入力してね。", host.messages.back().text);
    }
    // Double-click gives the size back to the file.
    model.txtSize_DblClick(0);
    EXPECT_FALSE(Entry(0).SizeFixed);
    EXPECT_EQ(12, Entry(0).Size);
    // Changing the converter leaves a fixed size alone.
    model.txtSize_Enter(0, "64");
    model.cmbDataConv_Click(0, 2);
    EXPECT_EQ(64, Entry(0).Size);
    EXPECT_EQ("64", host.rows[0].size);
}

TEST_F(Editing, Rescans)
{
    model.mnuKgr_Click(2);  // 16 bytes
    Write(folder / "thirty-two", std::string(32, 't'));
    Entry(0) = EditEntry{true, folder / "a.bin", 0, "", 0, false, 0};
    Entry(1) = EditEntry{true, folder / "thirty-two", 0, "", 0, false, 0};
    Entry(2) = EditEntry{true, folder / "empty.bin", 0, "", 99, false, 0};
    Entry(3) = EditEntry{true, folder / "a.bin", 0, "", 48, true, 0};
    Entry(4) = EditEntry{true, "*0", 0, "", 7, false, 0};
    Entry(5) = EditEntry{true, "a.bin", 0, "", 0, false, 0};  // relative to CurrentDir
    model.mnuFileScan_Click();
    EXPECT_EQ(16, Entry(0).Size);
    EXPECT_EQ(32, Entry(1).Size);
    EXPECT_EQ(0, Entry(2).Size);
    EXPECT_EQ(48, Entry(3).Size);
    EXPECT_EQ(7, Entry(4).Size);
    EXPECT_EQ(16, Entry(5).Size);
    EXPECT_EQ(0u, MessageCount());
    model.ScanEntrySize(3, true);
    EXPECT_EQ(16, Entry(3).Size);
    EXPECT_TRUE(Entry(3).SizeFixed);

    Entry(6) = EditEntry{true, folder / "gone.bin", 0, "", 5, false, 0};
    model.mnuFileScan_Click();
    ASSERT_EQ(1u, MessageCount());
    EXPECT_EQ(folder / "gone.bin" + "\r\nファイルが読み込めないよ。", LastMessage().text);
    EXPECT_EQ("ファイルエラー", LastMessage().title);
    EXPECT_EQ(5, Entry(6).Size);
    model.mnuNoFile_Click();
    model.mnuFileScan_Click();
    EXPECT_EQ(1u, MessageCount());
}

class Projects : public Editing {
protected:
    std::string Project() const { return folder / "game.vorlprj"; }
    void FillTwoEntries()
    {
        ASSERT_TRUE(Register(0, folder / "a.bin"));
        ASSERT_TRUE(Register(5, folder / "b.bin"));
        Entry(5).Remarks = "五番";
        Entry(5).Alias = 77;
        model.FirstPage();
        model.txtSize_Enter(5, "512");
    }
    void SaveAs(const std::string &path, std::deque<Answer> answers = {})
    {
        host.fileChoices = {FileChoice{path, 1}};
        host.answers = std::move(answers);
        model.mnuSaveAs_Click();
    }
};

TEST_F(Projects, SaveAndLoadRoundTrip)
{
    FillTwoEntries();
    model.mnuKgr_Click(1);  // clears the fixed size: saved as 0
    model.txtSize_Enter(5, "512");
    model.mnuEndi_Click(1);
    model.mnuAlsTp_Click(3);
    SaveAs(Project());
    ASSERT_FALSE(model.State().NewAccess) << (host.messages.empty() ? "" : host.messages.back().text);
    EXPECT_EQ(6, model.State().ProjectInfo.indexnum);
    EXPECT_EQ(0, model.State().ProjectInfo.usealias) << "alias table off";
    EXPECT_EQ("Vorl Maker for Linux Ver 2.02  -  GAME.VORLPRJ", host.windowTitle);
    EXPECT_EQ(folder.Base(), model.State().CurrentDir);

    Entry(9) = EditEntry{true, "left over", 0, "", 0, false, 0};
    ASSERT_TRUE(model.LoadProject(Project()));
    EXPECT_EQ(folder / "a.bin", Entry(0).FileName);
    EXPECT_FALSE(Entry(1).Use);
    EXPECT_EQ("五番", Entry(5).Remarks);
    EXPECT_EQ(77, Entry(5).Alias);
    EXPECT_EQ(512, Entry(5).Size);
    EXPECT_TRUE(Entry(5).SizeFixed);
    EXPECT_FALSE(Entry(0).SizeFixed);
    EXPECT_EQ(12, Entry(0).Size);  // rescanned after the load, alignment 4
    EXPECT_FALSE(Entry(9).Use);
    EXPECT_TRUE(host.menus.endi[1]);
    EXPECT_FALSE(host.menus.alias);
    EXPECT_TRUE(host.menus.alsTp[2]) << "the alias width keeps its reset value";
    EXPECT_TRUE(host.menus.kgr[1]);
    EXPECT_FALSE(model.State().NewAccess);
    EXPECT_EQ("", model.State().Save_file);
}

// A project made on Windows names its files with backslashes: the sizes
// are still found, and the same file given again is still a duplicate.
TEST_F(Projects, WindowsProjectFindsItsFiles)
{
    fs::copy(fs::path(VORL_FIXTURES) / "windows_project", folder / "win", fs::copy_options::recursive);
    ASSERT_TRUE(model.LoadProject(folder / "win/game.vorlprj"));
    EXPECT_EQ(0u, MessageCount()) << LastMessage().text;
    EXPECT_EQ(32, Entry(0).Size);
    EXPECT_EQ(20, Entry(1).Size);  // 19 bytes at alignment 4
    EXPECT_EQ("*0", Entry(3).FileName);
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(Register(7, folder / "win/pic/title.bmp"));
    EXPECT_EQ("多重登録確認", LastMessage().title);
}

TEST_F(Projects, LoadErrors)
{
    struct Case {
        std::string content;
        std::string text;
    };
    Write(folder / "text.prj", "not a project");
    Write(folder / "new.vorlprj", "<VorlProject version='401'><header><indexnum>1</indexnum></header></VorlProject>");
    Write(folder / "bad.vorlprj", "<VorlProject version='400'><header><indexnum>0</indexnum></header></VorlProject>");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder / "text.prj", "指定されたファイルは、Vorl Makerのプロジェクトファイルとして認識できないよ。"},
        {folder / "missing.vorlprj", folder / "missing.vorlprj" + "\r\nプロジェクトファイルが読み込めないよ。"},
        {folder / "bad.vorlprj", "読み込み中にエラーが出ちゃった。"},
        {folder / "new.vorlprj", "ツールのバージョンが古いみたいだよ。"},
    };
    for (const auto &[path, text] : cases) {
        Entry(0) = EditEntry{true, "x", 0, "", 0, false, 0};
        EXPECT_FALSE(model.LoadProject(path));
        EXPECT_EQ(text, LastMessage().text) << path;
        EXPECT_EQ("ファイルエラー", LastMessage().title);
        EXPECT_FALSE(Entry(0).Use) << "a failed load leaves an empty project";
        EXPECT_FALSE(model.State().NewAccess);
    }
}

TEST_F(Projects, OpenAsksAboutUnsavedChanges)
{
    FillTwoEntries();
    SaveAs(Project());
    Entry(7) = EditEntry{true, folder / "a.bin", 0, "", 0, false, 0};
    model.State().NewAccess = true;
    host.answers = {Answer::Cancel};
    model.mnuLoadPrj_Click();
    EXPECT_TRUE(Entry(7).Use);
    EXPECT_EQ("プロジェクトが変更されているよ。保存するの？", LastMessage().text);
    host.answers = {Answer::No};
    host.fileChoices = {FileChoice{Project(), 1}};
    model.mnuLoadPrj_Click();
    EXPECT_FALSE(Entry(7).Use);
    EXPECT_EQ(Project(), model.State().Prj_file);
    // Dropping: only names ending in "prj" open.
    model.State().NewAccess = false;
    model.OpenDroppedFile({folder / "a.bin"});
    EXPECT_EQ(Project(), model.State().Prj_file);
    fs::copy(Project(), folder / "DATA.PRJ");
    model.OpenDroppedFile({folder / "DATA.PRJ", folder / "a.bin"});
    EXPECT_EQ(folder / "DATA.PRJ", model.State().Prj_file);
}

TEST_F(Projects, NewAsksFirst)
{
    FillTwoEntries();
    host.answers = {Answer::No};
    model.mnuNew_Click();
    EXPECT_TRUE(Entry(0).Use);
    EXPECT_EQ("現在の設定を、すべてクリアするよ。\r\n本当にいいね？", LastMessage().text);
    EXPECT_EQ(MessageIcon::Question, LastMessage().icon);
    host.answers = {Answer::Yes};
    model.mnuNew_Click();
    EXPECT_FALSE(Entry(0).Use);
    EXPECT_FALSE(model.State().NewAccess);
    EXPECT_EQ("Vorl Maker for Linux Ver 2.02", host.windowTitle);
}

TEST_F(Projects, SaveAsOverwriteQuestion)
{
    FillTwoEntries();
    Write(Project(), "keep me");
    SaveAs(Project(), {Answer::No});
    EXPECT_EQ(Project() + "\r\nこのファイルは既に存在するよ。\r\n上書きしていいの？", LastMessage().text);
    EXPECT_EQ("", model.State().Prj_file);
    EXPECT_TRUE(model.State().NewAccess);
    std::ifstream in(Project());
    EXPECT_EQ("keep me", std::string(std::istreambuf_iterator<char>(in), {}));
    SaveAs(Project(), {Answer::Yes});
    EXPECT_FALSE(model.State().NewAccess);
    EXPECT_EQ(Project(), model.State().Prj_file);
}

TEST_F(Projects, FailedSaveIsReportedAndKeepsTheProjectModified)
{
    FillTwoEntries();
    fs::create_directory(folder / "dir.vorlprj");
    SaveAs(folder / "dir.vorlprj", {Answer::Yes});
    EXPECT_EQ(folder / "dir.vorlprj" + "\r\nPrjファイルが見つかりません。\n", LastMessage().text);
    EXPECT_TRUE(model.State().NewAccess);
    EXPECT_TRUE(fs::is_directory(folder / "dir.vorlprj"));
    // The close check still asks.
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(model.QueryClose());
}

TEST_F(Projects, CheckEntries)
{
    model.mnuSavePrj_Click();  // no file name yet: Save As, cancelled
    EXPECT_EQ(1u, host.fileDialogs.size());
    host.fileChoices = {FileChoice{Project(), 1}};
    model.mnuSavePrj_Click();
    EXPECT_EQ("有効なIndexが１つもないよ。", LastMessage().text);
    EXPECT_FALSE(fs::exists(Project()));
    Entry(3).Use = true;
    EXPECT_FALSE(model.CheckEntries());
    EXPECT_EQ("Indexを有効にした項目には、ちゃんとファイル名を入力してね。", LastMessage().text);
    Entry(3).FileName = "*0";
    Entry(0) = EditEntry{true, "a", 0, "", 0, false, 0};
    EXPECT_TRUE(model.CheckEntries());
    EXPECT_EQ(4, model.State().ProjectInfo.indexnum);
}

TEST_F(Projects, CloseCheck)
{
    EXPECT_TRUE(model.QueryClose());
    EXPECT_EQ(0u, MessageCount());
    FillTwoEntries();
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(model.QueryClose());
    EXPECT_EQ("プロジェクトが変更されているよ。保存する？", LastMessage().text);
    host.answers = {Answer::No};
    EXPECT_TRUE(model.QueryClose());
    EXPECT_FALSE(fs::exists(Project()));
    // Run mode saves without asking.
    model.State().Prj_file = Project();
    model.State().InitCommand = 1;
    size_t before = MessageCount();
    EXPECT_TRUE(model.QueryClose());
    EXPECT_EQ(before, MessageCount());
    EXPECT_TRUE(fs::exists(Project()));
}

TEST_F(Projects, ChooseDataFile)
{
    Write(folder / "out.dat", "x");
    host.fileChoices = {FileChoice{folder / "out.dat", 1}, FileChoice{folder / "out.dat", 1}};
    host.answers = {Answer::No, Answer::Yes};
    EXPECT_TRUE(model.ChooseDataFile());
    EXPECT_EQ(2u, host.fileDialogs.size()) << "No asks again";
    EXPECT_EQ(folder / "out.dat" + "\r\nこのファイルは既に存在してるよ。\r\n上書きするの？", LastMessage().text);
    EXPECT_EQ(folder / "out.dat", model.State().Save_file);
    EXPECT_EQ(folder / "out.dat", host.saveName);
    EXPECT_FALSE(model.State().NewAccess);
    host.fileChoices = {FileChoice{folder / "other.dat", 1}};
    host.answers = {Answer::Cancel};
    EXPECT_TRUE(model.ChooseDataFile());  // a new file: no question
    host.fileChoices = {FileChoice{folder / "out.dat", 1}};
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(model.ChooseDataFile());
    EXPECT_EQ(folder / "other.dat", model.State().Save_file);
}

// The library gets the folder in CP932, where ソ, 表 and 能 end in the byte
// 0x5C: the relative names it gives back climb one folder, not two, and
// the same file given again is found from them.
TEST_F(Editing, RelativeRegistrationFromFoldersEndingInByte5C)
{
    Write(folder / "能力.bin", std::string(5, 'n'));
    model.mnu_PathSel_Click(2);
    for (const std::string name : {"ソ", "ソフト表", "才能"}) {
        fs::create_directories(folder / (name + "/sub"));
        Write(folder / (name + "/sub/能.bin"), std::string(3, 'n'));
        model.State().CurrentDir = folder / (name + "/");
        ASSERT_TRUE(Register(0, folder / "能力.bin")) << name;
        EXPECT_EQ("../能力.bin", Entry(0).FileName) << name;
        EXPECT_EQ(5, Entry(0).Size) << name;
        ASSERT_TRUE(Register(1, folder / (name + "/sub/能.bin"))) << name;
        EXPECT_EQ("sub/能.bin", Entry(1).FileName) << name;
        EXPECT_EQ(3, Entry(1).Size) << name;
        EXPECT_EQ(0u, MessageCount()) << name << ": " << LastMessage().text;

        host.answers = {Answer::Cancel};
        EXPECT_FALSE(Register(2, folder / "能力.bin")) << name;
        ASSERT_EQ(1u, MessageCount()) << name;
        EXPECT_EQ("多重登録確認", LastMessage().title) << name;
        host.messages.clear();
        Entry(0) = EditEntry{};
        Entry(1) = EditEntry{};
    }
}

}  // namespace
}  // namespace vorlmake::test
