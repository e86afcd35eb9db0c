// Every file a run reads and every file it writes, known before it writes
// any. An output that is one of the inputs would be read back as half of
// itself; an output named twice would keep only one of its contents. Both
// are refused before anything is written, whatever links, hard links,
// "./" or "../" lie between the names.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"

namespace vorl::host {

// What tells a file from every other before and after it exists: an
// existing file by its device and inode, a name that leads to no file yet
// by the absolute name it resolves to (every link and ".." followed).
struct FileKey {
    std::optional<FileIdentity> identity;
    std::string resolved;         // native; empty when the name cannot be resolved
    bool writtenThrough = false;  // a device, pipe or socket: never replaced
    bool Matches(const FileKey &other) const;
};

FileKey KeyOfFile(std::string_view path);

struct PlanConflict {
    std::string output;  // as the run named it
    std::string other;   // the input, or the other output
    bool otherIsOutput = false;
    int outputIndex = -1;  // the output's position among the outputs
    int otherIndex = -1;   // the other's position among the inputs or the outputs
};

class OutputPlan {
public:
    // Returns the input's position, as a conflict reports it.
    int AddInput(std::string_view path);
    int AddOutput(std::string_view path);
    // The first output that is an input or an earlier output. Outputs that
    // are written through (/dev/null, a terminal, a pipe) replace nothing
    // and are never refused.
    std::optional<PlanConflict> FindConflict() const;

private:
    struct Planned {
        std::string path;
        FileKey key;
    };
    std::vector<Planned> inputs_;
    std::vector<Planned> outputs_;
};

}  // namespace vorl::host
