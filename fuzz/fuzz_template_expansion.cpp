// Converter template expansion, both forms, with names of any bytes.
#include <string>

#include "fuzz_support.h"
#include "template_expansion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string input(reinterpret_cast<const char *>(data), size);
    size_t first = input.find('\x01');
    size_t second = first == std::string::npos ? std::string::npos : input.find('\x01', first + 1);
    std::string pattern = input.substr(0, first);
    std::string in = first == std::string::npos ? "in" : input.substr(first + 1, second - first - 1);
    std::string out = second == std::string::npos ? "out" : input.substr(second + 1);
    for (size_t room : {size_t{0}, size_t{1}, size_t{7}, size_t{512}}) {
        std::string pasted = vorl::ExpandTemplate(pattern, {in, out}, room);
        std::string shell = vorl::ExpandTemplateForShell(pattern, {in, out}, room);
        if (room > 0 && pasted.size() >= room) {
            abort();  // the room rule keeps one byte for the NUL
        }
        (void)shell;
    }
    return 0;
}
