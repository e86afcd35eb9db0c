#include "pack_inspection.h"

#include <cstdio>

namespace vorlcnv {

int RunListCommand(const std::vector<std::string> &)
{
    std::fprintf(stderr, "vorlcnv: --list is not available yet\n");
    return 64;
}

int RunExtractCommand(const std::vector<std::string> &)
{
    std::fprintf(stderr, "vorlcnv: --extract is not available yet\n");
    return 64;
}

}  // namespace vorlcnv
