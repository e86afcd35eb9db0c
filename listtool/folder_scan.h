// Finding the numbered files: a folder's matching files in name order,
// then (with sub-folders) each sub-folder's, depth first.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vorllist {

struct FoundFile {
    std::string folder;  // the search folder, ending in a separator
    std::string name;    // the name without folder
    // What the name leads to when the scan looked at it, so that the list
    // is never written over a file it names. A link that leads nowhere
    // has no identity.
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
};

struct ScanResult {
    std::vector<FoundFile> files;
    std::string tooLong;     // a folder path past the length limit, or empty
    std::string unreadable;  // a folder that exists but could not be read, or empty
    int error = 0;           // why `unreadable` could not be read
    // A folder reached again below itself through a symbolic link (or
    // past the kernel's limit of links in one name), and the folder it
    // leads back to when that is known; the tree would have no end.
    std::string loop;
    std::string loopsTo;
};

ScanResult ScanFolder(const std::string &folder, const std::string &pattern, bool subFolders);

}  // namespace vorllist
