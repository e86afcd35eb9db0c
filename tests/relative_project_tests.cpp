// Projects named relative to the current folder: a "../" in an entry or an
// output name climbs from the project's own folder, wherever the run is
// started, and never from the root or from the current folder.
#include <gtest/gtest.h>

#include <cstring>

#include "test_support.h"

namespace vorl::test {
namespace {

// The tree of every case: pp/a.bin is the entry the project means by
// "../a.bin"; pp/sub/x/a.bin and pp/other/a.bin are what a wrong climb
// would find; the project lies in pp/sub.
class RelativeProject : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(Pp() / "sub" / "x");
        fs::create_directories(Pp() / "other");
        fs::create_directories(Pp() / "x");
        fs::create_directories(folder_ / "work");
        WriteFile(Pp() / "a.bin", "MEANT");
        WriteFile(Pp() / "sub" / "x" / "a.bin", "BELOW");
        WriteFile(Pp() / "other" / "a.bin", "BESIDE");
        WriteFile(Pp() / "sub" / "b.bin", "bb");
        WriteFile(Pp() / "sub" / "p.vorlprj", Project({"../a.bin", "b.bin"}));
    }
    fs::path Pp() const { return folder_ / "pp"; }

    static std::string Project(std::initializer_list<const char *> names)
    {
        std::string text =
            "<VorlProject version='400'><header><indexnum>" + std::to_string(names.size()) +
            "</indexnum><indexout>nothing</indexout><indexbyte>4</indexbyte><indexinterval>1</indexinterval>"
            "<dataalign>1</dataalign></header>";
        int row = 0;
        for (const char *name : names) {
            text += "<index num='" + std::to_string(row++) + "' use='true'><filename>" + name + "</filename></index>";
        }
        return text + "</VorlProject>";
    }

    // VorlConvertPrjFile run with `from` as the current folder.
    int ConvertFrom(const fs::path &from, const char *project, const char *data)
    {
        fs::path previous = fs::current_path();
        fs::current_path(from);
        int rc = VorlConvertPrjFile(project, data, nullptr, (folder_ / "work").c_str());
        fs::current_path(previous);
        return rc;
    }

    ProgramResult RunFrom(const fs::path &from, const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, from, {{"VORLTEMP", (folder_ / "work").string()}});
    }

    TempFolder folder_;
};

std::string Rel2Abs(const char *path, const char *base)
{
    char out[512] = {};
    EXPECT_EQ(1, VorlRel2AbsPath(path, base, out, 511)) << path << " | " << base;
    return out;
}

// A ".." above a relative base stays a "..", and a ".." of the base itself
// is never taken off by a later one.
TEST(RelativeBase, DotDotNeverReachesTheRoot)
{
    EXPECT_EQ("a.bin", Rel2Abs("../a.bin", "sub/"));
    EXPECT_EQ("a.bin", Rel2Abs("../a.bin", "sub"));
    EXPECT_EQ("../a.bin", Rel2Abs("../../a.bin", "sub/"));
    EXPECT_EQ("../../a.bin", Rel2Abs("../../../a.bin", "sub/"));
    EXPECT_EQ("sub/a.bin", Rel2Abs("../a.bin", "sub/x/"));
    EXPECT_EQ(".", Rel2Abs("..", "sub"));
    EXPECT_EQ("./", Rel2Abs("../", "sub/"));
    EXPECT_EQ("..", Rel2Abs("../..", "sub/"));
    EXPECT_EQ("../", Rel2Abs("../../", "sub/"));
    EXPECT_EQ("a.bin", Rel2Abs("a.bin", ""));
    EXPECT_EQ("../a.bin", Rel2Abs("../a.bin", ""));
    EXPECT_EQ("../../a.bin", Rel2Abs("../a.bin", "../"));
    EXPECT_EQ("x/../../a.bin", Rel2Abs("../a.bin", "x/../"));
    EXPECT_EQ("/home/u/x/../../a.bin", Rel2Abs("../a.bin", "/home/u/x/../"));
    EXPECT_EQ("/home/u/./../a.bin", Rel2Abs("../a.bin", "/home/u/./"));
    // A rooted base still stops at its root.
    EXPECT_EQ("/a.bin", Rel2Abs("../../a.bin", "/sub/"));
}

