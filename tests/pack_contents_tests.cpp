// vorlcnv --list and --extract run as programs on packs that vorlcnv
// made, on cut and bent ones, and with wrong arguments.
#include <gtest/gtest.h>

#include <algorithm>

#include "test_support.h"

namespace vorl::test {
namespace {

class PackInspection : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(folder_ / "a.bin", "AAAAA");
        WriteFile(folder_ / "b.bin", "BBB");
        WriteFile(folder_ / "c.bin", "CCCCCCC");
        fs::create_directory(folder_ / "work");
    }
    ProgramResult Run(const std::vector<std::string> &arguments)
    {
        return RunProgram(VORLCNV_PROGRAM, arguments, folder_.Path(), {{"VORLTEMP", (folder_ / "work").string()}});
    }
    // Packs with vorlcnv itself; the entries are the same for every pack.
    void Pack(std::vector<std::string> options)
    {
        for (const char *entry : {"a.bin,0,-1", "", "b.bin,0,200", "**0", "c.bin,0,0x7fff"}) {
            options.push_back(entry);
        }
        options.insert(options.begin(), "-q");
        ProgramResult result = Run(options);
        ASSERT_EQ(0, result.status) << result.err;
    }
    TempFolder folder_;
};

// The stored bytes of the entries above at an alignment: the file, then
// zeros up to the next multiple; "" for the unused entry.
std::vector<std::string> StoredItems(size_t align)
{
    std::vector<std::string> items;
    for (std::string content : {"AAAAA", "", "BBB", "AAAAA", "CCCCCCC"}) {
        if (!content.empty()) {
            content.resize((content.size() + align - 1) / align * align, '\0');
        }
        items.push_back(content);
    }
    return items;
}

