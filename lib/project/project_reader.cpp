#include "project_reader.h"

#include <cstdlib>

#include "legacy_reader.h"
#include "xml_reader.h"

namespace vorl {

namespace {

int ReadEitherFormat(VorlInformation &info)
{
    int rc = ReadLegacyHeader(info);
    if (rc == VORL_OK) {
        return ReadLegacyEntries(info);
    }
    if (rc == VORL_ERR_NOT_A_PROJECT) {
        return ReadXmlProject(info);
    }
    return rc;
}

}  // namespace

int ReadProjectFile(VorlInformation &info)
{
    // A file that cannot be read to its end leaves the block as it was: a
    // shortened project must never pass for the whole one (and be saved
    // over it).
    const VorlInformation before = info;
    int rc = ReadEitherFormat(info);
    if (rc == VORL_ERR_PRJ_NOT_FOUND) {
        if (info.entries != before.entries) {
            std::free(info.entries);  // the table this read made
        }
        info = before;
    }
    return rc;
}

}  // namespace vorl
