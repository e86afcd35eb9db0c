#include "exit_status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vorlcnv {

int UsageError(const std::string &why)
{
    std::fprintf(stderr, "vorlcnv: %s\nTry 'vorlcnv --help'.\n", why.c_str());
    return kUsageError;
}

int FinishStandardOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int error = errno;
        std::fprintf(stderr, "vorlcnv: write error on standard output: %s\n", std::strerror(error));
        return kIoError;
    }
    return 0;
}

int PrintOnStandardOutput(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    return FinishStandardOutput();
}

}  // namespace vorlcnv
