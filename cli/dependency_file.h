// A Make-syntax dependency file, as a compiler writes one with -MD -MP: the
// outputs depend on every file the conversion read, and every one of those
// has an empty rule of its own, so that a deleted input makes the next
// build run the conversion again instead of stopping make.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "vorl_cnv.h"

namespace vorlcnv {

// Gathers the names the library reports as read, each once, in order.
class ReadFiles {
public:
    // For VorlConvertOptions::fileread, with this object as its context.
    static void Note(void *context, const char *libraryPath, int32_t kind);
    const std::vector<std::string> &Names() const { return names_; }
    void Add(const std::string &utf8Name);

private:
    std::vector<std::string> names_;        // in the order they were read
    std::unordered_set<std::string> seen_;  // the same, to find one at once
};

// Where a name stands in the file: Make reads '%' in a target as a pattern
// (so the empty rule of a prerequisite would become a pattern rule), but
// keeps a backslash before '%' in a prerequisite as part of the name.
enum class MakePlace { Target, Prerequisite };

// A name as Make and Ninja read it: blanks, '#', ':' and, in a target, '%'
// escaped with the backslashes before them doubled; '$' doubled.
std::string EscapeForMake(const std::string &name, MakePlace place);

// The text of the file: the targets depend on the prerequisites, and each
// prerequisite has an empty rule of its own.
std::string DependencyText(const std::vector<std::string> &targets, const std::vector<std::string> &prerequisites);

// Writes the text into `stagedPath` (CP932), a new file in the working
// directory that the conversion then puts in place with its own outputs.
bool WriteStagedDependencyFile(const char *stagedPath, const std::vector<std::string> &targets,
                               const std::vector<std::string> &prerequisites);

// Writes the file through the library's door for outputs (a private file
// beside it, then a rename), so a build never reads half of one and no
// file the run read is replaced. 0, or the library's code with `report`
// saying why.
int WriteDependencyFile(const std::string &path, const std::vector<std::string> &targets,
                        const std::vector<std::string> &prerequisites, VorlFailureReport &report);

}  // namespace vorlcnv
