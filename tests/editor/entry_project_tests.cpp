// Entry editing and project commands through the scripted fake, with the
// real library behind the binding and real files in a folder of the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "command_line.h"
#include "editor_model.h"
#include "fake_host.h"
#include "project_files.h"
#include "test_support.h"
#include "vorl_cnv.h"

namespace vorlmake::test {
namespace {

namespace fs = std::filesystem;

using vorl::test::ReadFile;
using vorl::test::TempFolder;
using vorl::test::WriteFile;

class Editing : public ::testing::Test {
protected:
    Editing() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        // The program starts in the test's folder: it is the current folder.
        ASSERT_TRUE(model.StartUp({"-t"}, Base()));
        ASSERT_EQ(Base(), model.State().currentFolder);
        for (const char *name : {"a.bin", "b.bin", "A.BIN"}) {
            WriteFile(folder / name, std::string(10, 'x'));
        }
        WriteFile(folder / "empty.bin", "");
        fs::create_directory(folder / "pic");
        WriteFile(folder / "pic/p.bmp", std::string(32, 'p'));
    }
    // A name in the test's folder, and the folder with its separator.
    std::string In(const std::string &name) const { return (folder / name).string(); }
    std::string Base() const { return folder.Path().string() + "/"; }
    const EditEntry &Entry(int n) const { return model.State().entries[static_cast<size_t>(n)]; }
    // Registers a file into entry `entry` by turning to its page.
    bool Register(int entry, const std::string &path)
    {
        model.GoToPage(std::to_string(entry / 10));
        return model.RegisterFile(entry % 10, path);
    }
    // Turns to the page of entry `entry`; its row on that page.
    int RowOf(int entry)
    {
        model.GoToPage(std::to_string(entry / 10));
        return entry % 10;
    }
    // Sets an entry's alias as the user does: typed into the alias column.
    void TypeAlias(int entry, const std::string &text)
    {
        const int row = RowOf(entry);
        model.ToggleAliasColumn();
        model.SetAlias(row, text);
        model.ToggleAliasColumn();
    }
    // Writes a project into the test's folder and opens it, as the user
    // opens a project; false when the editor refused it.
    bool OpenWritten(const std::vector<ProjectEntry> &entries, const std::string &name = "written.vorlprj")
    {
        ProjectFile project;
        project.entries = entries;
        WriteFile(folder / name, project.Text());
        return model.OpenProject(In(name));
    }
    size_t MessageCount() const { return host.messages.size(); }
    const RecordedMessage &LastMessage() const { return host.messages.back(); }
    TempFolder folder;
    FakeHost host;
    FakeLibrary library;
    EditorModel model;
};

TEST_F(Editing, RegistrationOnAnotherPageAndThePathModes)
{
    ASSERT_TRUE(Register(32, In("a.bin")));
    EXPECT_TRUE(Entry(32).inUse);
    EXPECT_EQ(In("a.bin"), Entry(32).fileName);  // path mode 1 after a reset: the full path
    EXPECT_EQ(10, Entry(32).size);
    EXPECT_TRUE(model.State().modified);
    EXPECT_EQ(0u, MessageCount()) << "the search skips the entry itself";

    model.SetPathMode(0);
    ASSERT_TRUE(Register(33, In("pic/p.bmp")));
    EXPECT_EQ("p.bmp", Entry(33).fileName);
    model.SetPathMode(2);
    ASSERT_TRUE(Register(34, In("b.bin")));
    EXPECT_EQ("b.bin", Entry(34).fileName);
    // Started in pic/, the program names files from there.
    ASSERT_TRUE(model.StartUp({"-t"}, In("pic/")));
    ASSERT_EQ(In("pic/"), model.State().currentFolder);
    model.SetPathMode(2);
    ASSERT_TRUE(Register(35, In("empty.bin")));
    EXPECT_EQ("../empty.bin", Entry(35).fileName);
    EXPECT_EQ(0, Entry(35).size);
}

TEST_F(Editing, SharedReferencesInBothDirections)
{
    ASSERT_TRUE(Register(40, In("a.bin")));
    EXPECT_EQ(std::nullopt, model.EditRemarks(RowOf(40), "holder"));
    model.SetEntryConverter(RowOf(40), 2);
    ASSERT_EQ((EditEntry{true, In("a.bin"), 2, "holder", 10, false, 0}), Entry(40));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(12, In("a.bin")));
    EXPECT_EQ("ファイルが既に登録されているよ。多重登録します？", LastMessage().text);
    EXPECT_EQ("多重登録確認", LastMessage().title);
    EXPECT_EQ(MessageButtons::YesNoCancel, LastMessage().buttons);
    EXPECT_EQ(In("a.bin"), Entry(12).fileName);
    EXPECT_EQ("holder", Entry(12).remarks);
    EXPECT_EQ(2, Entry(12).converter);
    EXPECT_EQ("*12", Entry(40).fileName);
    EXPECT_EQ(0, Entry(40).converter);
    EXPECT_EQ("", Entry(40).remarks);
    EXPECT_EQ(0, Entry(40).size);

