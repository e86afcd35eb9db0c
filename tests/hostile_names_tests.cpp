// Hostile file names through every front end: each byte value 0x01 to
// 0xFF (but "/") in a name, and names built to run commands. Every name is
// either packed as exactly that file or refused with a message, and no
// name ever runs a command of its own.
#include <gtest/gtest.h>

#include <algorithm>

#include <cstring>

#include "recode_text.h"
#include "test_support.h"

namespace vorl::test {
namespace {

std::string Cp932Of(const std::string &utf8)
{
    return common::Utf8ToCp932(utf8).value_or(std::string());
}

std::vector<std::string> HostileNameList()
{
    std::vector<std::string> names;
    for (int byte = 1; byte < 256; ++byte) {
        if (byte != '/') {
            names.push_back("h" + std::string(1, static_cast<char>(byte)) + "x.bin");
        }
    }
    for (const char *name :
         {"`touch CANARY`", "$(touch CANARY)", "a;touch CANARY", "'; touch CANARY; '", "\"; touch CANARY; \"", "-rf",
          " lead", "trail ", "a b c", "${IFS}x", "*", "?", "new\nline", "表 データ.bin", "**0", "a,1,2"}) {
        names.push_back(name);
    }
    return names;
}

class HostileNames : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(folder_ / "work"); }
    void ExpectNoCanary(const std::string &name)
    {
        ASSERT_FALSE(fs::exists(folder_ / "CANARY")) << "a name ran a command: " << name;
    }
    std::vector<std::pair<std::string, std::string>> Environment()
    {
        return {{"VORLTEMP", (folder_ / "work").string()}};
    }
    TempFolder folder_;
};

TEST_F(HostileNames, CommandLineTakesTheExactFileOrSaysWhy)
{
    int packed = 0, refused = 0;
    for (const std::string &name : HostileNameList()) {
        WriteFile(folder_ / name, "content of " + name);
        fs::remove(folder_ / "out.dat");
        ProgramResult result = RunProgram(VORLCNV_PROGRAM, {"-p3", name, "-oout.dat"}, folder_.Path(), Environment());
        if (result.status == 0) {
            EXPECT_EQ("content of " + name, ReadFile(folder_ / "out.dat")) << Hex(name);
            EXPECT_EQ(std::string::npos, name.find('\\')) << "a backslash is a separator to the library";
            ++packed;
        } else {
            EXPECT_FALSE(result.err.empty()) << Hex(name);
            ++refused;
        }
        ExpectNoCanary(name);
        fs::remove(folder_ / name);
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
    EXPECT_GT(packed, 100);
    RecordProperty("packed", packed);
    RecordProperty("refused", refused);
}

TEST_F(HostileNames, ConvertersGetTheExactFile)
{
    for (const std::string &name : HostileNameList()) {
        std::string cp932 = Cp932Of(name);
        // No library form, or a reference by the format's own rule.
        if (cp932.empty() || name[0] == '*') {
            continue;
        }
        fs::remove(folder_ / "out.dat");
        WriteFile(folder_ / name, "content of " + name);
        Block block(1);
        block.UseFile(0, Cp932Of(folder_.Path().string()) + "/" + cp932);
        block.Row(0).convertnum = 1;
        block.SetConverter(1, R"(cat -- "$I" > "$O")");
        block->indexout = 3;
        block.SetData(folder_ / "out.dat");
        block.SetText(block->workdir, sizeof block->workdir, (folder_ / "work").string() + "/");
        int rc = block.Convert();
        if (name.find('\\') != std::string::npos) {
            // The library reads "\\" as a folder separator: that file is not there.
            EXPECT_CODE(VORL_ERR_FILE_NOT_FOUND, rc) << Hex(name);
        } else {
            EXPECT_CODE(VORL_OK, rc) << Hex(name);
            EXPECT_EQ("content of " + name, ReadFile(folder_ / "out.dat")) << Hex(name);
        }
        ExpectNoCanary(name);
        fs::remove(folder_ / name);
    }
}

TEST_F(HostileNames, ListsCarryOnlyNamesTheConversionReadsBack)
{
    int listed = 0, refused = 0;
    for (const std::string &hostile : HostileNameList()) {
        std::string name = "f00" + hostile;
        fs::remove_all(folder_ / "scan");
        fs::create_directory(folder_ / "scan");
        WriteFile(folder_ / "scan" / name, "content of " + name);
        fs::remove(folder_ / "list.lst");
        ProgramResult list = RunProgram(VORLLIST_PROGRAM, {"-olist.lst", "scan/f??*"}, folder_.Path());
        if (list.status != 0) {
            // Refused with a message after the banner, and no list.
            EXPECT_NE(std::string::npos, list.out.find(": scan/")) << Hex(name) << list.out;
            EXPECT_FALSE(fs::exists(folder_ / "list.lst"));
            ++refused;
            continue;
        }
        ++listed;
        ProgramResult pack =
            RunProgram(VORLCNV_PROGRAM, {"-p3", "-flist.lst", "-oout.dat"}, folder_.Path(), Environment());
        EXPECT_EQ(0, pack.status) << Hex(name) << pack.err;
        EXPECT_EQ("content of " + name, ReadFile(folder_ / "out.dat")) << Hex(name);
        ExpectNoCanary(name);
    }
    EXPECT_GT(listed, 100);
    RecordProperty("listed", listed);
    RecordProperty("refused", refused);
}

TEST_F(HostileNames, ProjectFilesKeepTheExactName)
{
    for (const std::string &name : HostileNameList()) {
        std::string cp932 = Cp932Of(name);
        if (cp932.empty() || name[0] == '*') {
            continue;  // a reference by the format's own rule
        }
        WriteFile(folder_ / name, "content of " + name);
        Block block(1);
        block.UseFile(0, cp932);  // relative to the project's folder
        block->indexout = 3;
        std::string project = (folder_ / "p.vorlprj").string();
        block.SetText(block->prjfile, sizeof block->prjfile, project);
        // Texts XML cannot carry (control characters) are refused by the
        // save, which would otherwise write a project nobody can read back.
        bool control = std::any_of(cp932.begin(), cp932.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n';
        });
        int saved = VorlPutXMLPrjFile(&block.Info());
        if (saved != VORL_OK) {
            EXPECT_EQ(VORL_ERR_PRJ_NOT_FOUND, saved) << Hex(name);
            EXPECT_TRUE(control) << Hex(name);
            ExpectNoCanary(name);
            fs::remove(folder_ / name);
            continue;
        }
        int rc = VorlConvertPrjFile(project.c_str(), "out.dat", nullptr, (folder_ / "work").c_str());
        if (rc == VORL_OK) {
            EXPECT_EQ("content of " + name, ReadFile(folder_ / "out.dat")) << Hex(name);
        } else if (name.find('\\') != std::string::npos) {
            EXPECT_EQ(VORL_ERR_FILE_NOT_FOUND, rc) << Hex(name);
        } else {
            // Whatever the save writes, the reading takes back.
            ADD_FAILURE() << "read back with " << rc << ": " << Hex(name);
        }
        ExpectNoCanary(name);
        fs::remove(folder_ / name);
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "work"));
}

}  // namespace
}  // namespace vorl::test
