#include "output_target.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "file_system.h"
#include "folder_lock.h"
#include "inherited_descriptor.h"
#include "native_path.h"
#include "symbolic_links.h"

namespace vorl::host {
namespace {

// The library form of a native name found by following links. A
// backslash would turn into a separator on the way back, naming another
// file, so such a name has no library form.
std::optional<std::string> LibraryName(const std::string &native)
{
    if (native.find('\\') != std::string::npos) {
        return std::nullopt;
    }
    return FromNativeName(native);
}

// A folder that everybody may write to and where only owners may remove
// (/tmp, a team's drop folder): what stands there may have been planted.
bool IsSharedFolder(const struct stat &folder)
{
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

// The mode a file made by a plain creation gets under this process's
// umask; read without changing it, since other threads may be creating
// files meanwhile.
unsigned ModeForNewFile()
{
    static const unsigned mode = [] {
        if (std::FILE *status = std::fopen("/proc/self/status", "re")) {
            char line[128];
            unsigned mask = 0;
            bool found = false;
            while (!found && std::fgets(line, sizeof line, status) != nullptr) {
                found = std::sscanf(line, "Umask: %o", &mask) == 1;
            }
            std::fclose(status);
            if (found) {
                return 0666u & ~mask;
            }
        }
        return 0644u;
    }();
    return mode;
}

}  // namespace

std::optional<int> SharedFolderRefusal(const std::string &native)
{
    const uid_t caller = ::geteuid();
    std::optional<int> refusal;
    common::FollowLinks(native, [&](const std::string &name, const struct stat &st) {
        struct stat folder {};
        bool shared = ::stat(NativeFolderOf(name).c_str(), &folder) == 0 && IsSharedFolder(folder);
        if (!shared || st.st_uid == caller) {
            return true;
        }
        if (S_ISLNK(st.st_mode)) {
            // As the kernel's protected_symlinks: another user's link there
            // is not followed, whoever the caller is.
            if (st.st_uid != folder.st_uid) {
                refusal = EACCES;
            }
        } else if (S_ISREG(st.st_mode)) {
            // Replacing another user's file there would make it the caller's.
            refusal = EPERM;
        }
        return !refusal;
    });
    return refusal;
}

namespace {

// One look at the output's name. `replaced` tells a file that another
// process put at the name between the two looks (another run placing the
// same output) from a link that leads elsewhere.
std::optional<OutputTarget> LookAtOutput(std::string_view path, const std::string &native, bool &replaced)
{
    replaced = false;
    struct stat st {};
    if (::stat(native.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return std::nullopt;
        }
        if (!S_ISREG(st.st_mode)) {
            return OutputTarget{TargetKind::Stream, std::string(path)};
        }
    } else if (errno != ENOENT) {
        return std::nullopt;
    }
    auto final = common::FollowLinks(native);
    if (!final) {
        return std::nullopt;
    }
    auto library = LibraryName(*final);
    if (!library) {
        return std::nullopt;
    }
    struct stat found {};
    if (::lstat(final->c_str(), &found) != 0) {
        return errno == ENOENT ? std::optional<OutputTarget>(OutputTarget{TargetKind::Absent, *library}) : std::nullopt;
    }
    // The chain must end at the file the name leads to; a link that names
    // its file by another text (a deleted file under /proc) is not followed.
    if (!S_ISREG(found.st_mode) || found.st_dev != st.st_dev || found.st_ino != st.st_ino) {
        replaced = S_ISREG(found.st_mode) && *final == native;
        return std::nullopt;
    }
    return OutputTarget{TargetKind::Regular,
                        *library,
                        static_cast<uint32_t>(found.st_mode & 07777),
                        static_cast<uint32_t>(found.st_uid),
                        static_cast<uint32_t>(found.st_gid),
                        *final != native};
}

}  // namespace

std::optional<OutputTarget> FindOutputTarget(std::string_view path)
{
    auto native = ToNativePath(path);
    if (!native || SharedFolderRefusal(*native)) {
        return std::nullopt;
    }
    // /dev/stdout and its kind are written where the descriptor stands,
    // whatever it is open on; one not open for writing is no output.
    if (std::optional<int> inherited = common::InheritedDescriptorOf(*native)) {
        int flags = ::fcntl(*inherited, F_GETFL);
        if (flags == -1 || (flags & O_ACCMODE) == O_RDONLY) {
            return std::nullopt;
        }
        OutputTarget stream{TargetKind::Stream, std::string(path)};
        stream.descriptor = *inherited;
        return stream;
    }
    // A name that another run keeps replacing is looked at again; a few
    // looks are enough, as each replacement is one rename.
    constexpr int kLooks = 16;
    bool replaced = false;
    for (int look = 0; look < kLooks; ++look) {
        std::optional<OutputTarget> target = LookAtOutput(path, *native, replaced);
        if (target || !replaced) {
            return target;
        }
    }
    return std::nullopt;
}

std::optional<uint64_t> FirstDifference(std::string_view staged, std::string_view path)
{
    HostFile fresh = HostFile::OpenForReading(staged);
    HostFile existing = HostFile::OpenForReading(path);
    struct stat st {};
    if (!fresh.IsOpen() || !existing.IsOpen() || ::fstat(existing.Descriptor(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    constexpr size_t kChunk = 1 << 16;
    std::vector<char> left(kChunk), right(kChunk);
    uint64_t offset = 0;
    while (true) {
        long got = fresh.Read(left.data(), kChunk);
        if (got < 0) {
            return offset;
        }
        size_t filled = 0;
        while (filled < static_cast<size_t>(got)) {
            long more = existing.Read(right.data() + filled, static_cast<size_t>(got) - filled);
            if (more <= 0) {
                break;
            }
            filled += static_cast<size_t>(more);
        }
        for (size_t i = 0; i < filled; ++i) {
            if (left[i] != right[i]) {
                return offset + i;
            }
        }
        if (filled < static_cast<size_t>(got)) {
            return offset + filled;  // the existing file is shorter
        }
        if (got == 0) {
            return existing.Read(right.data(), 1) == 0 ? std::nullopt : std::optional<uint64_t>(offset);
        }
        offset += static_cast<uint64_t>(got);
    }
}

bool HoldsSameBytes(std::string_view staged, const OutputTarget &target)
{
    if (target.kind != TargetKind::Regular || target.throughLink) {
        return false;
    }
    // The sizes first: a pack whose size changed is never read twice.
    auto freshLength = RegularFileLength(staged);
    auto existingLength = RegularFileLength(target.path);
    return freshLength && existingLength && *freshLength == *existingLength &&
           !FirstDifference(staged, target.path).has_value();
}

bool TakeOverAttributes(HostFile &fresh, const OutputTarget &target)
{
    if (target.kind == TargetKind::Absent) {
        return ::fchmod(fresh.Descriptor(), ModeForNewFile()) == 0;
    }
    if (target.kind != TargetKind::Regular) {
        return true;
    }
    struct stat st {};
    if (::fstat(fresh.Descriptor(), &st) != 0) {
        return false;
    }
    // Only the superuser, or an owner handing the file to one of its own
    // groups, may set the owner; the file then simply stays the process's.
    // Set before the mode, because a change of owner clears set-user-ID.
    if ((st.st_uid != target.owner || st.st_gid != target.group) &&
        ::fchown(fresh.Descriptor(), target.owner, target.group) != 0 && errno != EPERM) {
        return false;
    }
    if (::fstat(fresh.Descriptor(), &st) != 0) {
        return false;
    }
    return (st.st_mode & 07777) == target.mode || ::fchmod(fresh.Descriptor(), target.mode) == 0;
}

HostFile OpenStream(const OutputTarget &target)
{
    if (target.descriptor >= 0) {
        return HostFile::Duplicate(target.descriptor);
    }
    HostFile stream = HostFile::OpenInPlace(target.path);
    struct stat st {};
    // Something else may have taken the name since it was looked at; a
    // regular file is never written in place.
    if (stream.IsOpen() && (::fstat(stream.Descriptor(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode))) {
        stream.Close();
    }
    return stream;
}

bool ProbeOutput(std::string_view path)
{
    auto target = FindOutputTarget(path);
    if (!target) {
        return false;
    }
    switch (target->kind) {
        case TargetKind::Stream: {
            if (target->descriptor >= 0) {
                return true;
            }
            auto native = ToNativePath(target->path);
            return native && ::faccessat(AT_FDCWD, native->c_str(), W_OK, AT_EACCESS) == 0;
        }
        case TargetKind::Absent: {
            // A new file beside it is what the pack will be renamed from.
            constexpr int kAttempts = 100;
            for (int attempt = 0; attempt < kAttempts; ++attempt) {
                std::string probe = NameBeside(target->path);
                if (HostFile::CreatePrivate(probe).IsOpen()) {
                    RemoveFile(probe);
                    return true;
                }
                if (!PathExists(probe)) {
                    return false;
                }
            }
            return false;
        }
        case TargetKind::Regular:
            return HostFile::OpenInPlace(target->path).IsOpen();
    }
    return false;
}

bool ReplaceOutput(std::string_view path, const std::function<bool(HostFile &)> &fill)
{
    auto target = FindOutputTarget(path);
    if (!target) {
        return false;
    }
    if (target->kind == TargetKind::Stream) {
        HostFile stream = OpenStream(*target);
        bool written = stream.IsOpen() && fill(stream);
        return stream.Close() && written;
    }
    OutputFolderLocks turn({target->path});
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string fresh = NameBeside(target->path);
        HostFile file = HostFile::CreatePrivate(fresh);
        if (!file.IsOpen()) {
            if (PathExists(fresh)) {
                continue;  // taken by someone else: try another name
            }
            return false;
        }
        bool written = fill(file) && TakeOverAttributes(file, *target) && file.Close();
        if (written && RenameFile(fresh, target->path) == RenameResult::Renamed) {
            return true;
        }
        RemoveFile(fresh);
        return false;
    }
    return false;
}

bool ReplaceOutputContents(std::string_view path, const std::string &content)
{
    return ReplaceOutput(path, [&content](HostFile &file) { return file.WriteAll(content.data(), content.size()); });
}

}  // namespace vorl::host
