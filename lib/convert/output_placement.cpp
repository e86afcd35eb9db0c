#include "output_placement.h"

#include "file_system.h"
#include "host_file.h"
#include "stream_copy.h"
#include "vorl_cnv.h"

namespace vorl {
namespace {

constexpr int kNameAttempts = 100;

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

// Moves (or, across file systems, copies) the staged file to a new name
// beside its target. The new name never replaces a file: replacing one
// would make some file systems flush the whole file at once.
int MakeReadyBeside(const Placement &placement, std::string &ready)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = host::NameBeside(placement.target);
        switch (host::RenameToNewName(placement.staged, candidate)) {
        case host::RenameResult::Renamed:
            ready = candidate;
            return VORL_OK;
        case host::RenameResult::Exists:
            continue;
        case host::RenameResult::OtherFileSystem:
            if (!host::HostFile::CreateExclusive(candidate).IsOpen()) {
                continue;
            }
            ready = candidate;
            return CopyInto(placement.staged, ready);
        case host::RenameResult::Failed:
            return VORL_ERR_OUTPUT_FILE;
        }
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
        // Moving onto a name that is free, rather than over a file, spares
        // some file systems an immediate flush of the whole new file.
        if (placements[i].targetIsPlaceholder && host::RegularFileLength(placements[i].target) == 0) {
            host::RemoveFile(placements[i].target);
        }
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
