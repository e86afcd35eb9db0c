// The host layer: code page conversion, native paths, wildcards, listings
// and text lines.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "cleared_table.h"
#include "code_page.h"
#include "directory_listing.h"
#include "item_appender.h"
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

// Items of every size around the gathering limits, with padding between
// them, land in order; an item whose source ends early leaves none of its
// bytes, and what came before it is all written.
TEST(ItemAppender, KeepsOrderAcrossGatheredAndCopiedItems)
{
    TempFolder folder;
    std::string expected;
    std::vector<std::string> items;
    for (size_t size : {1u, 4096u, 65535u, 65536u, 65537u, 200000u, 3u, 262144u, 262143u, 7u}) {
        std::string item(size, static_cast<char>('a' + items.size()));
        item.front() = item.back() = '#';
        items.push_back(item);
    }
    const std::string body = (folder / "body").string();
    {
        host::HostFile to = host::HostFile::CreateTruncating(body);
        host::ItemAppender appender(to);
        for (size_t i = 0; i < items.size(); ++i) {
            const std::string name = (folder / ("item" + std::to_string(i))).string();
            WriteFile(name, items[i]);
            host::HostFile from = host::HostFile::OpenForReading(name);
            ASSERT_EQ(host::CopyResult::Copied, appender.Append(from, items[i].size())) << i;
            ASSERT_TRUE(appender.AppendZeros(i * 3 % 17)) << i;
            expected += items[i] + std::string(i * 3 % 17, '\0');
        }
        WriteFile(folder / "short", "abc");
        host::HostFile from = host::HostFile::OpenForReading((folder / "short").string());
        EXPECT_EQ(host::CopyResult::SourceEndedEarly, appender.Append(from, 4));
        ASSERT_TRUE(appender.Flush());
    }
    EXPECT_EQ(expected, test::ReadFile(folder / "body"));
}

TEST(ClearedTable, ZeroFilledAtEverySizeAndFreedByFree)
{
    for (size_t count : {size_t{1}, size_t{10000}, size_t{3} << 20}) {
        auto *table = static_cast<unsigned char *>(host::AllocateClearedTable(count, 540));
        ASSERT_NE(nullptr, table) << count;
        EXPECT_EQ(0, table[0] | table[count * 540 / 2] | table[count * 540 - 1]) << count;
        std::free(table);
    }
    EXPECT_EQ(nullptr, host::AllocateClearedTable(static_cast<size_t>(-1) / 2, 4));
}

}  // namespace
}  // namespace vorl
