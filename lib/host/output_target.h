// What stands at an output's name decides how new content reaches it.
// A regular file is replaced by one rename of a complete new file; the
// rename happens at the file a symbolic link leads to, so the link stays a
// link and its target gets the content. A device, a pipe or a socket is no
// file to replace: the content is written into it where it stands.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host_file.h"

namespace vorl::host {

enum class TargetKind {
    Absent,   // nothing has the name yet: a new file takes it
    Regular,  // a file, replaced by a rename; the new one keeps its mode and owner
    Stream,   // a device, a pipe or a socket: written into, never replaced
};

struct OutputTarget {
    TargetKind kind = TargetKind::Absent;
    // A file's name with every symbolic link followed, as a library path.
    // A stream keeps the name it was given: the links under /proc name a
    // pipe by a text that is no path, and opening the name reaches it.
    std::string path;
    uint32_t mode = 0;  // a regular file's permission bits
    uint32_t owner = 0;
    uint32_t group = 0;
    bool throughLink = false;  // the name is a symbolic link to `path`
    // A stream named by an inherited descriptor (/dev/stdout), written
    // into that descriptor; -1 for any other.
    int descriptor = -1;
};

// Why a name in a folder that every user may write to (sticky, as /tmp)
// must not be written, as an errno: a link that another user planted
// there (neither the caller's nor the folder owner's), or another user's
// file that a replacement would take over. Nothing when it may be.
std::optional<int> SharedFolderRefusal(const std::string &native);

// Nothing when no output can take the name: a folder, a loop of links, a
// link that leads to a name without a library form, a name that a shared
// folder's rules forbid.
std::optional<OutputTarget> FindOutputTarget(std::string_view path);

// Gives a new file, made private while it was filled, the mode and owner
// of the regular target it is about to replace (its owner where the process
// may set it), or the mode a plain creation would give where nothing has
// the name yet. Streams need nothing.
bool TakeOverAttributes(HostFile &fresh, const OutputTarget &target);

// Opens a stream target for writing where it stands; a pipe waits for its
// reader here, as with any writer.
HostFile OpenStream(const OutputTarget &target);

// Proves that content could reach the output without disturbing what is
// there and without putting anything at its name: an existing file is
// opened for writing (nothing cut), a new one is tried beside it. A stream
// is only checked for permission: opening a pipe would wait for a reader,
// and closing it would end the reader's input.
bool ProbeOutput(std::string_view path);

// True when `staged` holds exactly the bytes of the regular file `target`
// names directly (not through a link): then the file can stay as it is,
// its time stamp included. The sizes are compared first, the bytes only
// up to the first difference.
bool HoldsSameBytes(std::string_view staged, const OutputTarget &target);

// The offset of the first byte where `staged` and the regular file at
// `path` differ (the shorter one's length when one is a prefix of the
// other, 0 when the file is missing or cannot be read); nothing when both
// hold the same bytes.
std::optional<uint64_t> FirstDifference(std::string_view staged, std::string_view path);

// Puts `content` at an output's name: a file (or a link's target) is
// replaced by one rename once every byte is written, keeping the previous
// file exactly as it was on any failure; a stream is written into.
bool ReplaceOutputContents(std::string_view path, const std::string &content);
// The same with content that `fill` writes into the new file (or the
// stream); false from `fill` leaves everything as it was.
bool ReplaceOutput(std::string_view path, const std::function<bool(HostFile &)> &fill);

}  // namespace vorl::host
