// A working directory says whether the run that made it still lives: the
// run holds a lock on a file inside it for as long as it lives, and the
// kernel lets the lock go when the process ends, however it ends (kill -9
// included). A later run can then tell an abandoned folder from a busy one.
#pragma once

#include <string>
#include <string_view>

namespace vorl::host {

// Puts a locked lock file into `folder` (a library path, made by this
// process just now); -1 when it cannot. The lock file appears under its
// name only once it is locked, so no other run ever sees it unlocked while
// this one lives. The descriptor stays open until ReleaseRunLock.
int TakeRunLock(std::string_view folder);
void ReleaseRunLock(int descriptor);

// True when `folder`, a folder of this user's own (not a link), holds a
// lock file that no living run holds: its run has ended. A folder without
// a lock file is never called abandoned.
// While it returns true the caller holds the lock in `descriptor`, to be
// released once the folder is gone.
bool IsAbandoned(std::string_view folder, int &descriptor);

}  // namespace vorl::host
