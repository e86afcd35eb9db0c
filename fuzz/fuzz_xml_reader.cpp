// The XML project reader on arbitrary documents (the legacy reader first,
// as VorlGetProjectFile does, so both recognitions run).
#include <cstring>

#include "fuzz_support.h"
#include "xml_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &folder = vorl::fuzz::PrivateFolder();
    std::string path = folder + "/project.vorlprj";
    vorl::fuzz::WriteFile(path, data, size);
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
    std::memcpy(info.prjdir, "/base/", 7);
    vorl::ReadXmlProject(info);
    VorlReleaseInformation(&info);
    return 0;
}
