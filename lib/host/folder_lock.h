// Runs that write the same outputs take turns at putting them in place:
// without a turn, two runs that each replace a data file and its header
// can end with the data of one and the header of the other.
#pragma once

#include <string>
#include <vector>

namespace vorl::host {

// Holds an exclusive lock on each folder that will receive an output, for
// as long as it lives. The folders are locked in one order (by device and
// inode), so two runs never wait for each other in a circle. A folder that
// cannot be locked (a file system without locks) is simply not waited for.
class OutputFolderLocks {
public:
    // `outputs` are library paths; their folders are locked.
    explicit OutputFolderLocks(const std::vector<std::string> &outputs);
    ~OutputFolderLocks();
    OutputFolderLocks(const OutputFolderLocks &) = delete;
    OutputFolderLocks &operator=(const OutputFolderLocks &) = delete;

private:
    std::vector<int> descriptors_;
};

}  // namespace vorl::host
