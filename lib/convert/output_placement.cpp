#include "output_placement.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "file_system.h"
#include "host_file.h"
#include "stream_copy.h"
#include "vorl_cnv.h"

namespace vorl {
namespace {

constexpr int kNameAttempts = 100;

// Reserves a fresh name in the target's own folder, so that the final
// rename never crosses a file system.
std::string ReserveNameBeside(const std::string &target)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".vorl%05X%04X", static_cast<unsigned>(::getpid()) & 0xFFFFF,
                      ++counter & 0xFFFF);
        std::string candidate = target + suffix;
        if (host::HostFile::CreateExclusive(candidate).IsOpen()) {
            return candidate;
        }
    }
    return {};
}

int CopyInto(const std::string &from, const std::string &to)
{
    host::HostFile source = host::HostFile::OpenForReading(from);
    host::HostFile sink = host::HostFile::CreateTruncating(to);
    if (!source.IsOpen() || !sink.IsOpen()) {
        return VORL_ERR_TEMP_FILE;
    }
    int64_t length = source.Length();
    host::StreamCopier copier;
    if (length < 0 || copier.Copy(source, sink, static_cast<uint64_t>(length)) != host::CopyResult::Copied ||
        !sink.Close()) {
        return VORL_ERR_TEMP_FILE;
    }
    return VORL_OK;
}

int MakeReadyBeside(const Placement &placement, std::string &ready)
{
    ready = ReserveNameBeside(placement.target);
    if (ready.empty()) {
        return VORL_ERR_OUTPUT_FILE;
    }
    switch (host::RenameFile(placement.staged, ready)) {
    case host::RenameResult::Renamed:
        return VORL_OK;
    case host::RenameResult::OtherFileSystem:
        return CopyInto(placement.staged, ready);
    case host::RenameResult::Failed:
        break;
    }
    return VORL_ERR_OUTPUT_FILE;
}

}  // namespace

int PlaceOutputs(const std::vector<Placement> &placements)
{
    std::vector<std::string> ready(placements.size());
    int rc = VORL_OK;
    for (size_t i = 0; i < placements.size() && rc == VORL_OK; ++i) {
        rc = MakeReadyBeside(placements[i], ready[i]);
    }
    for (size_t i = 0; i < placements.size() && rc == VORL_OK; ++i) {
        if (host::RenameFile(ready[i], placements[i].target) != host::RenameResult::Renamed) {
            rc = VORL_ERR_OUTPUT_FILE;
            break;
        }
        ready[i].clear();
    }
    for (const std::string &leftover : ready) {
        if (!leftover.empty()) {
            host::RemoveFile(leftover);
        }
    }
    return rc;
}

}  // namespace vorl
