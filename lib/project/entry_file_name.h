// Storing an entry's file name as a project reader loads it.
#pragma once

#include <string>
#include <string_view>

#include "vorl_cnv.h"

namespace vorl {

// A reference ("*N") is stored as it is; any other name is resolved
// against `prjdir` when that is set. A name (or resolved name) that does
// not fit the field is refused with false: the field keeps what it held,
// since a cut path would name another file, and the reader says so rather
// than let the entry pass as one without a file.
bool StoreEntryFileName(IndexEntry &entry, std::string_view name, std::string_view prjdir);

// The name, resolved, that StoreEntryFileName last refused on this thread,
// so that a failed read can say which it was; empty when none was. Taking
// it forgets it.
std::string TakeRefusedEntryName();

}  // namespace vorl
