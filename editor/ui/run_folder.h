// The folder a conversion run keeps its own temporary files in: made for
// that run alone, so that none of them can take the place of a file or a
// link that someone else made.
#pragma once

#include <optional>
#include <string>

namespace vorlmake {

// Makes "vorlmake-XXXXXX" inside `folder` (a native path; "" is the
// current folder) with mkdtemp: a fresh name, made exclusively, mode 0700.
// Its path ends in "/"; nothing when it cannot be made.
std::optional<std::string> MakePrivateFolder(const std::string &folder);
// Removes the files in such a folder (links are removed, not followed;
// nothing below it is entered) and then the folder itself.
bool RemovePrivateFolder(const std::string &folder);

}  // namespace vorlmake