TEST_F(PackInspection, ListsAPackWithItsIndexInFront)
{
    Pack({"-p0", "-a4", "-e", "-opack.dat"});
    ASSERT_FALSE(HasFatalFailure());
    ProgramResult result = Run({"--list", "pack.dat", "--json"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("", result.err);
    EXPECT_EQ(R"({
  "id": "Vorl",
  "rows": 6,
  "index_width": 4,
  "alias_width": 4,
  "byte_order": "little",
  "alignment": 4,
  "running_offsets": true,
  "separate_index": false,
  "body_start": 56,
  "body_size": 20,
  "entries": [
    {"row": 0, "value": 0, "has_data": true, "offset": 0, "file_offset": 56, "size": 8, "shared_with": null, "alias": 4294967295, "signed_alias": -1},
    {"row": 1, "value": 2, "has_data": false, "offset": null, "file_offset": null, "size": 0, "shared_with": null, "alias": 0, "signed_alias": 0},
    {"row": 2, "value": 2, "has_data": true, "offset": 8, "file_offset": 64, "size": 4, "shared_with": null, "alias": 200, "signed_alias": 200},
    {"row": 3, "value": 0, "has_data": true, "offset": 0, "file_offset": 56, "size": 8, "shared_with": 0, "alias": 0, "signed_alias": 0},
    {"row": 4, "value": 3, "has_data": true, "offset": 12, "file_offset": 68, "size": 8, "shared_with": null, "alias": 32767, "signed_alias": 32767},
    {"row": 5, "value": 5, "has_data": false, "offset": null, "file_offset": null, "size": 0, "shared_with": null, "alias": 0, "signed_alias": 0}
  ]
}
)",
              result.out);
    result = Run({"--list", "pack.dat"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(
        "format: 4-byte index, 4-byte alias, least significant byte first, alignment 4, 6 rows, running "
        "offsets, id \"Vorl\"\n"
        "body: 20 bytes from file offset 56\n"
        "row  offset  in file  size  alias\n"
        "  0       0       56     8  4294967295 (-1)\n"
        "  1       -        -     -  0                no data\n"
        "  2       8       64     4  200\n"
        "  3       0       56     8  0                shared with 0\n"
        "  4      12       68     8  32767\n"
        "  5       -        -     -  0                no data\n",
        result.out);
}

TEST_F(PackInspection, ListsASeparateIndexWithItsData)
{
    Pack({"-p2", "-i", "-b", "-t2", "-odata.bin", "-hindex.bin"});
    ASSERT_FALSE(HasFatalFailure());
    ProgramResult result = Run({"--list", "--json", "--header", "index.bin", "--", "data.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_NE(std::string::npos, result.out.find("\"body_start\": null,\n")) << result.out;
    EXPECT_NE(std::string::npos,
              result.out.find("{\"row\": 1, \"value\": 65535, \"has_data\": false, \"offset\": null, "
                              "\"file_offset\": null, \"size\": 0, \"shared_with\": null, \"alias\": "
                              "null, \"signed_alias\": null}"))
        << result.out;
    result = Run({"--list", "data.bin", "--header", "index.bin"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ(
        "format: 2-byte index, no alias, most significant byte first, alignment 1, 5 rows, all-ones for no "
        "data, id \"Vorl\"\n"
        "body: 15 bytes, the whole data file\n"
        "row  offset  size\n"
        "  0       0     5\n"
        "  1       -     -  no data\n"
        "  2       5     3\n"
        "  3       0     5  shared with 0\n"
        "  4       8     7\n",
        result.out);
}

TEST_F(PackInspection, ExtractsEveryItemAsStored)
{
    struct Case {
        std::vector<std::string> packOptions;
        std::vector<std::string> files;  // the data file, then the header option if any
        size_t align;
    };
    const Case cases[] = {
        {{"-p0", "-a4", "-e", "-b", "-opack.dat"}, {"pack.dat"}, 4},
        {{"-p0", "-i", "-t2", "-opack.dat"}, {"pack.dat"}, 1},
        {{"-p2", "-a8", "-e", "-odata.bin", "-hindex.bin"}, {"data.bin", "--header", "index.bin"}, 8},
        {{"-p2", "-i", "-b", "-odata.bin", "-hindex.bin"}, {"data.bin", "--header", "index.bin"}, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.packOptions[0] + " " + c.packOptions[1]);
        Pack(c.packOptions);
        ASSERT_FALSE(HasFatalFailure());
        std::vector<std::string> items = StoredItems(c.align);
        for (size_t row = 0; row < items.size(); ++row) {
            std::vector<std::string> arguments{"--extract", std::to_string(row)};
            arguments.insert(arguments.end(), c.files.begin(), c.files.end());
            ProgramResult result = Run(arguments);
            if (items[row].empty()) {
                EXPECT_EQ(65, result.status);
                EXPECT_NE(std::string::npos, result.err.find(": row 1 has no data\n")) << result.err;
                continue;
            }
            EXPECT_EQ(0, result.status) << result.err;
            EXPECT_EQ(Hex(items[row]), Hex(result.out)) << "row " << row;
            arguments.insert(arguments.end(), {"--output", "item.bin"});
            result = Run(arguments);
            EXPECT_EQ(0, result.status) << result.err;
            EXPECT_EQ("", result.out + result.err);
            EXPECT_EQ(Hex(items[row]), Hex(ReadFile(folder_ / "item.bin"))) << "row " << row;
        }
    }
    ProgramResult result = Run({"--extract", "9", "data.bin", "--header", "index.bin"});
    EXPECT_EQ(65, result.status);
    EXPECT_EQ("vorlcnv: index.bin: no row 9 (the index has 5 rows)\n", result.err);
    result = Run({"--extract", "99999999999999999999999", "data.bin", "--header", "index.bin"});
    EXPECT_EQ(65, result.status);
    result = Run({"--extract", "1", "data.bin", "--header", "index.bin", "--output", "none.bin"});
    EXPECT_EQ(65, result.status);
    EXPECT_FALSE(fs::exists(folder_ / "none.bin"));
}

// Cut anywhere, a pack with running offsets is refused, and so is its
// separate index: one line naming the file, status 65, never a crash.
TEST_F(PackInspection, CutAndBentPacksAreRefused)
{
    Pack({"-p0", "-t2", "-opack.dat"});
    Pack({"-p2", "-a4", "-t2", "-odata.bin", "-hindex.bin"});
    ASSERT_FALSE(HasFatalFailure());
    const std::string pack = ReadFile(folder_ / "pack.dat");
    const std::string index = ReadFile(folder_ / "index.bin");
    // A new file for every cut: rewriting one waits for the disk on some
    // file systems.
    for (size_t length = 0; length < pack.size(); ++length) {
        const std::string name = "cut" + std::to_string(length) + ".dat";
        WriteFile(folder_ / name, pack.substr(0, length));
        ProgramResult result = Run({"--list", name});
        EXPECT_EQ(65, result.status) << "cut at " << length;
        EXPECT_EQ(0u, result.err.rfind("vorlcnv: " + name + ": ", 0)) << result.err;
        EXPECT_EQ(1, std::count(result.err.begin(), result.err.end(), '\n')) << result.err;
        EXPECT_EQ("", result.out);
    }
    for (size_t length = 0; length < index.size(); ++length) {
        const std::string name = "cut" + std::to_string(length) + ".idx";
        WriteFile(folder_ / name, index.substr(0, length));
        ProgramResult result = Run({"--list", "data.bin", "--header", name});
        EXPECT_EQ(65, result.status) << "cut at " << length;
        EXPECT_EQ(0u, result.err.rfind("vorlcnv: " + name + ": ", 0)) << result.err;
    }
    struct Case {
        std::string bytes;
        std::vector<std::string> arguments;
        std::string message;
    };
    auto bent = [](std::string bytes, size_t at, int value) {
        bytes[at] = static_cast<char>(value);
        return bytes;
    };
    const Case cases[] = {
        {bent(pack, 7, 0x80),
         {"--list", "bent"},
         "vorlcnv: bent: not a pack: format word 0x8010 has bits no pack uses\n"},
        {bent(pack, 4, 0x60),
         {"--list", "bent"},
         "vorlcnv: bent: ends before its index does (cut short, or not a pack)\n"},
        {bent(pack, 4, 0x00), {"--list", "bent"}, "vorlcnv: bent: not a pack: its index has no rows\n"},
        {bent(pack, 8, 0x40),
         {"--list", "bent"},
         "vorlcnv: bent: the index does not fit this data (a row points past "
         "its end): cut short, or not a pack\n"},
        {index,
         {"--list", "bent"},
         "vorlcnv: bent: a separate index, not a data file: give it with --header, after its "
         "data file\n"},
        {pack,
         {"--list", "data.bin", "--header", "bent"},
         "vorlcnv: bent: not a separate index: its index is in front "
         "of its own data\n"},
        {index + "x",
         {"--list", "data.bin", "--header", "bent"},
         "vorlcnv: bent: 1 byte follows its index (not a "
         "separate index?)\n"},
        {"AAAAABB",
         {"--list", "bent", "--header", "index.bin"},
         "vorlcnv: bent: the index does not fit this data (its "
         "size is not a whole number of units): cut short, or "
         "the data of another index\n"},
        {"", {"--extract", "0", "bent"}, "vorlcnv: bent: ends before its index does (cut short, or not a pack)\n"},
    };
    for (const Case &c : cases) {
        fs::remove(folder_ / "bent");
        WriteFile(folder_ / "bent", c.bytes);
        ProgramResult result = Run(c.arguments);
        EXPECT_EQ(65, result.status) << c.message;
        EXPECT_EQ(c.message, result.err);
        EXPECT_EQ("", result.out);
    }
    // The id is the project's choice: another one is listed, not refused.
    WriteFile(folder_ / "other.dat", "Game" + pack.substr(4));
    ProgramResult result = Run({"--list", "other.dat"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_NE(std::string::npos, result.out.find(", id \"Game\"\n")) << result.out;
}

TEST_F(PackInspection, WrongArgumentsFilesAndOutputs)
{
    Pack({"-p0", "-opack.dat"});
    ASSERT_FALSE(HasFatalFailure());
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"--list"}, 64, "vorlcnv: --list needs a data file\nTry 'vorlcnv --help'.\n"},
        {{"--list", "pack.dat", "more"}, 64, "vorlcnv: unexpected argument 'more'\nTry 'vorlcnv --help'.\n"},
        {{"--list", "pack.dat", "--header"}, 64, "vorlcnv: option '--header' needs a value\nTry 'vorlcnv --help'.\n"},
        {{"--list", "--header=x", "pack.dat"},
         64,
         "vorlcnv: unknown option '--header=x' for --list\nTry 'vorlcnv --help'.\n"},
        {{"--list", "pack.dat", "--output", "x"},
         64,
         "vorlcnv: unknown option '--output' for --list\nTry 'vorlcnv --help'.\n"},
        {{"--list", "--header", "a", "--header", "b", "pack.dat"},
         64,
         "vorlcnv: option '--header' is given twice\nTry 'vorlcnv --help'.\n"},
        {{"--extract", "pack.dat"},
         64,
         "vorlcnv: --extract needs a row number and a data file\nTry 'vorlcnv --help'.\n"},
        {{"--extract", "-1", "pack.dat"}, 64, "vorlcnv: unknown option '-1' for --extract\nTry 'vorlcnv --help'.\n"},
        {{"--extract", "1x", "pack.dat"}, 64, "vorlcnv: '1x' is not a row number\nTry 'vorlcnv --help'.\n"},
        {{"--extract", "0", "pack.dat", "--json"},
         64,
         "vorlcnv: unknown option '--json' for --extract\nTry 'vorlcnv --help'.\n"},
        {{"--list", "none.dat"}, 66, "vorlcnv: none.dat: cannot open: No such file or directory\n"},
        {{"--list", "work"}, 66, "vorlcnv: work: is a folder, not a file\n"},
        {{"--extract", "0", "pack.dat", "--output", "/dev/full"},
         74,
         "vorlcnv: write error on /dev/full: No space left on device\n"},
        {{"--extract", "0", "pack.dat", "--output", "none/x"},
         73,
         "vorlcnv: none/x: cannot create: No such file or directory\n"},
    };
    for (const Case &c : cases) {
        ProgramResult result = Run(c.arguments);
        EXPECT_EQ(c.status, result.status) << c.message;
        EXPECT_EQ(c.message, result.err);
        EXPECT_EQ("", result.out);
    }
    const std::string program = VORLCNV_PROGRAM;
    for (const char *command : {" --list pack.dat", " --extract 0 pack.dat"}) {
        ProgramResult result =
            RunProgram("/bin/sh", {"-c", "exec '" + program + "'" + command + " >/dev/full"}, folder_.Path());
        EXPECT_EQ(74, result.status) << command;
        EXPECT_EQ("vorlcnv: write error on standard output: No space left on device\n", result.err);
    }
}

}  // namespace
}  // namespace vorl::test
