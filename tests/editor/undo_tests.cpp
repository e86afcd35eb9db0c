// Undo and redo in the editor: every change to the project can be taken
// back and done again exactly, a save is no step, and a project opened
// or started anew begins a history of its own.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "editor_model.h"
#include "fake_host.h"
#include "test_support.h"

namespace vorlmake::test {
namespace {

using vorl::test::TempFolder;
using vorl::test::WriteFile;

// The project as a user sees it: entries, settings, texts and marks.
struct ProjectView {
    EntryList entries;
    VorlInformation block;
    ProjectTexts texts;
    ChoiceMarks marks;
    explicit ProjectView(const EditorModel &model)
        : entries(model.State().entries), block(model.State().block), texts(model.State().texts), marks(model.Marks())
    {
    }
    bool operator==(const ProjectView &other) const
    {
        return entries == other.entries && std::memcmp(&block, &other.block, sizeof block) == 0 &&
               texts == other.texts && marks == other.marks;
    }
};

class Undo : public ::testing::Test {
protected:
    Undo() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        ASSERT_TRUE(model.StartUp({"-t"}, folder));
        for (const char *name : {"a.bin", "b.bin", "c.bin"}) {
            WriteFile(folder + name, std::string(10 + std::strlen(name), 'x'));
        }
        ASSERT_TRUE(model.RegisterFile(0, folder + "a.bin"));
        ASSERT_TRUE(model.RegisterFile(1, folder + "b.bin"));
    }
    TempFolder temp;
    const std::string folder = temp.Path().string() + "/";
    FakeHost host;
    FakeLibrary library;
    EditorModel model;
};

TEST_F(Undo, EveryChangeIsTakenBackAndDoneAgainExactly)
{
    const std::vector<std::pair<const char *, std::function<void()>>> changes = {
        {"untick an entry", [&] { model.SetEntryInUse(1, false); }},
        {"register", [&] { model.RegisterFile(2, folder + "c.bin"); }},
        {"insert", [&] { model.InsertEntry(0); }},
        {"delete", [&] { model.DeleteEntry(0); }},
        {"typed size", [&] { model.SetEntrySize(0, "64"); }},
        {"remarks typed",
         [&] {
             model.EditRemarks(1, "t");
             model.EditRemarks(1, "ti");
             model.EditRemarks(1, "title");
         }},
        {"converter", [&] { model.SetEntryConverter(0, 2); }},
        {"alignment", [&] { model.SetAlignment(16); }},
        {"header output", [&] { model.SetHeaderOutput(VORL_INDEX_BINARY); }},
        {"index width", [&] { model.SetIndexBytes(2); }},
        {"byte order", [&] { model.SetBigEndian(true); }},
        {"alias table", [&] { model.ToggleAliasTable(); }},
        {"missing as all ones", [&] { model.ToggleMissingIndexAllOnes(); }},
        {"interval", [&] { model.SetPageInterval("5"); }},
        {"converters",
         [&] {
             host.convertDialog = [](ConvertDialogState &state) {
                 state.commands[3] = "xz -c \"$I\" > \"$O\"";
                 return true;
             };
             model.EditConverters();
         }},
        {"rescan",
         [&] {
             WriteFile(folder + "c.bin", std::string(99, 'y'));  // entry 2; entry 0 has a typed size
             model.RescanSizes();
         }},
    };
    for (const auto &[name, change] : changes) {
        SCOPED_TRACE(name);
        const ProjectView before(model);
        change();
        const ProjectView after(model);
        ASSERT_FALSE(before == after) << "the change changed nothing";
        ASSERT_TRUE(model.CanUndo());
        model.Undo();
        EXPECT_TRUE(ProjectView(model) == before);
        EXPECT_TRUE(model.CanRedo());
        model.Redo();
        EXPECT_TRUE(ProjectView(model) == after);
        // One step per change: the typed characters of one field too.
        model.Undo();
        EXPECT_TRUE(ProjectView(model) == before);
        model.Redo();
    }
}

TEST_F(Undo, SavedStateIsNotModifiedAndSavingIsNoStep)
{
    host.fileChoices = {FileChoice{folder + "p.vorlprj", 1}};
    model.SaveProject();
    ASSERT_FALSE(model.IsModified());
    model.SetEntrySize(0, "32");
    EXPECT_TRUE(model.IsModified());
    model.Undo();
    EXPECT_FALSE(model.IsModified()) << "back to what is on disk";
    model.Redo();
    EXPECT_TRUE(model.IsModified());
    model.SaveProject();
    EXPECT_FALSE(model.IsModified());
    model.Undo();  // the size, not the save
    EXPECT_EQ(10 + 5, model.State().entries[0].size);
    EXPECT_TRUE(model.IsModified());
    // A new change drops what could be done again.
    model.SetEntryConverter(1, 1);
    EXPECT_FALSE(model.CanRedo());
}

TEST_F(Undo, NavigationIsNoStepAndANewProjectStartsAfresh)
{
    while (model.CanUndo()) {
        model.Undo();
    }
    EXPECT_FALSE(model.State().entries[0].inUse);
    model.Redo();
    model.Redo();
    model.NextPage();
    model.ToggleAliasColumn();
    model.Undo();
    EXPECT_FALSE(model.State().entries[1].inUse) << "the last change was the registration";
    EXPECT_EQ(0, model.CurrentPage()) << "the page shows what was taken back";
    model.ResetProject();
    EXPECT_FALSE(model.CanUndo());
    EXPECT_FALSE(model.CanRedo());
}

}  // namespace
}  // namespace vorlmake::test
