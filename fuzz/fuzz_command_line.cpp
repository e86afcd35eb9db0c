// The command-line conversion on arbitrary strings: splitting, options,
// entries, references and the conversion itself, with every file it would
// touch inside the private folder (inputs naming other folders are
// skipped).
#include <csignal>
#include <string>

#include <sys/resource.h>

#include "fuzz_support.h"
#include "vorl_cnv.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool prepared = [] {
        vorl::fuzz::PrivateFolder();
        const uint8_t bytes[] = "0123456789abcdef";
        vorl::fuzz::WriteFile("a", bytes, 16);
        vorl::fuzz::WriteFile("b.bin", bytes, 5);
        vorl::fuzz::WriteFile("list.lst", reinterpret_cast<const uint8_t *>("a\r\n\r\nb.bin,,7\r\n**0\r\n"), 20);
        // Fixed sizes and alignments can ask for gigabytes of padding;
        // files stop growing at 1 MiB instead, which runs the write
        // failure paths too.
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1 << 20, 1 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        return true;
    }();
    (void)prepared;
    if (!vorl::fuzz::StaysInside(data, size) || size > 5000) {
        return 0;
    }
    std::string line(reinterpret_cast<const char *>(data), size);
    VorlConvertCommandLine(line.c_str());
    vorl::fuzz::RemoveAllBut(".", {"a", "b.bin", "list.lst"});
    return 0;
}