    ASSERT_TRUE(Register(7, In("b.bin")));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(50, In("b.bin")));
    EXPECT_EQ("*7", Entry(50).fileName);

    host.answers = {Answer::Yes};
    ASSERT_TRUE(Register(51, In("b.bin")));
    EXPECT_EQ(In("b.bin"), Entry(51).fileName);

    host.answers = {Answer::Cancel};
    EXPECT_FALSE(Register(52, In("b.bin")));
    EXPECT_FALSE(Entry(52).inUse);
}

TEST_F(Editing, CaseMattersOnThisHost)
{
    ASSERT_TRUE(Register(0, In("a.bin")));
    ASSERT_TRUE(Register(1, In("A.BIN")));
    EXPECT_EQ(0u, MessageCount()) << "a.bin and A.BIN are two files";
    EXPECT_EQ(In("A.BIN"), Entry(1).fileName);
}

TEST_F(Editing, TakingEntriesOutOfUse)
{
    ASSERT_TRUE(Register(0, In("a.bin")));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(3, In("a.bin")));
    model.FirstPage();
    model.SetEntryInUse(0, false);
    EXPECT_EQ("親であるこのindexを無効にすることは出来ないんだよ。", LastMessage().text);
    EXPECT_EQ("設定エラー", LastMessage().title);
    EXPECT_TRUE(Entry(0).inUse);
    EXPECT_TRUE(host.rows[0].inUse);
    TypeAlias(3, "9");
    model.SetEntrySize(3, "10");
    ASSERT_EQ((EditEntry{true, "*0", 0, "", 10, true, 9}), Entry(3));
    model.SetEntryInUse(3, false);
    EXPECT_FALSE(Entry(3).inUse);
    EXPECT_EQ("", Entry(3).fileName);
    EXPECT_EQ(9, Entry(3).alias);
    EXPECT_TRUE(Entry(3).sizeTyped);
    // Ticking an empty entry opens the dialog; cancelling takes it out again.
    model.SetEntryInUse(5, true);
    EXPECT_EQ(1u, host.fileDialogs.size());
    EXPECT_FALSE(Entry(5).inUse);
    // Choosing a file registers it and remembers the folder and filter.
    host.fileChoices = {FileChoice{In("pic/p.bmp"), 2}};
    model.SetEntryInUse(6, true);
    EXPECT_EQ(In("pic/p.bmp"), Entry(6).fileName);
    EXPECT_EQ(In("pic/"), model.State().inputFolder);
    EXPECT_EQ(2, model.State().inputFilterIndex);
    EXPECT_EQ(Base(), host.fileDialogs[0].startFolder);
    EXPECT_EQ("すべてのファイル(*.*)", host.fileDialogs[0].filters[0].first);
}

TEST_F(Editing, InsertAndDeleteRenumberReferences)
{
    // Names with no file behind them, and a reference to an entry out of use.
    ASSERT_TRUE(OpenWritten({{5, true, "five", 0, "", 0, 55},
                             {8, true, "eight"},
                             {20, true, "*5"},
                             {21, true, "*3"},
                             {22, true, "*8"},
                             {9998, false, "unused"}}));
    // A project ends before entry 9999: an insert above 9998 moves that
    // entry, out of use but still naming its file, to the last place.
    model.LastPage();
    model.InsertEntry(0);
    ASSERT_EQ((EditEntry{false, "unused", 0, "", 0, false, 0}), Entry(9999));
    model.FirstPage();
    model.SetEntrySize(5, "0");  // a typed size of nothing
    model.SaveProject();         // the changes above are saved: the insert below is the change
    ASSERT_FALSE(model.State().modified) << LastMessage().text;
    ASSERT_EQ((EditEntry{true, "five", 0, "", 0, true, 55}), Entry(5));
    ASSERT_EQ("eight", Entry(8).fileName);
    ASSERT_EQ("*5", Entry(20).fileName);
    ASSERT_EQ("*3", Entry(21).fileName);
    ASSERT_EQ("*8", Entry(22).fileName);
    model.InsertEntry(5);
    EXPECT_EQ("five", Entry(6).fileName);
    EXPECT_FALSE(Entry(5).inUse);
    EXPECT_EQ("", Entry(5).fileName);
    EXPECT_TRUE(Entry(5).sizeTyped);  // kept from the entry that moved on
    EXPECT_EQ(55, Entry(5).alias);
    EXPECT_EQ("*6", Entry(21).fileName);
    EXPECT_EQ("*3", Entry(22).fileName);
    EXPECT_EQ("*9", Entry(23).fileName);
    EXPECT_EQ("", Entry(9999).fileName);  // pushed off the end
    EXPECT_TRUE(model.State().modified);

    model.DeleteEntry(5);
    EXPECT_EQ("five", Entry(5).fileName);
    EXPECT_EQ("*5", Entry(20).fileName);
    EXPECT_EQ("*8", Entry(22).fileName);
    // Entry 5 is a parent now: deleting it is refused.
    size_t before = MessageCount();
    model.DeleteEntry(5);
    EXPECT_EQ(before + 1, MessageCount());
    EXPECT_EQ("five", Entry(5).fileName);
    // Delete on entry 8 turns *8 into... it is refused too; on 6, *8 becomes *7.
    EXPECT_EQ("eight", Entry(8).fileName);
    model.DeleteEntry(6);
    EXPECT_EQ("*7", Entry(21).fileName);
    // Entry 9999 is never moved.
    model.LastPage();
    model.InsertEntry(9);
    model.DeleteEntry(9);
}

