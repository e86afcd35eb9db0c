// List files read by "-f": arbitrary lines as entry arguments, parsed and
// read back as entry records (the conversion itself is the command-line
// harness's surface).
#include <cstring>
#include <string>

#include "command_arguments.h"
#include "fuzz_support.h"
#include "legacy_reader.h"
#include "text_file.h"
#include "work_directory.h"

#include <sys/stat.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::string work = [] {
        const std::string &folder = vorl::fuzz::PrivateFolder();
        const uint8_t bytes[] = "0123456789abcdef";
        vorl::fuzz::WriteFile("a", bytes, 16);
        vorl::fuzz::WriteFile("b.bin", bytes, 5);
        mkdir("work", 0700);
        return folder + "/work/";
    }();
    if (!vorl::fuzz::StaysInside(data, size)) {
        return 0;
    }
    vorl::fuzz::WriteFile("fuzz.lst", data, size);
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.workdir, work.c_str(), work.size() + 1);
    if (vorl::ParseCommandArguments(info, {"-p2", "-s", "-e", "-a4", "-ffuzz.lst"}) == 0) {
        vorl::ReadLegacyEntries(info);
    }
    delete static_cast<vorl::host::TextReader *>(info.prjstream);
    std::free(info.entries);
    return 0;
}
