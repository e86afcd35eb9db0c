// Names seen from the folder vorlcnv runs in.
#pragma once

#include <string>

namespace vorlcnv {

// A relative name with the current folder before it; an absolute one as
// it is (also when the current folder cannot be told).
std::string FullPath(const std::string &name);

// An absolute name from the current folder when it lies in it or below,
// so that the user can open it from where they are; else as it is.
std::string FromCurrentFolder(const std::string &fullName);

// --directory: runs the rest of vorlcnv in `folder`, as if started there.
// 0, or kNoInput once the reason is on standard error.
int EnterFolder(const std::string &folder);

}  // namespace vorlcnv
