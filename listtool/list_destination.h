// Where the list file goes, decided before anything is written: the name
// with every symbolic link followed, what stands there now, and whether
// the list may take its place.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "folder_scan.h"

namespace vorllist {

struct ResolvedName {
    enum class Outcome {
        Resolved,       // `path` is the name, absolute, with every link followed
        Unresolvable,   // a folder on the way is missing or no folder, or links loop
        ProtectedLink,  // `path` is a link in a shared folder that is not followed
    };
    Outcome outcome = Outcome::Unresolvable;
    std::string path;  // the last part of a resolved name may not exist yet
};

// Follows a name one part at a time as the kernel does, so that "..",
// links to folders and links to links all lead where opening the name
// would. With `guardSharedFolders`, a link in a sticky world-writable
// folder is followed only when it belongs to the caller or to the folder's
// owner: anyone may plant a link there, and a list written through it
// would land wherever that user wished.
ResolvedName ResolveName(const std::string &name, bool guardSharedFolders);

struct Destination {
    enum class Kind {
        Absent,   // nothing has the name: a new file takes it
        Regular,  // a file, replaced by a rename of the complete list
        Stream,   // a device, a pipe or a socket: written into where it stands
    };
    Kind kind = Kind::Absent;
    std::string given;     // the name as given; a stream is opened by it
    std::string path;      // the resolved name, where a file is renamed to
    struct stat found {};  // what stands there now, unless absent
};

struct DestinationResult {
    enum class Problem {
        None,
        Unwritable,     // no list can go there (a folder, a missing folder, a loop)
        ProtectedLink,  // `name` is a link in a shared folder that is not followed
        ForeignFile,    // `name` belongs to another user in a shared folder
    };
    Problem problem = Problem::None;
    std::string name;
    Destination destination;
};

DestinationResult FindDestination(const std::string &name);

// The found file that the destination is (the same file through any name,
// or the same resolved name when the destination does not exist yet), or
// nothing.
const FoundFile *SameFileAs(const Destination &destination, const std::vector<FoundFile> &files);

}  // namespace vorllist
