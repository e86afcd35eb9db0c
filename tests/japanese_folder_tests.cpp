// Folders whose names end in a character with the second byte 0x5C in
// CP932 (ソ, 表, 能): that byte belongs to its character and never
// separates. Checked through both path exports, the native form of a
// library path, a project conversion, vorlcnv, and VorlList feeding the
// command-line conversion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "native_path.h"
#include "recode_text.h"
#include "test_support.h"

namespace vorl::test {
namespace {

// "#" in a case stands for the separator the caller wrote.
std::string Spelled(std::string text, char separator)
{
    for (char &c : text) {
        if (c == '#') {
            c = separator;
        }
    }
    return text;
}

// Each ends in a character whose CP932 form ends in 0x5C.
const char *const kFolders[] = {"ソ", "ソフト表", "才能"};
const char kSeparators[] = {'\\', '/'};

TEST(JapaneseFolders, TheFolderNamesEndInByte5C)
{
    for (const char *folder : kFolders) {
        std::string name = Sjis(folder);
        ASSERT_FALSE(name.empty());
        EXPECT_EQ('\x5C', name.back()) << folder;
    }
}

struct ExportCase {
    const char *path;  // "F" stands for the folder of the row
    const char *base;
    const char *result;  // in the host's spelling: a separator it writes is "/"
};

const ExportCase kRelToAbs[] = {
    {"..#能力.bin", "#d#F", "#d/能力.bin"},
    {"..#能力.bin", "#d#F#", "#d/能力.bin"},
    {"sub#能.bin", "#d#F", "#d#F/sub#能.bin"},
    {"sub#能.bin", "#d#F#", "#d#F/sub#能.bin"},
    {"..", "#d#F#sub", "#d#F"},
    {"..#..", "#d#F#sub", "#d"},
    {".#", "#d#F", "#d#F/"},
    {".", "#d#F#", "#d#F"},
};

const ExportCase kAbsToRel[] = {
    {"#x#ゲーム#a.bin", "#x#F#", "../ゲーム#a.bin"},
    {"#x#ゲーム#a.bin", "#x#F示", "../ゲーム#a.bin"},
    {"#d#F#sub#能.bin", "#d#F", "sub#能.bin"},
    {"#d#F#sub#能.bin", "#d#F#", "sub#能.bin"},
    {"#d#能力.bin", "#d#F#sub", "../../能力.bin"},
    {"#d#F", "#d#F#sub", ".."},
    {"#d#F", "#d#F#", "."},
    {"#d#F#", "#d#F", "./"},
};

// A case of the table for one folder and separator, in UTF-8.
std::string Utf8Row(const char *text, const std::string &folder, char separator)
{
    std::string row = Spelled(text, separator);
    for (size_t at = row.find('F'); at != std::string::npos; at = row.find('F', at + folder.size())) {
        row.replace(at, 1, folder);
    }
    return row;
}

std::string Row(const char *text, const std::string &folder, char separator)
{
    return Sjis(Utf8Row(text, folder, separator));
}

TEST(JapaneseFolders, RelativeToAbsoluteExport)
{
    for (const char *folder : kFolders) {
        for (char separator : kSeparators) {
            for (const auto &c : kRelToAbs) {
                std::string path = Row(c.path, folder, separator), base = Row(c.base, folder, separator);
                char out[VORL_PATH_SIZE] = {};
                ASSERT_EQ(1, VorlRel2AbsPath(path.c_str(), base.c_str(), out, sizeof out));
                EXPECT_EQ(Hex(Row(c.result, folder, separator)), Hex(out))
                    << c.path << " | " << c.base << " in " << folder << " with " << separator;
            }
        }
    }
}

TEST(JapaneseFolders, AbsoluteToRelativeExport)
{
    for (const char *folder : kFolders) {
        for (char separator : kSeparators) {
            for (const auto &c : kAbsToRel) {
                std::string path = Row(c.path, folder, separator), base = Row(c.base, folder, separator);
                char out[VORL_PATH_SIZE] = {};
                ASSERT_EQ(1, VorlAbs2RelPath(path.c_str(), base.c_str(), out, sizeof out));
                EXPECT_EQ(Hex(Row(c.result, folder, separator)), Hex(out))
                    << c.path << " | " << c.base << " in " << folder << " with " << separator;
            }
        }
    }
}

// The OS boundary decodes before it turns "\" into "/": the second byte
// of 表 must not become a slash.
TEST(JapaneseFolders, NativeFormKeepsTheCharacters)
{
    for (const char *folder : kFolders) {
        for (char separator : kSeparators) {
            auto native = host::ToNativePath(Row("#d#F#F#能.bin", folder, separator));
            ASSERT_TRUE(native.has_value()) << folder;
            EXPECT_EQ(Utf8Row("#d#F#F#能.bin", folder, '/'), *native);
        }
    }
}

// vorlcnv and VorlList are built into the folder of this test program.
std::string ProgramBeside(const char *name)
{
    return (fs::read_symlink("/proc/self/exe").parent_path() / name).string();
}

// A project in the folder that names a file beside the folder and two in
// a sub-folder, one with each separator, as a project made on Windows or
// on this host names them.
const char kProject[] =
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<VorlProject version='400'>\n"
    "\t<header>\n"
    "\t\t<headerid>JPFD</headerid>\n"
    "\t\t<indexnum>3</indexnum>\n"
    "\t\t<indexout>nothing</indexout>\n"
    "\t\t<indexmode>false</indexmode>\n"
    "\t\t<indexbyte>4</indexbyte>\n"
    "\t\t<indexinterval>1</indexinterval>\n"
    "\t\t<dataalign>1</dataalign>\n"
    "\t\t<pathmode>relative</pathmode>\n"
    "\t\t<skipnofile>false</skipnofile>\n"
    "\t</header>\n"
    "\t<index num='0' use='true'><filename>../能力.bin</filename></index>\n"
    "\t<index num='1' use='true'><filename>sub\\能.bin</filename></index>\n"
    "\t<index num='2' use='true'><filename>sub/表.bin</filename></index>\n"
    "</VorlProject>\n";

class InJapaneseFolder : public ::testing::TestWithParam<const char *> {
protected:
    void SetUp() override
    {
        fs::create_directories(Folder() / "sub");
        fs::create_directory(folder_ / "work");
        WriteFile(folder_ / "能力.bin", "beside ");
        WriteFile(Folder() / "sub" / "能.bin", "backslash ");
        WriteFile(Folder() / "sub" / "表.bin", "slash");
        WriteFile(Folder() / "game.vorlprj", kProject);
    }
    fs::path Folder() const { return folder_ / GetParam(); }
    TempFolder folder_;
};

TEST_P(InJapaneseFolder, ConvertPrjFileFindsEveryFile)
{
    std::string project = Sjis((Folder() / "game.vorlprj").string());
    std::string work = Sjis((folder_ / "work").string());
    ASSERT_CODE(VORL_OK, VorlConvertPrjFile(project.c_str(), "game.dat", nullptr, work.c_str()));
    EXPECT_EQ("beside backslash slash", ReadFile(Folder() / "game.dat"));  // beside the project
}

// Named by its full path: "../" climbing out of a relative project folder
// would reach the root, whatever the folder is called.
TEST_P(InJapaneseFolder, VorlcnvConvertsTheProject)
{
    std::string project = (Folder() / "game.vorlprj").string();
    ProgramResult result = RunProgram(ProgramBeside("vorlcnv"),
                                      {"--project", project, "--data", "cli.dat", "--workdir", "work"}, folder_.Path());
    EXPECT_EQ(0, result.status) << result.out << result.err;
    EXPECT_EQ("beside backslash slash", ReadFile(Folder() / "cli.dat"));
}

// VorlList scans the folder and its sub-folder; the CP932 lines it writes
// name files the command-line conversion finds.
TEST_P(InJapaneseFolder, VorlListScansTheFolder)
{
    WriteFile(Folder() / "d000.bin", "zero ");
    WriteFile(Folder() / "d001.bin", "one ");
    WriteFile(Folder() / "sub" / "d002.bin", "two");
    std::string folder = GetParam();
    ProgramResult list =
        RunProgram(ProgramBeside("VorlList"), {"-s", "-olist.lst", folder + "/d???.bin"}, folder_.Path());
    ASSERT_EQ(0, list.status) << list.out;
    EXPECT_EQ(Hex(Sjis(folder + "/d000.bin\r\n" + folder + "/d001.bin\r\n" + folder + "/sub/d002.bin\r\n")),
              Hex(ReadFile(folder_ / "list.lst")));
    ProgramResult packed = RunProgram(ProgramBeside("vorlcnv"), {"-p2", "-flist.lst", "-oall.dat", "-hall.idx"},
                                      folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    ASSERT_EQ(0, packed.status) << packed.err;
    EXPECT_EQ("zero one two", ReadFile(folder_ / "all.dat"));
}

INSTANTIATE_TEST_SUITE_P(FoldersEndingInByte5C, InJapaneseFolder, ::testing::ValuesIn(kFolders),
                         [](const auto &info) { return "Folder" + std::to_string(info.index); });

}  // namespace
}  // namespace vorl::test
