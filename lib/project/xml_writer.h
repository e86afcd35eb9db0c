// The XML project writer: the block's settings and its used rows, line by
// line in the fixed layout that the reader loads.
#pragma once

#include <optional>
#include <string>

#include "vorl_cnv.h"

namespace vorl {

// The whole document; nothing when the block breaks its invariants (an
// output or path mode without a keyword, a row count outside 0 to 9999, or
// rows without a table: `refusal` -6), or when a text of the block or of a
// used row would not read back as the same bytes (a control byte, bytes
// that are no CP932 character, a duplicate code; xml_text.h: `refusal` -1).
// A text is never written shortened or empty in place of what it holds.
//
// The header id is four bytes, not a text: one that reads back from its
// text (characters up to its first zero byte, only zero bytes after them)
// is written as that text; any other, `V\0rl`, four zero bytes or bytes
// without a character among them, as `<headerid hex='5600726C' />`, the
// four bytes in hexadecimal, which the reader takes before any text.
std::optional<std::string> BuildXmlProject(const VorlInformation &info, int *refusal = nullptr);

// Writes the document to `prjfile`, replacing the previous file only once
// the new one is complete. 0, -1 when it cannot be written or a text has no
// form that reads back as it is (the previous file is then unchanged), -6
// for a block that cannot be written.
int WriteXmlProject(const VorlInformation &info);

}  // namespace vorl
