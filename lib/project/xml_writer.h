// The XML project writer: the block's settings and its used rows, line by
// line in the fixed layout that the reader loads.
#pragma once

#include <optional>
#include <string>

#include "vorl_cnv.h"

namespace vorl {

// The whole document; nothing when the block breaks its invariants (an
// output or path mode without a keyword, a row count outside 0 to 9999, or
// rows without a table).
std::optional<std::string> BuildXmlProject(const VorlInformation &info);

// Writes the document to `prjfile`, replacing the previous file only once
// the new one is complete. 0, -1 when it cannot be written (the previous
// file is then unchanged), -6 for a block that cannot be written.
int WriteXmlProject(const VorlInformation &info);

}  // namespace vorl