TEST_F(Editing, RemarksAreFiltered)
{
    ASSERT_TRUE(OpenWritten({{0, true, In("a.bin")}}));
    ASSERT_TRUE(Entry(0).inUse);
    ASSERT_FALSE(model.State().modified);
    model.FirstPage();
    EXPECT_EQ("abcd", model.EditRemarks(0, "a-b/c?d"));
    EXPECT_EQ("abcd", Entry(0).remarks);
    EXPECT_EQ(std::nullopt, model.EditRemarks(0, "表示_@ 01"));
    EXPECT_EQ("表示_@ 01", Entry(0).remarks);
    EXPECT_EQ(std::string(255, 'r'), model.EditRemarks(0, std::string(300, 'r')));
    // 200 two-byte characters would need 400 bytes: 127 of them fit.
    std::string wide;
    for (int i = 0; i < 200; ++i) {
        wide += "表";
    }
    auto kept = model.EditRemarks(0, wide);
    ASSERT_TRUE(kept);
    EXPECT_EQ(127u * 3, kept->size());
    EXPECT_TRUE(model.State().modified);
}

TEST_F(Editing, AliasEntry)
{
    ASSERT_TRUE(Register(0, In("a.bin")));
    model.FirstPage();
    model.ToggleAliasColumn();
    // The alias table's width decides what fits, not the index width: a
    // 2-byte index with a 4-byte alias table keeps 70000 as typed.
    model.SetIndexBytes(2);
    struct Case {
        int aliasItem;  // 0 to 3: 1, 2, 4, 8 bytes
        const char *text;
        int64_t alias;
        bool warns;
    };
    const Case cases[] = {
        {2, "70000", 70000, false}, {1, "70000", 4464, true}, {1, "-1", 65535, false}, {1, "12.5", 12, false},
        {1, "x", 0, false},         {0, "300", 44, true},     {0, "-1", 255, false},   {0, "-129", 127, true},
        {0, "255", 255, false},     {3, "-1", -1, false},
    };
    for (const Case &c : cases) {
        model.SetAliasBytes(1 << c.aliasItem);
        size_t before = MessageCount();
        model.SetAlias(0, c.text);
        EXPECT_EQ(c.alias, Entry(0).alias) << c.text << " width item " << c.aliasItem;
        EXPECT_EQ(c.warns ? before + 1 : before, MessageCount()) << c.text << " width item " << c.aliasItem;
    }
    EXPECT_EQ("エイリアスの値が大きすぎるよ", host.messages.back().text);
    model.SetAliasBytes(4);
    model.SetAlias(0, "70000");
    EXPECT_EQ(70000, Entry(0).alias);
    EXPECT_EQ("70000", host.rows[0].remarks);
    // With the alias display off, Enter stores nothing.
    model.ToggleAliasColumn();
    model.SetAlias(0, "5");
    EXPECT_EQ(70000, Entry(0).alias);
}

TEST_F(Editing, TypedSizes)
{
    ASSERT_TRUE(Register(0, In("a.bin")));
    ASSERT_EQ((EditEntry{true, In("a.bin"), 0, "", 10, false, 0}), Entry(0));
    model.FirstPage();
    model.SetAlignment(4);  // 4 bytes
    struct Case {
        const char *text;
        int32_t size;
        bool warns;
    };
    for (Case c : {Case{"5", 8, true}, Case{"8", 8, false}, Case{"abc", 0, false}}) {
        size_t before = MessageCount();
        model.SetEntrySize(0, c.text);
        EXPECT_EQ(c.size, Entry(0).size) << c.text;
        EXPECT_TRUE(Entry(0).sizeTyped);
        EXPECT_TRUE(host.rows[0].sizeRed);
        EXPECT_EQ(c.warns ? before + 1 : before, MessageCount()) << c.text;
    }
    model.SetEntrySize(0, "5");
    EXPECT_EQ("このサイズ設定だと、データ境界が設定単位にならないよ。\r\n設定を自動的に補正するね。",
              host.messages.back().text);
    // A negative size would be saved as 4 GiB, one past 2 GiB does not fit
    // the project: both are refused and the size stays as it was.
    for (const char *refused : {"-1", "-5", "2147483647"}) {
        size_t before = MessageCount();
        model.SetEntrySize(0, refused);
        EXPECT_EQ(8, Entry(0).size) << refused;
        EXPECT_EQ("8", host.rows[0].size) << refused;
        EXPECT_EQ(before + 1, MessageCount()) << refused;
        EXPECT_EQ("サイズには 0 から 2147483647 までの数を入力してね。", host.messages.back().text);
    }
    // Double-click gives the size back to the file.
    model.ReleaseTypedSize(0);
    EXPECT_FALSE(Entry(0).sizeTyped);
    EXPECT_EQ(12, Entry(0).size);
    // Changing the converter leaves a fixed size alone.
    model.SetEntrySize(0, "64");
    model.SetEntryConverter(0, 2);
    EXPECT_EQ(64, Entry(0).size);
    EXPECT_EQ("64", host.rows[0].size);
}

