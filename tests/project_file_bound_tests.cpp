// The bound on a project file's length, below the exports: the XML reader
// refuses a longer file itself (the legacy reader, which looks first, does
// too), and a text file read with a bound reads as failed once a file
// grows past it while it is read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

#include "project_reader.h"
#include "test_support.h"
#include "text_file.h"
#include "xml_reader.h"

namespace vorl::test {
namespace {

TEST(ProjectFileBound, IsSixtyFourMebibytes)
{
    EXPECT_EQ(int64_t{64} << 20, kProjectFileByteLimit);
}

TEST(ProjectFileBound, XmlReaderRefusesALongerFile)
{
    TempFolder folder;
    const std::string path = (folder / "p.vorlprj").string();
    // Zero bytes after the document are not XML: at the bound the file is
    // read and found broken, beyond it the file is not read at all.
    struct Case {
        int64_t length;
        int expected;
    };
    for (Case c :
         {Case{kProjectFileByteLimit, VORL_ERR_XML_PARSE}, Case{kProjectFileByteLimit + 1, VORL_ERR_PRJ_NOT_FOUND},
          Case{int64_t{1} << 36, VORL_ERR_PRJ_NOT_FOUND}}) {
        WriteFile(folder / "p.vorlprj",
                  "<VorlProject version='400'><header><indexnum>1</indexnum>"
                  "<indexout>infile</indexout></header></VorlProject>");
        ASSERT_EQ(0, ::truncate(path.c_str(), static_cast<off_t>(c.length)));
        VorlInformation info{};
        std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
        EXPECT_CODE(c.expected, ReadXmlProject(info)) << c.length;
        VorlReleaseInformation(&info);
    }
}

TEST(ProjectFileBound, TextReaderStopsAtItsBound)
{
    TempFolder folder;
    const std::string path = (folder / "t.txt").string();
    WriteFile(folder / "t.txt", "12345\n789\n");
    EXPECT_FALSE(host::TextReader::Open(path, 9));

    auto whole = host::TextReader::Open(path, 10);
    ASSERT_TRUE(whole);
    std::string line;
    while (whole->ReadLimitedLine(line, 510)) {
    }
    EXPECT_FALSE(whole->Failed());  // ending at the bound is ending

    // The file grows after it was opened: what lies past the bound is
    // never read, and the reader says so.
    auto growing = host::TextReader::Open(path, 12);
    ASSERT_TRUE(growing);
    std::ofstream(path, std::ios::app) << "abcdef\n";
    std::string read;
    while (growing->ReadLimitedLine(line, 510)) {
        read += line;
    }
    EXPECT_EQ("12345\n789\nab", read);
    EXPECT_TRUE(growing->Failed());
}

}  // namespace
}  // namespace vorl::test
