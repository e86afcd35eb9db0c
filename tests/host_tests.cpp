// The host layer: code page conversion, native paths, wildcards, listings
// and text lines.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "code_page.h"
#include "directory_listing.h"
#include "native_path.h"
#include "test_support.h"
#include "text_file.h"
#include "wildcard.h"

namespace vorl {
namespace {

using test::TempFolder;
using test::WriteFile;

TEST(CodePage, RoundTripsJapaneseAndKeepsBackslash)
{
    std::string utf8 = "データ\\ソフト表.bin";
    auto cp932 = host::Utf8ToCp932(utf8);
    ASSERT_TRUE(cp932);
    // "ソ" is 83 5C and "表" is 95 5C in CP932.
    EXPECT_NE(std::string::npos, cp932->find("\x83\x5C"));
    EXPECT_NE(std::string::npos, cp932->find("\x95\x5C"));
    EXPECT_EQ(utf8, host::Cp932ToUtf8(*cp932));
}

TEST(CodePage, TextWithoutAFormIsRefused)
{
    EXPECT_FALSE(host::Utf8ToCp932("emoji \xF0\x9F\x98\x80"));
    EXPECT_FALSE(host::Utf8ToCp932("broken \xC3"));
    EXPECT_FALSE(host::Cp932ToUtf8("lead byte at the end \x83"));
}

TEST(NativePath, SwapsOnlyRealBackslashes)
{
    auto cp932 = host::Utf8ToCp932("dir\\ソ\\表.bin");
    ASSERT_TRUE(cp932);
    EXPECT_EQ("dir/ソ/表.bin", host::ToNativePath(*cp932));
    EXPECT_FALSE(host::ToNativePath(std::string("a\0b", 3)));
}

TEST(Wildcard, MatchesCharactersAndRuns)
{
    struct Case {
        const char *pattern;
        const char *name;
        bool matches;
    };
    const Case cases[] = {
        {"*", "anything", true},
        {"*.bmp", "a.bmp", true},
        {"*.bmp", "a.BMP", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"a*b*c", "aXXbYYc", true},
        {"a*b*c", "aXXbYY", false},
        {"*.*", "noext", false},
        {"???",
         "\x83\x5C"
         "ab",
         true},
        {"?", "\x83\x5C", true},
        {"", "", true},
        {"**x", "yx", true},
        {"\x83*", "\x83\x5C", false},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(c.matches, host::MatchWildcard(c.pattern, c.name)) << c.pattern << " ~ " << c.name;
    }
}

TEST(DirectoryListing, ListsMatchingNamesInByteOrder)
{
    TempFolder folder;
    for (const char *name : {"b.bin", "a.bin", "C.bin", "a.txt"}) {
        WriteFile(folder / name, "12");
    }
    test::fs::create_directory(folder / "d.bin");
    auto listing = host::ListDirectory(folder.Path().string(), "*.bin");
    ASSERT_TRUE(listing);
    std::vector<std::string> names;
    for (const auto &entry : *listing) {
        names.push_back(entry.name + (entry.isDirectory ? "/" : "") + std::to_string(entry.size));
    }
    EXPECT_EQ((std::vector<std::string>{"C.bin2", "a.bin2", "b.bin2", "d.bin/0"}), names);
    EXPECT_FALSE(host::ListDirectory((folder / "missing").string(), "*"));
}

TEST(TextReader, AcceptsLfAndCrLf)
{
    TempFolder folder;
    WriteFile(folder / "t.txt", "one\r\ntwo\nthree\r\n\r\nlast\rx");
    auto reader = host::TextReader::Open((folder / "t.txt").string());
    ASSERT_TRUE(reader);
    std::vector<std::string> lines;
    std::string line;
    while (reader->ReadLine(line)) {
        lines.push_back(line);
    }
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three", "", "last\rx"}), lines);
    EXPECT_FALSE(host::TextReader::Open(folder.Path().string()));
}

}  // namespace
}  // namespace vorl