TEST_F(Editing, Rescans)
{
    // The files as they were when the project was measured last: every
    // size the rescan finds below differs from the one kept.
    WriteFile(In("a.bin"), std::string(40, 'x'));
    WriteFile(In("thirty-two"), "t");
    WriteFile(In("empty.bin"), std::string(99, 'e'));
    WriteFile(In("seven.bin"), std::string(7, 's'));
    ASSERT_TRUE(OpenWritten({{0, true, In("a.bin")},
                             {1, true, In("thirty-two")},
                             {2, true, In("empty.bin")},
                             {3, true, In("a.bin"), 0, "", 48},
                             {4, true, In("seven.bin")},
                             {5, true, "a.bin"}}));  // relative to the current folder
    // Entry 4 becomes a reference to entry 0 and keeps the size it had.
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(4, In("a.bin")));
    ASSERT_EQ((EditEntry{true, "*0", 0, "", 7, false, 0}), Entry(4));
    model.SetAlignment(16);  // 16 bytes
    ASSERT_EQ(48, Entry(0).size);
    ASSERT_EQ(16, Entry(1).size);
    ASSERT_EQ(112, Entry(2).size);
    ASSERT_EQ((EditEntry{true, In("a.bin"), 0, "", 48, true, 0}), Entry(3));
    ASSERT_EQ(48, Entry(5).size);
    // The files change on disk.
    WriteFile(In("a.bin"), std::string(10, 'x'));
    WriteFile(In("thirty-two"), std::string(32, 't'));
    WriteFile(In("empty.bin"), "");
    host.messages.clear();
    model.RescanSizes();
    EXPECT_EQ(16, Entry(0).size);
    EXPECT_EQ(32, Entry(1).size);
    EXPECT_EQ(0, Entry(2).size);
    EXPECT_EQ(48, Entry(3).size);
    EXPECT_EQ(7, Entry(4).size);
    EXPECT_EQ(16, Entry(5).size);
    EXPECT_EQ(0u, MessageCount());
    // Measuring a typed size by force is what the double-click does: it
    // gives the size back to the file.
    model.FirstPage();
    model.ReleaseTypedSize(3);
    EXPECT_EQ(16, Entry(3).size);
    EXPECT_FALSE(Entry(3).sizeTyped);

    WriteFile(In("gone.bin"), std::string(5, 'g'));
    ASSERT_TRUE(Register(6, In("gone.bin")));
    ASSERT_EQ(16, Entry(6).size);
    fs::remove(In("gone.bin"));
    model.RescanSizes();
    ASSERT_EQ(1u, MessageCount());
    EXPECT_EQ(In("gone.bin") + "\r\nファイルが読み込めないよ。", LastMessage().text);
    EXPECT_EQ("ファイルエラー", LastMessage().title);
    EXPECT_EQ(16, Entry(6).size);  // as it was
    model.ToggleMissingFileUnused();
    model.RescanSizes();
    EXPECT_EQ(1u, MessageCount());
}

class Projects : public Editing {
protected:
    std::string Project() const { return In("game.vorlprj"); }
    void FillTwoEntries()
    {
        ASSERT_TRUE(Register(0, In("a.bin")));
        ASSERT_TRUE(Register(5, In("b.bin")));
        model.FirstPage();
        EXPECT_EQ(std::nullopt, model.EditRemarks(5, "五番"));
        TypeAlias(5, "77");
        model.FirstPage();
        model.SetEntrySize(5, "512");
        ASSERT_EQ((EditEntry{true, In("b.bin"), 0, "五番", 512, true, 77}), Entry(5));
    }
    void SaveUnderChosenName(const std::string &path, std::deque<Answer> answers = {})
    {
        host.fileChoices = {FileChoice{path, 1}};
        host.answers = std::move(answers);
        model.SaveProjectAs();
    }
};

// A legacy project may hold control characters that no XML project can
// carry. Saving it as XML is refused, naming the text to change, and the
// file on disk stays as it was: it could never be opened again otherwise.
TEST_F(Projects, ControlCharactersInALegacyProjectAreNamedAndNotSaved)
{
    auto quote = [](const std::string &text) { return "\"" + text + "\""; };
    std::string legacy = quote("VORL ProjectFile Ver 4.00") + "\r\n";
    for (const std::string &line : {std::string("4"),
                                    std::string("0"),
                                    std::string("0"),
                                    quote("Idx"),
                                    quote("static unsigned short"),
                                    std::string("#FALSE#"),
                                    std::string("2"),
                                    std::string("1"),
                                    std::string("#TRUE#"),
                                    std::string("2"),
                                    std::string("#TRUE#"),
                                    std::string("#TRUE#"),
                                    std::string(""),
                                    std::string(""),
                                    std::string(""),
                                    std::string(""),
                                    std::string("#TRUE#"),
                                    quote(In("a.bin")),
                                    std::string("0"),
                                    quote("bad\x01remark"),
                                    std::string("999"),
                                    std::string("0"),
                                    std::string("#FALSE#"),
                                    std::string("0")}) {
        legacy += line + "\r\n";
    }
    WriteFile(Project(), legacy);
    ASSERT_TRUE(model.OpenProject(Project())) << (host.messages.empty() ? "" : host.messages.back().text);
    ASSERT_EQ("bad\x01remark", Entry(0).remarks);
    host.messages.clear();
    model.SaveProject();
    ASSERT_FALSE(host.messages.empty());
    EXPECT_NE(std::string::npos, host.messages.back().text.find("エントリ 0 の備考")) << host.messages.back().text;
    EXPECT_EQ(legacy, ReadFile(Project()));
}

