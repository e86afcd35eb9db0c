// Finding the numbered files: a folder's matching files in name order,
// then (with sub-folders) each sub-folder's, depth first.
#pragma once

#include <string>
#include <vector>

namespace vorllist {

struct FoundFile {
    std::string folder;  // the search folder, ending in a separator
    std::string name;    // the name without folder
};

struct ScanResult {
    std::vector<FoundFile> files;
    std::string tooLong;  // a folder path past the length limit, or empty
};

ScanResult ScanFolder(const std::string &folder, const std::string &pattern, bool subFolders);

}  // namespace vorllist
