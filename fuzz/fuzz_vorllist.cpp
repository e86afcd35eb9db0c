// VorlList with arbitrary arguments over a folder of arbitrarily named
// files. The input is split at line feeds: the first lines name files to
// make, a line "--" ends them, the rest are the arguments.
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "vorllist_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool prepared = [] {
        vorl::fuzz::PrivateFolder();
        mkdir("scan", 0700);
        // The console text of every run goes nowhere.
        return freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)prepared;
    if (!vorl::fuzz::StaysInside(data, size) || size > 2000) {
        return 0;
    }
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n') {
            lines.push_back(current);
            current.clear();
        } else if (data[i] != '\0') {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    lines.push_back(current);
    vorl::fuzz::RemoveAllBut("scan");
    std::vector<std::string> arguments;
    bool names = true;
    for (const std::string &line : lines) {
        if (names && line == "--") {
            names = false;
        } else if (names && !line.empty() && line != "." && line != "..") {
            FILE *file = fopen(("scan/" + line).c_str(), "wb");
            if (file != nullptr) {
                fclose(file);
            }
        } else if (!names) {
            arguments.push_back(line);
        }
    }
    // Patterns are looked for in the scan folder; outputs land beside it.
    for (std::string &argument : arguments) {
        if (!argument.empty() && argument[0] != '-') {
            argument = "scan/" + argument;
        }
    }
    vorllist::Run(arguments);
    return 0;
}
