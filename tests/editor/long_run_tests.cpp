// Long runs in the editor: progress and stopping through the scripted
// fake with the real library, failures that name their entry, and the run
// settings kept in the user's settings file.
#include <gtest/gtest.h>

#include <filesystem>

#include "editor_model.h"
#include "fake_host.h"
#include "profile_file.h"
#include "test_support.h"

namespace vorlmake::test {
namespace {

namespace fs = std::filesystem;

using vorl::test::ReadFile;
using vorl::test::TempFolder;
using vorl::test::WriteFile;

class LongRun : public ::testing::Test {
protected:
    LongRun() : model(host, library, "/opt/vorl", "2.0.2") {}
    void SetUp() override
    {
        model.UseSettingsFile(folder + "system.ini");
        model.UseUserSettingsFile(folder + "user/vorlmake.ini");
        // The folder the program starts in is the one it works in.
        ASSERT_TRUE(model.StartUp({"-t"}, folder));
        ASSERT_EQ(folder, model.State().currentFolder);
        host.convertDialog = [this](ConvertDialogState &state) {
            state.commands[0] = "echo \"$I\" >> '" + folder + "log'; cat \"$I\" > \"$O\"";
            state.commands[1] = "exit 3";
            return true;
        };
        model.EditConverters();
        for (int i = 0; i < kRows; ++i) {
            std::string name = "in" + std::to_string(i) + ".bin";
            WriteFile(folder + name, std::string(100 + i, static_cast<char>('a' + i)));
            model.GoToPage("0");
            ASSERT_TRUE(model.RegisterFile(i, folder + name));
            model.SetEntryConverter(i, 1);
        }
        model.UseDataFile(folder + "out.dat");
        WriteFile(folder + "out.dat", "the previous data file");
    }
    // Saves the project under its own name (chosen the first time).
    void Save()
    {
        host.fileChoices = {FileChoice{folder + "long.vorlprj", 1}};
        model.SaveProject();
        host.fileChoices.clear();
        ASSERT_EQ(folder + "long.vorlprj", model.State().projectFile);
    }
    int LogLines()
    {
        std::string log = fs::exists(folder + "log") ? ReadFile(folder + "log") : "";
        return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
    }
    // Everything in the folder that the run may have left behind.
    std::vector<std::string> Leftovers()
    {
        std::vector<std::string> found;
        for (const auto &item : fs::directory_iterator(folder)) {
            std::string name = item.path().filename().string();
            if (name == "vorproj.tmp" || name.rfind("vorl", 0) == 0) {
                found.push_back(name);
            }
        }
        return found;
    }
    static constexpr int kRows = 4;
    TempFolder temp;
    std::string folder = temp.Path().string() + "/";
    FakeHost host;
    FakeLibrary library;
    EditorModel model;
};

TEST_F(LongRun, ProgressCountsEveryRowAndNamesItsInput)
{
    model.RunConversion();
    ASSERT_TRUE(host.messages.empty()) << host.messages.back().text;
    ASSERT_EQ(static_cast<size_t>(kRows + 1), host.progress.size());
    for (int i = 0; i < kRows; ++i) {
        EXPECT_EQ(i, std::get<0>(host.progress[static_cast<size_t>(i)]));
        EXPECT_EQ(kRows, std::get<1>(host.progress[static_cast<size_t>(i)]));
        EXPECT_NE(std::string::npos, std::get<2>(host.progress[static_cast<size_t>(i)]).find("in" + std::to_string(i)));
    }
    EXPECT_EQ(kRows, std::get<0>(host.progress.back()));
}

// Stopped before the first, a middle and the last row: the previous data
// file is untouched, nothing is left behind, the window is enabled again
// and the project's modified flag is what it was.
TEST_F(LongRun, StopBeforeAnyRowLeavesEverythingAsItWas)
{
    for (int stopAt : {0, kRows / 2, kRows - 1}) {
        for (bool modified : {false, true}) {
            SCOPED_TRACE("stop at " + std::to_string(stopAt) + (modified ? ", modified" : ""));
            // Saved, or changed since: remarks are the project's.
            if (modified) {
                model.EditRemarks(0, "stop at " + std::to_string(stopAt));
            } else {
                Save();
            }
            ASSERT_EQ(modified, model.State().modified);
            size_t messages = host.messages.size();
            host.onProgress = [this, stopAt](int done, int) {
                if (done == stopAt) {
                    model.StopConversion();
                }
            };
            model.RunConversion();
            EXPECT_EQ("the previous data file", ReadFile(folder + "out.dat"));
            EXPECT_EQ(std::vector<std::string>{}, Leftovers());
            EXPECT_EQ(messages, host.messages.size()) << "a stop the user asked for is no error";
            EXPECT_TRUE(host.enabled);
            EXPECT_EQ(modified, model.State().modified);
            EXPECT_EQ(false, host.runningStates.back());
        }
    }
    // The next run is not stopped by the last one's request.
    host.onProgress = nullptr;
    model.RunConversion();
    EXPECT_NE("the previous data file", ReadFile(folder + "out.dat"));
}

TEST_F(LongRun, FailingConverterIsNamedWithItsEntry)
{
    model.GoToPage("0");
    model.SetEntryConverter(2, 2);  // "exit 3"
    model.RunConversion();
    const std::string &text = host.messages.back().text;
    EXPECT_EQ("変換エラー", host.messages.back().title);
    EXPECT_NE(std::string::npos, text.find("エントリ 2: " + folder + "in2.bin\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("変換コマンドが終了コード 3 で終わりました。")) << text;
    EXPECT_EQ("the previous data file", ReadFile(folder + "out.dat"));
}

TEST_F(LongRun, RunSettingsGoToTheUsersFileAndDriveTheRun)
{
    host.files[folder + "system.ini"] = "[Setup]\nConvertString1=zip \"$I\"\n";
    host.runSettingsDialog = [this](RunSettings &settings) {
        EXPECT_EQ(1, settings.jobs);
        EXPECT_EQ("", settings.cacheFolder);
        settings.jobs = 2;
        settings.cacheFolder = folder + "キャッシュ";
        return true;
    };
    Save();
    ASSERT_FALSE(model.State().modified);
    model.ChangeRunSettings();
    EXPECT_FALSE(model.State().modified) << "run settings are not the project's";
    // The user's new file starts from the settings in use, so that it
    // hides none of them.
    const std::string user = host.files[folder + "user/vorlmake.ini"];
    EXPECT_EQ("zip \"$I\"", ReadProfileString(user, "Setup", "ConvertString1", ""));
    EXPECT_EQ("2", ReadProfileString(user, "Conversion", "Jobs", ""));
    EXPECT_EQ(2, model.CurrentRunSettings().jobs);

    // With the cache, a second run converts nothing and packs the same.
    model.RunConversion();
    const std::string first = ReadFile(folder + "out.dat");
    EXPECT_EQ(kRows, LogLines());
    model.RunConversion();
    EXPECT_EQ(kRows, LogLines());
    EXPECT_EQ(first, ReadFile(folder + "out.dat"));

    // A file that cannot be written says so and keeps the settings.
    host.writesFail = true;
    host.runSettingsDialog = [](RunSettings &settings) {
        settings.jobs = 0;
        return true;
    };
    model.ChangeRunSettings();
    EXPECT_EQ(MessageIcon::Exclamation, host.messages.back().icon);
    EXPECT_EQ(2, model.CurrentRunSettings().jobs);
    // Read back on the next reset.
    host.writesFail = false;
    model.NewProject();
    EXPECT_EQ(folder + "キャッシュ", model.CurrentRunSettings().cacheFolder);
}

struct ProfileWrite {
    const char *before;
    const char *section;
    const char *key;
    const char *value;
    const char *after;
};

TEST(ProfileFile, WritingOneKeyKeepsEveryOtherLine)
{
    const ProfileWrite cases[] = {
        {"", "Conversion", "Jobs", "2", "[Conversion]\nJobs=2\n"},
        {"[Setup]\nA=1", "Conversion", "Jobs", "2", "[Setup]\nA=1\n[Conversion]\nJobs=2\n"},
        {"[Setup]\r\nA=1\r\n", "Conversion", "Jobs", "2", "[Setup]\r\nA=1\r\n[Conversion]\r\nJobs=2\r\n"},
        {"[conversion]\n; mine\njobs = 8\n\n[Setup]\nA=1\n", "Conversion", "Jobs", "2",
         "[conversion]\n; mine\nJobs=2\n\n[Setup]\nA=1\n"},
        {"[Conversion]\nJobs=1\n\n[Setup]\n", "Conversion", "CacheFolder", " /a b ",
         "[Conversion]\nJobs=1\nCacheFolder=\" /a b \"\n\n[Setup]\n"},
        {"[Setup]\nJobs=9\n", "Conversion", "Jobs", "2", "[Setup]\nJobs=9\n[Conversion]\nJobs=2\n"},
    };
    for (const ProfileWrite &c : cases) {
        std::string after = WriteProfileString(c.before, c.section, c.key, c.value);
        EXPECT_EQ(c.after, after) << c.before;
        EXPECT_EQ(c.value, ReadProfileString(after, c.section, c.key, "?")) << c.before;
    }
}

TEST(RunSettingsFile, UnusableValuesFallBackToOneJob)
{
    for (const char *jobs : {"", "x", "-1", "99999", "1.5"}) {
        EXPECT_EQ(1, ReadRunSettings(std::string("[Conversion]\nJobs=") + jobs + "\n").jobs) << jobs;
    }
    EXPECT_EQ(kMostJobs, ReadRunSettings("[Conversion]\nJobs=9999\n").jobs);
    EXPECT_EQ(0, ReadRunSettings("[Conversion]\nJobs=0\n").jobs);
}

}  // namespace
}  // namespace vorlmake::test
