// The legacy text project reader: a valid version line is put in front
// half of the time, so the header groups and records are reached.
#include <cstring>

#include "fuzz_support.h"
#include "legacy_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &folder = vorl::fuzz::PrivateFolder();
    std::string path = folder + "/old.prj";
    std::string content;
    if (size > 0 && (data[0] & 1)) {
        content = "\"VORL ProjectFile Ver " + std::string(data[0] & 2 ? "4.00" : "3.15") + "\"\r\n";
        data += 1;
        size -= 1;
    }
    content.append(reinterpret_cast<const char *>(data), size);
    vorl::fuzz::WriteFile(path, reinterpret_cast<const uint8_t *>(content.data()), content.size());
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.prjfile, path.c_str(), path.size() + 1);
    std::memcpy(info.prjdir, "C:\\prj\\", 8);
    if (vorl::ReadLegacyHeader(info) == 0) {
        vorl::ReadLegacyEntries(info);
    }
    VorlReleaseInformation(&info);
    return 0;
}
