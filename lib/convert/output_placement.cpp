#include "output_placement.h"

#include <cerrno>

#include "conversion_context.h"
#include "file_system.h"
#include "folder_lock.h"
#include "host_file.h"
#include "output_target.h"
#include "stream_copy.h"
#include "vorl_cnv.h"

namespace vorl {
namespace {

constexpr int kNameAttempts = 100;

int CopyInto(const std::string &from, const std::string &to)
{
    host::HostFile source = host::HostFile::OpenForReading(from);
    host::HostFile sink = host::HostFile::OpenInPlace(to);
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
int MoveBeside(const Placement &placement, const host::OutputTarget &target, std::string &ready)
{
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = host::NameBeside(target.path);
        switch (host::RenameToNewName(placement.staged, candidate)) {
            case host::RenameResult::Renamed:
                ready = candidate;
                return VORL_OK;
            case host::RenameResult::Exists:
                continue;
            case host::RenameResult::OtherFileSystem:
                if (!host::HostFile::CreatePrivate(candidate).IsOpen()) {
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

// The new file is made ready beside the file it replaces and takes over
// that file's mode and owner, so the rename changes nothing but content.
int MakeReadyBeside(const Placement &placement, const host::OutputTarget &target, std::string &ready)
{
    if (int rc = MoveBeside(placement, target, ready); rc != VORL_OK) {
        return rc;
    }
    host::HostFile fresh = host::HostFile::OpenForReading(ready);
    return fresh.IsOpen() && host::TakeOverAttributes(fresh, target) ? VORL_OK : VORL_ERR_OUTPUT_FILE;
}

int WriteIntoStream(const Placement &placement, const host::OutputTarget &target)
{
    host::HostFile source = host::HostFile::OpenForReading(placement.staged);
    int64_t length = source.Length();
    if (!source.IsOpen() || length < 0) {
        return VORL_ERR_TEMP_FILE;
    }
    host::HostFile sink = host::OpenStream(target);
    if (!sink.IsOpen()) {
        return VORL_ERR_OUTPUT_FILE;
    }
    host::StreamCopier copier;
    switch (copier.Copy(source, sink, static_cast<uint64_t>(length))) {
        case host::CopyResult::Copied:
            return sink.Close() ? VORL_OK : VORL_ERR_OUTPUT_FILE;
        case host::CopyResult::WriteFailed:
            return VORL_ERR_OUTPUT_FILE;
        default:
            return VORL_ERR_TEMP_FILE;
    }
}

}  // namespace

int PlaceOutputs(const std::vector<Placement> &placements, const ConversionContext &reporter)
{
    std::vector<std::string> names;
    for (const Placement &placement : placements) {
        names.push_back(placement.target);
    }
    host::OutputFolderLocks turn(names);
    std::vector<host::OutputTarget> targets;
    for (const Placement &placement : placements) {
        auto target = host::FindOutputTarget(placement.target);
        if (!target) {
            reporter.NoteOutput(placement.target);
            return VORL_ERR_OUTPUT_FILE;
        }
        targets.push_back(*target);
    }
    auto isStream = [&targets](size_t i) { return targets[i].kind == host::TargetKind::Stream; };

    // An output whose new bytes equal the file already there stays as it
    // is, time stamp included: a build then sees that it did not change.
    std::vector<bool> unchanged(placements.size());
    for (size_t i = 0; i < placements.size(); ++i) {
        unchanged[i] = host::HoldsSameBytes(placements[i].staged, targets[i]);
    }
    std::vector<std::string> ready(placements.size());
    int rc = VORL_OK;
    auto noteFailure = [&](size_t i) {
        int error = errno;
        if (rc == VORL_ERR_OUTPUT_FILE) {
            reporter.NoteOutput(placements[i].target, error);
        } else if (rc == VORL_ERR_TEMP_FILE) {
            reporter.NoteTemporary(placements[i].target, error);
        }
    };
    for (size_t i = 0; i < placements.size() && rc == VORL_OK; ++i) {
        if (!isStream(i) && !unchanged[i]) {
            rc = MakeReadyBeside(placements[i], targets[i], ready[i]);
            noteFailure(i);
        }
    }
    // Streams take their content before any file is replaced: a device
    // that refuses it leaves the files as they were.
    for (size_t i = 0; i < placements.size() && rc == VORL_OK; ++i) {
        if (isStream(i)) {
            rc = WriteIntoStream(placements[i], targets[i]);
            noteFailure(i);
        }
    }
    for (size_t i = 0; i < placements.size() && rc == VORL_OK; ++i) {
        if (isStream(i) || unchanged[i]) {
            continue;
        }
        if (host::RenameFile(ready[i], targets[i].path) != host::RenameResult::Renamed) {
            rc = VORL_ERR_OUTPUT_FILE;
            noteFailure(i);
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