TEST_F(Projects, SaveAndLoadRoundTrip)
{
    FillTwoEntries();
    model.SetAlignment(4);  // 512 is aligned already: the typed size stays
    model.SetEntrySize(5, "512");
    model.SetBigEndian(true);
    model.SetAliasBytes(8);
    SaveUnderChosenName(Project());
    ASSERT_FALSE(model.State().modified) << (host.messages.empty() ? "" : host.messages.back().text);
    EXPECT_EQ(6, model.State().block.indexnum);
    EXPECT_EQ(0, model.State().block.usealias) << "alias table off";
    EXPECT_EQ("Vorl Maker for Linux Ver 2.02  -  GAME.VORLPRJ", host.windowTitle);
    EXPECT_EQ(Base(), model.State().currentFolder);

    ASSERT_TRUE(Register(9, In("A.BIN")));  // left over from before the load
    ASSERT_TRUE(Entry(9).inUse);
    ASSERT_TRUE(model.OpenProject(Project()));
    EXPECT_EQ(In("a.bin"), Entry(0).fileName);
    EXPECT_FALSE(Entry(1).inUse);
    EXPECT_EQ("五番", Entry(5).remarks);
    EXPECT_EQ(77, Entry(5).alias);
    EXPECT_EQ(512, Entry(5).size);
    EXPECT_TRUE(Entry(5).sizeTyped);
    EXPECT_FALSE(Entry(0).sizeTyped);
    EXPECT_EQ(12, Entry(0).size);  // rescanned after the load, alignment 4
    EXPECT_FALSE(Entry(9).inUse);
    EXPECT_TRUE(host.menus.byteOrder[1]);
    EXPECT_FALSE(host.menus.aliasTable);
    EXPECT_TRUE(host.menus.aliasBytes[2]) << "the alias width keeps its reset value";
    EXPECT_TRUE(host.menus.alignment[1]);
    EXPECT_FALSE(model.State().modified);
    EXPECT_EQ("", model.State().dataFile);
}

// With 8-byte aliases the upper half comes in from the project, is shown
// and edited with the lower one, and goes out again when saved.
TEST_F(Projects, EightByteAliasesKeepTheirUpperHalf)
{
    ProjectFile project;
    project.aliasTable = true;
    project.aliasBytes = 8;
    project.entries = {ProjectEntry(0, true, In("a.bin"), 0, "", 0, 0x11223344, 5),
                       ProjectEntry(1, true, In("b.bin"), 0, "", 0, -1, 0)};
    WriteFile(Project(), project.Text());
    ASSERT_TRUE(model.OpenProject(Project()));
    ASSERT_TRUE(host.menus.aliasBytes[3]);
    EXPECT_EQ(int64_t{0x511223344}, Entry(0).alias);
    EXPECT_EQ(int64_t{0xFFFFFFFF}, Entry(1).alias) << "a lower half of all ones is no negative number";
    model.ToggleAliasColumn();
    EXPECT_EQ("21762290500", host.rows[0].remarks);
    EXPECT_EQ("4294967295", host.rows[1].remarks);

    model.SaveProject();
    ASSERT_FALSE(model.State().modified) << (host.messages.empty() ? "" : host.messages.back().text);
    std::string saved = ReadFile(Project());
    EXPECT_NE(std::string::npos, saved.find("<alias high='5'>287454020</alias>")) << saved;
    EXPECT_NE(std::string::npos, saved.find("<alias high='0'>-1</alias>")) << saved;

    // A negative number typed at 8 bytes is its 64-bit two's complement;
    // large numbers are taken exactly, up to 2^64 - 1.
    struct Case {
        const char *text;
        int64_t alias;
        const char *shown;
    };
    const Case cases[] = {
        {"-1", -1, "-1"},
        {"21762290500", 0x511223344, "21762290500"},
        {"9007199254740993", 9007199254740993, "9007199254740993"},
        {"18446744073709551615", -1, "-1"},
        {"-9223372036854775808", INT64_MIN, "-9223372036854775808"},
        {"18446744073709551616", 0, "0"},
        {"4294967296.5", 4294967296, "4294967296"},
        {"x", 0, "0"},
    };
    size_t before = MessageCount();
    for (const Case &c : cases) {
        model.SetAlias(1, c.text);
        EXPECT_EQ(c.alias, Entry(1).alias) << c.text;
        EXPECT_EQ(c.shown, host.rows[1].remarks) << c.text;
    }
    EXPECT_EQ(before, MessageCount()) << "every 64-bit value fits an 8-byte alias";
    model.SetAlias(1, "-1");
    model.SaveProject();
    saved = ReadFile(Project());
    EXPECT_NE(std::string::npos, saved.find("<alias high='-1'>-1</alias>")) << saved;
    EXPECT_NE(std::string::npos, saved.find("<alias high='5'>287454020</alias>")) << saved;

    ASSERT_TRUE(model.OpenProject(Project()));
    EXPECT_EQ(-1, Entry(1).alias);
    EXPECT_EQ(int64_t{0x511223344}, Entry(0).alias);

    // The narrower widths show and take the 32-bit alias, as before (the
    // alias display stays on across the open).
    ASSERT_TRUE(host.menus.aliasColumn);
    model.SetAliasBytes(4);
    EXPECT_EQ("287454020", host.rows[0].remarks) << "redrawn at the new width";
    model.SetAlias(1, "-1");
    EXPECT_EQ(int64_t{0xFFFFFFFF}, Entry(1).alias);
    EXPECT_EQ("-1", host.rows[1].remarks);
    model.SaveProject();
    saved = ReadFile(Project());
    EXPECT_NE(std::string::npos, saved.find("<alias high='0'>-1</alias>")) << saved;
}

