#include "exit_status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "locale_charset.h"

namespace vorlcnv {

void SayOnStandardError(std::string_view utf8)
{
    std::string text = vorl::common::InLocaleCharset(utf8);
    std::fwrite(text.data(), 1, text.size(), stderr);
}

int UsageError(const std::string &why)
{
    SayOnStandardError("vorlcnv: " + why + "\nTry 'vorlcnv --help'.\n");
    return kUsageError;
}

int FinishStandardOutput()
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int error = errno;
        SayOnStandardError(std::string("vorlcnv: write error on standard output: ") + std::strerror(error) + "\n");
        return kIoError;
    }
    return 0;
}

int PrintOnStandardOutput(std::string_view text)
{
    return PrintBytesOnStandardOutput(vorl::common::InLocaleCharset(text));
}

int PrintBytesOnStandardOutput(std::string_view bytes)
{
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    return FinishStandardOutput();
}

}  // namespace vorlcnv
