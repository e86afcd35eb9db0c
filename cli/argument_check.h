// Checking vorlcnv's arguments before anything runs: every option the
// library knows, with the value it would keep as given; vorlcnv's own
// switches; and the entries, with "--" ending the options.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorlcnv {

enum class ItemKind {
    Option,    // an option of the library's command line, passed on as it is
    ListFile,  // "-fFILE": `text` is FILE
    Entry,     // an entry: NAME[,CONVERTER[,ALIAS]], "**N", or "" (unused)
};

struct LineItem {
    ItemKind kind;
    std::string text;  // UTF-8, as the user wrote it (without "-f" for a list)
    // An entry that the library's command line would read as an option or
    // cannot carry (it begins with "-" or holds a double quote): it goes to
    // the library through a list file, where every line is an entry.
    bool needsList = false;
};

// vorlcnv's own switches, the same in both modes. Long ones take their
// value as the next argument.
struct SharedSwitches {
    bool quiet = false;   // -q / --quiet
    bool verify = false;  // --verify: compare with the outputs, write nothing
    std::string depfile;  // --depfile FILE, or empty
    int jobs = -1;        // -jN / --jobs N; -1 when not given
    std::string cache;    // --cache DIR, or empty
    // --depfile-target NAME, each time given: the dependency file's
    // targets in place of the outputs (a build's stamp file).
    std::vector<std::string> depfileTargets;
    std::string workdir;  // --workdir DIR: where the working directory is made
    bool hasWorkdir = false;
    std::string directory;  // --directory DIR: the folder to run in, or empty
};

// Why switches both modes share cannot be used together, or empty.
std::string CheckSharedSwitches(const SharedSwitches &shared);

struct CheckedLine {
    std::vector<LineItem> items;
    SharedSwitches shared;
    bool help = false;
    bool version = false;
    std::string error;  // why the arguments are refused (UTF-8); empty when they are not
};

CheckedLine CheckLineArguments(const std::vector<std::string> &arguments);

// A text as a one-line message shows it: line ends, tabs and the other
// control characters as escapes (\n, \r, \t, \xNN), so that no name can
// break the message's line or hide in it.
std::string EscapedForMessage(std::string_view text);

// Why an entry NAME[,CONVERTER[,ALIAS]], from an argument or a list line,
// cannot be packed as written, or empty: its numbers must be kept exactly,
// and its converter must name a slot the command line sets. The converter
// alone is checked by CheckConverterField.
std::string CheckEntry(std::string_view entry);
std::string CheckConverterField(std::string_view entry);

// Project mode: --project FILE --data NAME [--header NAME] [--workdir DIR],
// each value separate or after "=".
struct ProjectArguments {
    std::string project, data, header;
    bool hasHeader = false;
    SharedSwitches shared;
    std::string error;
};

// The number of converters to run at once: the option, else VORL_JOBS, else
// one; 0 asks for one per core. -1 with `error` set for a value that is no
// number.
int ChooseJobs(int option, std::string &error);

// Where converter results are kept: the option, else VORL_CACHE_DIR, else
// nowhere (empty). The size limit comes from VORL_CACHE_MAX: bytes, or a
// number followed by K, M or G (binary units); 0 when unset, which the
// library reads as 1 GiB. False with `error` set for a limit that is no
// such number.
struct CacheChoice {
    std::string folder;
    uint64_t limit = 0;
};
bool ChooseCache(const std::string &option, CacheChoice &choice, std::string &error);
// A size as VORL_CACHE_MAX takes it; nothing for other text.
std::optional<uint64_t> ParseByteSize(std::string_view text);

bool IsProjectModeOption(const std::string &argument);
// True when the arguments convert a project rather than describe a line.
bool ChoosesProjectMode(const std::vector<std::string> &arguments);
ProjectArguments CheckProjectArguments(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