// A project made on Windows names its files with backslashes: the sizes
// are still found, and the same file given again is still a duplicate.
TEST_F(Projects, WindowsProjectFindsItsFiles)
{
    fs::copy(fs::path(VORL_FIXTURES) / "windows_project", In("win"), fs::copy_options::recursive);
    ASSERT_TRUE(model.OpenProject(In("win/game.vorlprj")));
    EXPECT_EQ(0u, MessageCount()) << LastMessage().text;
    EXPECT_EQ(32, Entry(0).size);
    EXPECT_EQ(20, Entry(1).size);  // 19 bytes at alignment 4
    EXPECT_EQ("*0", Entry(3).fileName);
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(Register(7, In("win/pic/title.bmp")));
    EXPECT_EQ("多重登録確認", LastMessage().title);
}

TEST_F(Projects, LoadErrors)
{
    struct Case {
        std::string content;
        std::string text;
    };
    WriteFile(In("text.prj"), "not a project");
    WriteFile(In("new.vorlprj"), "<VorlProject version='401'><header><indexnum>1</indexnum></header></VorlProject>");
    WriteFile(In("bad.vorlprj"), "<VorlProject version='400'><header><indexnum>0</indexnum></header></VorlProject>");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {In("text.prj"), "指定されたファイルは、Vorl Makerのプロジェクトファイルとして認識できないよ。"},
        {In("missing.vorlprj"), In("missing.vorlprj") + "\r\nプロジェクトファイルが読み込めないよ。"},
        {In("bad.vorlprj"), "読み込み中にエラーが出ちゃった。"},
        {In("new.vorlprj"), "ツールのバージョンが古いみたいだよ。"},
    };
    for (const auto &[path, text] : cases) {
        ASSERT_TRUE(Register(0, In("a.bin")));
        ASSERT_TRUE(model.State().modified);
        EXPECT_FALSE(model.OpenProject(path));
        EXPECT_EQ(text, LastMessage().text) << path;
        EXPECT_EQ("ファイルエラー", LastMessage().title);
        EXPECT_FALSE(Entry(0).inUse) << "a failed load leaves an empty project";
        EXPECT_FALSE(model.State().modified);
    }
}

TEST_F(Projects, OpenAsksAboutUnsavedChanges)
{
    FillTwoEntries();
    SaveUnderChosenName(Project());
    ASSERT_FALSE(model.State().modified);
    // Registered again on its own: a change.
    host.answers = {Answer::Yes};
    ASSERT_TRUE(Register(7, In("a.bin")));
    ASSERT_EQ((EditEntry{true, In("a.bin"), 0, "", 10, false, 0}), Entry(7));
    ASSERT_TRUE(model.State().modified);
    host.answers = {Answer::Cancel};
    model.ChooseProjectToOpen();
    EXPECT_TRUE(Entry(7).inUse);
    EXPECT_EQ("プロジェクトが変更されているよ。保存するの？", LastMessage().text);
    host.answers = {Answer::No};
    host.fileChoices = {FileChoice{Project(), 1}};
    model.ChooseProjectToOpen();
    EXPECT_FALSE(Entry(7).inUse);
    EXPECT_EQ(Project(), model.State().projectFile);
    // Dropping: only names ending in "prj" open.
    ASSERT_FALSE(model.State().modified);
    model.OpenDroppedProject({In("a.bin")});
    EXPECT_EQ(Project(), model.State().projectFile);
    fs::copy(Project(), In("DATA.PRJ"));
    model.OpenDroppedProject({In("DATA.PRJ"), In("a.bin")});
    EXPECT_EQ(In("DATA.PRJ"), model.State().projectFile);
}

