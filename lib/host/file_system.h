// File-system operations on library paths. Every one of them crosses into
// the host through ToNativePath, so a path without a native form simply
// fails like a missing file.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vorl::host {

class HostFile;

enum class MakeDirectoryResult { Made, Exists, Failed };
enum class RenameResult { Renamed, Exists, OtherFileSystem, Failed };

// Made with mode 0700: a working directory is private to its user.
MakeDirectoryResult MakePrivateDirectory(std::string_view path);
bool RemoveEmptyDirectory(std::string_view path);
bool RemoveFile(std::string_view path);
// Replaces `to` in one step when both lie on one file system.
RenameResult RenameFile(std::string_view from, std::string_view to);
// Moves `from` to the new name `to` and reports Exists, never replacing a
// file there.
RenameResult RenameToNewName(std::string_view from, std::string_view to);
// True when anything (a file, a folder, a link) has that name.
bool PathExists(std::string_view path);
// True when both names lead to one and the same existing file.
bool IsSameFile(std::string_view first, std::string_view second);
// What tells one file from every other: two names with equal identities
// lead to one file, whatever links or folders lie on the way.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity &other) const { return device == other.device && inode == other.inode; }
};
// The identity of the existing file a name leads to, or nothing.
std::optional<FileIdentity> IdentityOf(std::string_view path);
// The length of a regular file, or nothing.
std::optional<int64_t> RegularFileLength(std::string_view path);
// A new name beside `target` in its own folder ("<target>.vorl" and
// hexadecimal digits, different on every call), for a file that is to
// replace the target by one rename.
std::string NameBeside(const std::string &target);
// Writes `content` to a new file beside `path` and renames it over `path`
// once every byte is written and the file is closed; on any failure the
// previous file is left exactly as it was and the new one is removed.
// A link at `path` is replaced itself, never followed: this is for the
// working files, whose folder may be shared; outputs go through
// ReplaceOutputContents (output_target.h). `ending` ends the new file's
// name, so that the owner of a folder can tell its own abandoned ones.
bool ReplaceFileContents(const std::string &path, const std::string &content, std::string_view ending = {});
// The same for content that `write` puts into the new file (open for
// writing, left open for the rename), for content too large to hold.
bool ReplaceFileWith(const std::string &path, const std::function<bool(HostFile &)> &write,
                     std::string_view ending = {});
// Deletes every entry of `directory` that is not a folder. A symbolic link
// is removed itself, never followed. Failures are ignored.
void RemoveFilesIn(std::string_view directory);
// Makes a folder and the folders above it that are missing (mode 0777
// less the umask: a cache folder may be shared). True when it exists.
bool MakeFolders(std::string_view path);
// Gives the file `from` the second name `to` (a hard link); false when
// the two lie on different file systems, or the host refuses.
bool LinkFile(std::string_view from, std::string_view to);
// Sets a file's modification time to now.
bool TouchFile(std::string_view path);
// A file's modification time in nanoseconds since 1970; 0 when unknown.
int64_t ModifiedNanoseconds(std::string_view path);
// The number of this process, to make names no other process makes.
int ProcessNumber();
// Appends `text` in one write to the end of a file, made when missing;
// writers in other processes never interleave within one short text.
bool AppendToFile(std::string_view path, const std::string &text);
// The value of an environment variable as a CP932 text; nothing when it is
// unset, empty, or has no CP932 form.
std::optional<std::string> EnvironmentText(const char *name);
// The calendar time in seconds.
int64_t CalendarSeconds();
// The calendar time in nanoseconds since 1970, as file times count it.
int64_t CalendarNanoseconds();
// The current folder as a library path (CP932), without a trailing
// separator; nothing when it cannot be told or has no CP932 form.
std::optional<std::string> CurrentFolder();
// The name of this machine; empty when it has none.
std::string MachineName();

}  // namespace vorl::host
