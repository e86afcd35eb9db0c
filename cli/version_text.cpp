#include "version_text.h"

#include <cstdio>

#include "exit_status.h"
#include "library_version.h"
#include "vorl_cnv.h"

namespace vorlcnv {

int PrintVersion()
{
    int version = VorlGetDllVersion();
    vorl::common::LibraryVersion parts = vorl::common::DecodeLibraryVersion(version);
    int format = VorlGetPrjVersion();
    char text[128];
    std::snprintf(text, sizeof text,
                  "vorlcnv (VORL Maker for Linux) %s\nlibrary version %u.%u.%u (0x%X), project format %d.%02d\n",
                  VORL_PACKAGE_VERSION, parts.major, parts.minor, parts.build, static_cast<unsigned>(version),
                  format / 100, format % 100);
    return PrintOnStandardOutput(text);
}

}  // namespace vorlcnv
