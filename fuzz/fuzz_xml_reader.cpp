// The XML project reader alone on arbitrary documents, read as the project
// file "project.vorlprj" in the harness's private folder with its entries
// resolved against "/base/". The legacy reader does not run first here, as
// it does in VorlGetProjectFile: every input reaches the XML reader, even
// one the legacy recognition would have taken. fuzz_project_table reads
// through the export, with both readers in turn.
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
