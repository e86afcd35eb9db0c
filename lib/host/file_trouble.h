// Why a file could not be used, found out after the failure so that a
// report can say more than the failure's code. Nothing here changes a
// file; a probe only looks.
#pragma once

#include <string_view>

namespace vorl::host {

enum class TroubleKind { Unknown, Missing, Folder, Unreadable, Empty, Unwritable, NoFolder, NotAFile };

struct FileTrouble {
    TroubleKind kind = TroubleKind::Unknown;
    int osError = 0;  // the system's error number behind it, 0 when none
};

// Why `path` cannot be read as an input with data. Only Missing (and Empty)
// mean that there is no input; every other kind is an input that exists
// and cannot be used.
FileTrouble WhyNotReadable(std::string_view path);
// Why `path` cannot be made or replaced as an output.
FileTrouble WhyNotWritable(std::string_view path);

}  // namespace vorl::host
