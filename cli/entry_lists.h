// Handing entries to the library through list files of vorlcnv's own: the
// library's command line has its limits (command_line_options.h), while a
// list holds any number of entries, and in a list every line is an entry,
// even one that begins with "-". A list file written by hand in UTF-8 gets
// a CP932 copy, the only encoding the library reads, as does a list that is
// no regular file (a pipe), which can be read only once.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "argument_check.h"

namespace vorlcnv {

// Where the entries of a list the library reads came from.
struct ListSource {
    std::string libraryName;           // the list as named on the library's line (CP932)
    std::string userList;              // the user's list it copies (UTF-8), or empty
    std::vector<std::string> entries;  // the arguments it holds, one per line, when it is ours
};

// A private folder for the lists, removed with them when this goes.
class TemporaryLists {
public:
    // `base`: the folder to make it in (--workdir), or empty for the one
    // the library makes its working directory in.
    explicit TemporaryLists(std::string base = {}) : base_(std::move(base)) {}
    ~TemporaryLists();
    TemporaryLists(const TemporaryLists &) = delete;
    TemporaryLists &operator=(const TemporaryLists &) = delete;

    // Writes `content` (CP932) as a new list; its CP932 name, or nothing
    // when it cannot be made.
    std::optional<std::string> Write(const std::string &content);
    // Why the last Write failed.
    const std::string &Problem() const { return problem_; }

private:
    std::string base_;
    std::string folder_;  // native, empty until the first list
    std::vector<std::string> files_;
    std::string problem_;
};

struct LibraryLine {
    std::string line;                // CP932, for the library
    std::vector<ListSource> lists;   // every list the line names
    std::string error;               // why the line cannot be made (UTF-8), or empty
    bool tooLong = false;            // the line exceeds the library's limits
    bool listNotWritten = false;     // a temporary list could not be written
    bool listTooLarge = false;       // a list file is far larger than any list
    bool listNotText = false;        // a list file is in an encoding no list is in (UTF-16)
    std::vector<std::string> notes;  // what standard error should hear of the lists read (UTF-8)
};

// Builds the library's line from checked items. Runs of entries go into
// lists of their own when the whole line would not fit the library's
// limits, or when one of them cannot travel on the line.
LibraryLine BuildLibraryLine(const std::vector<LineItem> &items, TemporaryLists &lists);

}  // namespace vorlcnv