TEST_F(Projects, NewAsksFirst)
{
    FillTwoEntries();
    host.answers = {Answer::No};
    model.NewProject();
    EXPECT_TRUE(Entry(0).inUse);
    EXPECT_EQ("現在の設定を、すべてクリアするよ。\r\n本当にいいね？", LastMessage().text);
    EXPECT_EQ(MessageIcon::Question, LastMessage().icon);
    // Yes to the clearing, then No to saving the changes.
    host.answers = {Answer::Yes, Answer::No};
    model.NewProject();
    EXPECT_FALSE(Entry(0).inUse);
    EXPECT_FALSE(model.State().modified);
    EXPECT_EQ("Vorl Maker for Linux Ver 2.02", host.windowTitle);
}

// New on unsaved work asks what Open asks, once the clearing is agreed:
// Yes saves first, and a save that fails or is cancelled keeps the work,
// as Cancel does.
TEST_F(Projects, NewOffersToSaveUnsavedWork)
{
    const std::string changed = "プロジェクトが変更されているよ。保存するの？";
    FillTwoEntries();
    ASSERT_TRUE(model.State().modified);
    const size_t before = host.messages.size();
    host.answers = {Answer::Yes, Answer::Cancel};
    model.NewProject();
    ASSERT_EQ(before + 2, host.messages.size());
    EXPECT_EQ("現在の設定を、すべてクリアするよ。\r\n本当にいいね？", host.messages[before].text);
    EXPECT_EQ(changed, host.messages[before + 1].text);
    EXPECT_EQ("保存確認", host.messages[before + 1].title);
    EXPECT_EQ(MessageIcon::Exclamation, host.messages[before + 1].icon);
    EXPECT_EQ(MessageButtons::YesNoCancel, host.messages[before + 1].buttons);
    EXPECT_TRUE(Entry(0).inUse) << "Cancel keeps the project";
    EXPECT_TRUE(model.State().modified);

    // Yes with the name dialog cancelled: nothing is saved, nothing cleared.
    host.answers = {Answer::Yes, Answer::Yes};
    host.fileChoices.clear();
    model.NewProject();
    EXPECT_EQ(changed, LastMessage().text);
    EXPECT_TRUE(Entry(0).inUse);
    EXPECT_TRUE(model.State().modified);
    EXPECT_FALSE(fs::exists(Project()));

    // Yes with a save that fails: the failure is told, the project stays.
    fs::create_directory(In("dir.vorlprj"));
    host.answers = {Answer::Yes, Answer::Yes, Answer::Ok};
    host.fileChoices = {FileChoice{In("dir.vorlprj"), 1}};
    model.NewProject();
    EXPECT_EQ("ファイルエラー", LastMessage().title);
    EXPECT_TRUE(Entry(0).inUse);
    EXPECT_TRUE(model.State().modified);

    // No to the clearing asks nothing more.
    const size_t asked = host.messages.size();
    host.answers = {Answer::No};
    model.NewProject();
    EXPECT_EQ(asked + 1, host.messages.size());
    EXPECT_TRUE(Entry(0).inUse);

    // Yes saves, then clears.
    host.answers = {Answer::Yes, Answer::Yes};
    host.fileChoices = {FileChoice{Project(), 1}};
    model.NewProject();
    EXPECT_FALSE(Entry(0).inUse);
    EXPECT_FALSE(model.State().modified);
    EXPECT_EQ("", model.State().projectFile);
    EXPECT_EQ("Vorl Maker for Linux Ver 2.02", host.windowTitle);
    ASSERT_TRUE(model.OpenProject(Project()));
    EXPECT_EQ(In("a.bin"), Entry(0).fileName);
    EXPECT_EQ("五番", Entry(5).remarks);

    // An unchanged project is cleared after the one question.
    const size_t unchanged = host.messages.size();
    host.answers = {Answer::Yes};
    model.NewProject();
    EXPECT_EQ(unchanged + 1, host.messages.size());
    EXPECT_FALSE(Entry(0).inUse);
}

TEST_F(Projects, SaveAsOverwriteQuestion)
{
    FillTwoEntries();
    WriteFile(Project(), "keep me");
    SaveUnderChosenName(Project(), {Answer::No});
    EXPECT_EQ(Project() + "\r\nこのファイルは既に存在するよ。\r\n上書きしていいの？", LastMessage().text);
    EXPECT_EQ("", model.State().projectFile);
    EXPECT_TRUE(model.State().modified);
    EXPECT_EQ("keep me", ReadFile(Project()));
    SaveUnderChosenName(Project(), {Answer::Yes});
    EXPECT_FALSE(model.State().modified);
    EXPECT_EQ(Project(), model.State().projectFile);
}

TEST_F(Projects, FailedSaveIsReportedAndKeepsTheProjectModified)
{
    FillTwoEntries();
    fs::create_directory(In("dir.vorlprj"));
    SaveUnderChosenName(In("dir.vorlprj"), {Answer::Yes});
    EXPECT_EQ(In("dir.vorlprj") + "\r\nPrjファイルが見つかりません。\n", LastMessage().text);
    EXPECT_TRUE(model.State().modified);
    EXPECT_TRUE(fs::is_directory(In("dir.vorlprj")));
    // The close check still asks.
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(model.MayClose());
}

