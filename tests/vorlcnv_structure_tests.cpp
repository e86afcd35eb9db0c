// vorlcnv reaches the library through its public header alone: the
// program carries none of the library's code and loads the shared library
// by its soname.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>

namespace {

// The standard output of a shell command, or nothing when it failed.
bool Output(const std::string &command, std::string &out)
{
    std::FILE *pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return false;
    }
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, got);
    }
    return ::pclose(pipe) == 0;
}

// The header-only helpers of common/ are the program's own copy by design.
bool IsCommonHelper(const std::string &line)
{
    return line.find("vorl::common::") != std::string::npos || line.find("vorl::options::") != std::string::npos;
}

}  // namespace

TEST(VorlcnvStructure, CarriesNoCodeOfTheLibrary)
{
    std::string symbols;
    if (!Output("nm -C --defined-only '" VORLCNV_PROGRAM "'", symbols)) {
        GTEST_SKIP() << "nm cannot read the program";
    }
    std::istringstream lines(symbols);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("vorl::") != std::string::npos) {
            EXPECT_TRUE(IsCommonHelper(line)) << line;
        }
    }
}

TEST(VorlcnvStructure, LoadsTheSharedLibraryBySoname)
{
    std::string dynamic;
    if (!Output("readelf -d '" VORLCNV_PROGRAM "'", dynamic)) {
        GTEST_SKIP() << "readelf cannot read the program";
    }
    EXPECT_NE(std::string::npos, dynamic.find("(NEEDED)             Shared library: [libvorl_cnv.so.2]")) << dynamic;
}
