// The XML project reader on arbitrary documents (the legacy reader first,
// as VorlGetProjectFile does, so both recognitions run).
#include <cstring>

#include "fuzz_project_file.h"
#include "xml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    VorlInformation info = vorl::fuzz::ProjectBlockFor(data, size);
    vorl::ReadXmlProject(info);
    VorlReleaseInformation(&info);
    return 0;
}
