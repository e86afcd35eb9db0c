// Shared helpers of the tests: a private folder per test, whole-file reads
// and writes, and a block with the settings most tests start from.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vorl_cnv.h"

namespace vorl::test {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path &path);
void WriteFile(const fs::path &path, const std::string &bytes);
std::string Bytes(std::initializer_list<int> values);
std::string Hex(const std::string &bytes);
// The library's message of a code, for failure output.
std::string MessageOf(int code);

// Everything under a folder, one text per name: a file's bytes (a file of
// a megabyte or more by its size alone), mode, owner, inode and time of
// change; a link's text and owner; a folder's mode. Equal snapshots mean
// nothing was written, replaced, made or removed.
std::map<std::string, std::string> Snapshot(const fs::path &folder);
// What differs between two snapshots, one name a line; empty when nothing
// does, so that a failure shows only the names concerned.
std::string Differences(const std::map<std::string, std::string> &before,
                        const std::map<std::string, std::string> &after);

// A program run to its end: its exit status (as the signed byte the
// program returned, so -1 reads as -1), standard output and error.
struct ProgramResult {
    int status;
    std::string out;
    std::string err;
};
ProgramResult RunProgram(const std::string &program, const std::vector<std::string> &arguments,
                         const fs::path &workingFolder,
                         const std::vector<std::pair<std::string, std::string>> &environment = {});

// A fresh folder under the system's temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const fs::path &Path() const { return path_; }
    fs::path operator/(const std::string &name) const { return path_ / name; }

private:
    fs::path path_;
};

// The arguments that run `program` (and the libraries beside it) as the
// user 65534 when the tests run as root, so that file permissions bite;
// `program` and its arguments as they are otherwise. The build folder may
// lie where that user cannot reach (a clone in a private folder), so the
// program is run from a copy in a folder everyone may read. Nothing when
// root has no setpriv to change users with.
std::optional<std::vector<std::string>> AsOtherUser(const std::string &program, std::vector<std::string> arguments);

// A test that works in a folder of its own as the current folder: relative
// names on a command line are found from there, and tests running side by
// side never share a staging file.
class InOwnFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    fs::path previous_;
    TempFolder folder_;
};

// The cases are written in UTF-8 to be read; the library takes CP932.
std::string Sjis(const std::string &utf8);

// A zero-filled block owning a table of `rows` rows, with the settings of
// a plain project: 4-byte index in the data file, running offsets, no
// alias, alignment 1, interval 1, version 400, id "Vorl".
class Block {
public:
    explicit Block(int rows = 1);
    VorlInformation *operator->() { return &info_; }
    VorlInformation &Info() { return info_; }
    IndexEntry &Row(int row) { return table_[static_cast<size_t>(row)]; }
    void UseFile(int row, const std::string &name, uint32_t filesize = 0);
    void SetText(char *field, size_t size, const std::string &text);
    void SetData(const fs::path &path);
    void SetHeader(const fs::path &path);
    void SetConverter(int slot, const std::string &commandTemplate);
    int Convert();

private:
    VorlInformation info_{};
    std::vector<IndexEntry> table_;
};

}  // namespace vorl::test

namespace vorl::test {
// Compares return codes and names the message of the code that came back.
::testing::AssertionResult CodeIs(const char *expectedText, const char *actualText, int expected, int actual);
}  // namespace vorl::test

#define EXPECT_CODE(expected, actual) EXPECT_PRED_FORMAT2(vorl::test::CodeIs, expected, actual)
#define ASSERT_CODE(expected, actual) ASSERT_PRED_FORMAT2(vorl::test::CodeIs, expected, actual)
