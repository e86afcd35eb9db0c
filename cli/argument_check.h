// Checking vorlcnv's arguments before anything runs: every option the
// library knows, with the value it would keep as given; vorlcnv's own
// switches; and the entries, with "--" ending the options.
#pragma once

#include <cstddef>
#include <string>
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

struct CheckedLine {
    std::vector<LineItem> items;
    bool quiet = false;
    bool help = false;
    bool version = false;
    bool verify = false;       // --verify: compare with the outputs, write nothing
    std::string depfile;       // --depfile FILE, or empty
    int jobs = -1;             // -jN / --jobs N; -1 when not given
    std::string error;  // why the arguments are refused (UTF-8); empty when they are not
};

CheckedLine CheckLineArguments(const std::vector<std::string> &arguments);

// Project mode: --project FILE --data NAME [--header NAME] [--workdir DIR],
// each value separate or after "=".
struct ProjectArguments {
    std::string project, data, header, workdir, depfile;
    bool hasHeader = false, hasWorkdir = false;
    bool quiet = false;
    bool verify = false;
    int jobs = -1;
    std::string error;
};

// The number of converters to run at once: the option, else VORL_JOBS, else
// one; 0 asks for one per core. -1 with `error` set for a value that is no
// number.
int ChooseJobs(int option, std::string &error);

bool IsProjectModeOption(const std::string &argument);
// True when the arguments convert a project rather than describe a line.
bool ChoosesProjectMode(const std::vector<std::string> &arguments);
ProjectArguments CheckProjectArguments(const std::vector<std::string> &arguments);

}  // namespace vorlcnv
