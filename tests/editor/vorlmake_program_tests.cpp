// vorlmake started from a build script: "-t -r -e" converts a project in
// the caller's folder without a window to answer, and its exit status
// tells the script what happened. A run that waited for an answer would
// be stopped by `timeout` and fail here with 124.
#include <gtest/gtest.h>

#include "test_support.h"

namespace vorl::test {
namespace {

constexpr const char *kProject = R"(<?xml version='1.0' encoding='utf-8'?>
<VorlProject version='400'>
	<header>
		<headerid>Vorl</headerid>
		<indexnum>2</indexnum>
		<indexout>infile</indexout>
		<indexmode>false</indexmode>
		<indexbyte>4</indexbyte>
		<indexinterval>1</indexinterval>
		<dataalign>1</dataalign>
		<pathmode>relative</pathmode>
		<skipnofile>false</skipnofile>
		<label>Vorl_Index</label>
		<usealias byte='4'>false</usealias>
		<changeendian>false</changeendian>
	</header>
	<index num='0' use='true'>
		<filename>素材/a.bin</filename>
		<filesize high='0'>0</filesize>
		<alias high='0'>0</alias>
		<convertnum>0</convertnum>
	</index>
	<index num='1' use='true'>
		<filename>b.bin</filename>
		<filesize high='0'>0</filesize>
		<alias high='0'>0</alias>
		<convertnum>0</convertnum>
	</index>
</VorlProject>
)";

class Vorlmake : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(folder_ / "ゲーム/素材");
        WriteFile(folder_ / "ゲーム/素材/a.bin", "AAAA");
        WriteFile(folder_ / "ゲーム/b.bin", "BB");
        WriteFile(folder_ / "ゲーム/game.vorlprj", kProject);
    }
    // Run in the project's folder, as a build script does.
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        std::vector<std::string> timed = {"30", VORLMAKE_PROGRAM};
        timed.insert(timed.end(), arguments.begin(), arguments.end());
        return RunProgram("/usr/bin/timeout", timed, folder_ / "ゲーム",
                          {{"QT_QPA_PLATFORM", "offscreen"}, {"HOME", folder_.Path().string()}});
    }
    TempFolder folder_;
};

TEST_F(Vorlmake, ConvertsInTheCallersFolder)
{
    ProgramResult result = Run({"-t", "-r", "-e", "-s", "out.dat", "game.vorlprj"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_NE(std::string::npos, ReadFile(folder_ / "ゲーム/out.dat").find("AAAABB"));
    EXPECT_FALSE(fs::exists(folder_ / "ゲーム/vorproj.tmp"));
}

TEST_F(Vorlmake, FailuresEndWithTheirCodeAndTheirMessage)
{
    struct Case {
        const char *what;
        std::function<void()> prepare;
        int status;
        const char *title;
    };
    const Case cases[] = {
        {"missing input", [&] { fs::remove(folder_ / "ゲーム/b.bin"); }, -VORL_ERR_FILE_NOT_FOUND, "変換エラー"},
        {"not a project", [&] { WriteFile(folder_ / "ゲーム/game.vorlprj", "text"); }, -VORL_ERR_NOT_A_PROJECT,
         "ファイルエラー"},
        {"no project", [&] { fs::remove(folder_ / "ゲーム/game.vorlprj"); }, -VORL_ERR_PRJ_NOT_FOUND, "ファイルエラー"},
    };
    for (const Case &c : cases) {
        SetUp();
        c.prepare();
        ProgramResult result = Run({"-t", "-r", "-e", "-sout.dat", "game.vorlprj"});
        EXPECT_EQ(c.status, result.status) << c.what << "\n" << result.err;
        EXPECT_NE(std::string::npos, result.err.find(c.title)) << c.what << "\n" << result.err;
    }
    // Without a name for the data file, the file dialog counts as
    // cancelled: the run stops and says so in its status.
    SetUp();
    ProgramResult result = Run({"-t", "-r", "-e", "game.vorlprj"});
    EXPECT_NE(0, result.status);
    EXPECT_NE(124, result.status) << "waited for an answer";
    EXPECT_NE(std::string::npos,
              result.err.find("vorlmake: 出力ファイル: ファイルを選べないので、キャンセルしたよ。\n"))
        << result.err;
}

}  // namespace
}  // namespace vorl::test
