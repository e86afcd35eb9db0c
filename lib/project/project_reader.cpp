#include "project_reader.h"

#include "legacy_reader.h"
#include "xml_reader.h"

namespace vorl {

int ReadProjectFile(VorlInformation &info)
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

}  // namespace vorl
