// The XML project reader: the document is fed to Expat in blocks of 2048
// bytes and the block is filled from the element callbacks.
#pragma once

#include "vorl_cnv.h"

namespace vorl {

// Texts are stored in CP932 only as they are: a label, type, converter,
// remark or header id with a character that has no CP932 form fails the
// read (-21) instead of being stored without it; an entry's file name with
// such a character is stored as a name that can never be found, so the
// entry is one whose file is missing. A remark longer than its field is
// cut on a character boundary. The header id is the `hex` attribute's four
// bytes (eight hexadecimal digits) when there is one; else the whole
// characters of the text that fit in four bytes, padded with zero bytes
// ("abc表" gives "abc\0"); an empty element gives the default id
// (default_header_id.h).
//
// Reads `prjfile` into the block. Settings the document leaves out keep
// what the block held. 0 or -1 (also for a file longer than any project),
// -2, -3, -4, -5, -7, -10 (before any row is stored), -21, -22.
int ReadXmlProject(VorlInformation &info);

}  // namespace vorl