TEST_F(RelativeProject, LibraryFromBelowTheProject)
{
    ASSERT_CODE(VORL_OK, ConvertFrom(Pp() / "sub" / "x", "../p.vorlprj", "out.dat"));
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "sub" / "out.dat"));
    EXPECT_FALSE(fs::exists(Pp() / "sub" / "x" / "out.dat"));
}

TEST_F(RelativeProject, LibraryFromBesideTheProject)
{
    ASSERT_CODE(VORL_OK, ConvertFrom(Pp() / "other", "../sub/p.vorlprj", "out.dat"));
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "sub" / "out.dat"));
}

TEST_F(RelativeProject, LibraryFromAboveTheProject)
{
    ASSERT_CODE(VORL_OK, ConvertFrom(Pp(), "sub/p.vorlprj", "../x/zz.dat"));
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "x" / "zz.dat"));
}

// An entry that climbs above the project's relative folder names a file
// of the current folder's parent tree, never one under the root.
TEST_F(RelativeProject, LibraryClimbsFromTheProjectNotFromTheRoot)
{
    fs::create_directories(Pp() / "etc");
    WriteFile(Pp() / "etc" / "hostname", "OURS");
    WriteFile(Pp() / "sub" / "q.vorlprj", Project({"../etc/hostname"}));
    ASSERT_CODE(VORL_OK, ConvertFrom(Pp(), "sub/q.vorlprj", "../x/zz.dat"));
    EXPECT_EQ("OURS", ReadFile(Pp() / "x" / "zz.dat"));
    EXPECT_FALSE(fs::exists("/x/zz.dat"));
}

TEST_F(RelativeProject, VorlcnvFromBelowTheProject)
{
    ProgramResult result = RunFrom(Pp() / "sub" / "x", {"--project", "../p.vorlprj", "--data", "out.dat"});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "sub" / "out.dat"));
    EXPECT_EQ("vorlcnv: wrote ../out.dat (7 bytes)\n", result.err);

    result = RunFrom(Pp() / "sub" / "x", {"--project", "../p.vorlprj", "--data", "../x/zz.dat"});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "x" / "zz.dat"));
    EXPECT_FALSE(fs::exists(Pp() / "sub" / "x" / "x"));
    // A name the user can open from where they are.
    EXPECT_EQ("vorlcnv: wrote ../../x/zz.dat (7 bytes)\n", result.err);
}

TEST_F(RelativeProject, VorlcnvFromBesideTheProject)
{
    ProgramResult result = RunFrom(Pp() / "other", {"--project", "../sub/p.vorlprj", "--data", "out.dat"});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "sub" / "out.dat"));
    EXPECT_EQ("vorlcnv: wrote ../sub/out.dat (7 bytes)\n", result.err);
}

// Above the project the summary names the file from the current folder,
// as it was written: "sub/../x" would be another file if sub were a link.
TEST_F(RelativeProject, VorlcnvSummaryNamesTheFileWritten)
{
    ProgramResult result = RunFrom(Pp(), {"--project", "sub/p.vorlprj", "--data", "../x/zz.dat"});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("MEANTbb", ReadFile(Pp() / "x" / "zz.dat"));
    EXPECT_EQ("vorlcnv: wrote x/zz.dat (7 bytes)\n", result.err);
    std::string absolute = (Pp() / "abs.dat").string();
    result = RunFrom(Pp(), {"--project", "sub/p.vorlprj", "--data", absolute});
    ASSERT_EQ(0, result.status) << result.err;
    EXPECT_EQ("vorlcnv: wrote " + absolute + " (7 bytes)\n", result.err);
}

}  // namespace
}  // namespace vorl::test