TEST_F(Projects, CheckEntries)
{
    model.SaveProject();  // no file name yet: Save As, cancelled
    EXPECT_EQ(1u, host.fileDialogs.size());
    host.fileChoices = {FileChoice{Project(), 1}};
    model.SaveProject();
    EXPECT_EQ("有効なIndexが１つもないよ。", LastMessage().text);
    EXPECT_FALSE(fs::exists(Project()));
    // An entry in use without a name: ticked in a project saved half done.
    ASSERT_TRUE(OpenWritten({{3, true, ""}}, "half.vorlprj"));
    ASSERT_TRUE(Entry(3).inUse);
    ASSERT_EQ("", Entry(3).fileName);
    EXPECT_FALSE(model.CheckEntries());
    EXPECT_EQ("Indexを有効にした項目には、ちゃんとファイル名を入力してね。", LastMessage().text);
    ASSERT_TRUE(Register(0, In("a.bin")));
    host.answers = {Answer::No};
    ASSERT_TRUE(Register(3, In("a.bin")));
    ASSERT_EQ("*0", Entry(3).fileName);
    EXPECT_TRUE(model.CheckEntries());
    EXPECT_EQ(4, model.State().block.indexnum);
}

TEST_F(Projects, CloseCheck)
{
    EXPECT_TRUE(model.MayClose());
    EXPECT_EQ(0u, MessageCount());
    FillTwoEntries();
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(model.MayClose());
    EXPECT_EQ("プロジェクトが変更されているよ。保存する？", LastMessage().text);
    host.answers = {Answer::No};
    EXPECT_TRUE(model.MayClose());
    EXPECT_FALSE(fs::exists(Project()));
    // Run mode saves without asking. Started with "-r" on a project, the
    // program opens it and runs; the run stops at the data file dialog.
    SaveUnderChosenName(Project());
    ASSERT_TRUE(model.StartUp({"-r", Project()}, Base()));
    ASSERT_EQ(kRunAfterLoad, model.State().startCommands);
    ASSERT_EQ(Project(), model.State().projectFile);
    EXPECT_EQ(std::nullopt, model.EditRemarks(0, "changed"));
    ASSERT_TRUE(model.State().modified);
    fs::remove(Project());
    size_t before = MessageCount();
    EXPECT_TRUE(model.MayClose());
    EXPECT_EQ(before, MessageCount());
    EXPECT_TRUE(fs::exists(Project()));
    EXPECT_NE(std::string::npos, ReadFile(Project()).find("changed"));
}

TEST_F(Projects, ChooseDataFile)
{
    WriteFile(In("out.dat"), "x");
    host.fileChoices = {FileChoice{In("out.dat"), 1}, FileChoice{In("out.dat"), 1}};
    host.answers = {Answer::No, Answer::Yes};
    EXPECT_TRUE(model.ChooseDataFile());
    EXPECT_EQ(2u, host.fileDialogs.size()) << "No asks again";
    EXPECT_EQ(In("out.dat") + "\r\nこのファイルは既に存在してるよ。\r\n上書きするの？", LastMessage().text);
    EXPECT_EQ(In("out.dat"), model.State().dataFile);
    EXPECT_EQ(In("out.dat"), host.saveName);
    EXPECT_FALSE(model.State().modified);
    host.fileChoices = {FileChoice{In("other.dat"), 1}};
    host.answers = {Answer::Cancel};
    EXPECT_TRUE(model.ChooseDataFile());  // a new file: no question
    host.fileChoices = {FileChoice{In("out.dat"), 1}};
    host.answers = {Answer::Cancel};
    EXPECT_FALSE(model.ChooseDataFile());
    EXPECT_EQ(In("other.dat"), model.State().dataFile);
}

// The library gets the folder in CP932, where ソ, 表 and 能 end in the byte
// 0x5C: the relative names it gives back climb one folder, not two, and
// the same file given again is found from them.
TEST_F(Editing, RelativeRegistrationFromFoldersEndingInByte5C)
{
    WriteFile(In("能力.bin"), std::string(5, 'n'));
    for (const std::string name : {"ソ", "ソフト表", "才能"}) {
        fs::create_directories(In(name + "/sub"));
        WriteFile(In(name + "/sub/能.bin"), std::string(3, 'n'));
        // Started there: an empty project, names relative to that folder.
        ASSERT_TRUE(model.StartUp({"-t"}, In(name + "/"))) << name;
        ASSERT_EQ(In(name + "/"), model.State().currentFolder) << name;
        model.SetPathMode(2);
        ASSERT_TRUE(Register(0, In("能力.bin"))) << name;
        EXPECT_EQ("../能力.bin", Entry(0).fileName) << name;
        EXPECT_EQ(5, Entry(0).size) << name;
        ASSERT_TRUE(Register(1, In(name + "/sub/能.bin"))) << name;
        EXPECT_EQ("sub/能.bin", Entry(1).fileName) << name;
        EXPECT_EQ(3, Entry(1).size) << name;
        EXPECT_EQ(0u, MessageCount()) << name << ": " << LastMessage().text;

        host.answers = {Answer::Cancel};
        EXPECT_FALSE(Register(2, In("能力.bin"))) << name;
        ASSERT_EQ(1u, MessageCount()) << name;
        EXPECT_EQ("多重登録確認", LastMessage().title) << name;
        host.messages.clear();
    }
}

}  // namespace
}  // namespace vorlmake::test
