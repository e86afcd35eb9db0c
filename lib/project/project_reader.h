// Loading a project file of either format into a block.
#pragma once

#include <cstdint>

#include "vorl_cnv.h"

namespace vorl {

// The longest project file either reader takes. The largest project there
// is, 9,999 entries whose names and remarks fill their fields with
// characters the XML writer escapes six bytes to one, is about 33 MB of
// XML; a legacy project is read as 80,000 lines of at most 510 characters,
// about 41 MB. A longer file holds no project, and reading it to its end
// would only cost memory and time.
constexpr int64_t kProjectFileByteLimit = int64_t{64} << 20;

// The legacy reader first; a file that is not a legacy project goes to the
// XML reader. A table this function made for the block on an earlier read
// is grown to the rows the new project needs; any other table in
// `entries` is the caller's, which must have room for them.
int ReadProjectFile(VorlInformation &info);

// Puts the caller's own table into the block, for the reading and
// writing exports that take one: a read then never grows it (it is the
// caller's to size), and VorlReleaseInformation leaves it to the caller.
void UseCallersTable(VorlInformation &info, IndexEntry *table);

// Whether the block's table is the one UseCallersTable put there.
bool HoldsCallersTable(const VorlInformation &info);

// Forgets what was known of the block's table: the block is being
// released.
void ForgetTable(const VorlInformation &info);

}  // namespace vorl
