// Puts the list at its destination. A file is replaced only by a complete
// list: the list is staged beside it and renamed into place, so that a
// failure (a full disk, a signal) leaves the previous list as it was and
// nothing else behind. A device or a pipe is written into where it stands.
#pragma once

#include <string>

#include "list_destination.h"

namespace vorllist {

bool WriteList(const Destination &destination, const std::string &content);

}  // namespace vorllist
