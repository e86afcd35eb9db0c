// An open file of the host, addressed by a library path. Reads and writes
// move whole blocks and report short or failed transfers; the descriptor is
// closed when the object goes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vorl::host {

// What changes whenever a file's bytes may have changed: its identity, its
// length and its modification and change times. The change time is set by
// the system on every write and cannot be set back by a user.
struct FileVersion {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t length = 0;
    int64_t modifiedNanoseconds = 0;
    int64_t changedNanoseconds = 0;
};

class HostFile {
public:
    HostFile() = default;
    ~HostFile();
    HostFile(HostFile &&other) noexcept;
    HostFile &operator=(HostFile &&other) noexcept;
    HostFile(const HostFile &) = delete;
    HostFile &operator=(const HostFile &) = delete;

    // A regular file only: a folder or a device is not an input.
    static HostFile OpenForReading(std::string_view path);
    static HostFile CreateTruncating(std::string_view path);
    static HostFile OpenForAppending(std::string_view path);
    // Fails when the name exists, so the name is reserved for the caller.
    static HostFile CreateExclusive(std::string_view path);
    // A new file only this user may read until it is complete, at a name
    // nothing had: never through a link. For what is to become an output.
    static HostFile CreatePrivate(std::string_view path);
    // Something that already has the name, opened for writing as it is:
    // nothing is made, nothing is cut.
    static HostFile OpenInPlace(std::string_view path);
    // A descriptor of its own onto what the process's `descriptor` is open
    // on, sharing its position and append mode.
    static HostFile Duplicate(int descriptor);

    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }

    // The length of the open file, or -1.
    int64_t Length() const;
    // The version of the open file; false when the host cannot tell.
    bool Version(FileVersion &version) const;
    // The length OpenForReading saw when it checked the file, with no
    // further call to the host; -1 for a file opened any other way.
    int64_t LengthAtOpen() const { return lengthAtOpen_; }
    // Reads up to `size` bytes; returns the count (0 at the end) or -1.
    long Read(void *buffer, size_t size);
    // All of `size` bytes, at the current position or at `offset`.
    bool WriteAll(const void *data, size_t size);
    bool WriteAllAt(const void *data, size_t size, int64_t offset);
    bool SeekTo(int64_t offset);
    // Hands the descriptor over to the caller, who closes it; it blocks
    // like any other. -1 when there is none.
    int Release();
    // Closing reports the errors a file system may delay until then.
    bool Close();

private:
    explicit HostFile(int fd) : fd_(fd) {}
    static HostFile OpenNative(std::string_view path, int flags, unsigned mode = 0666);
    // Clears the O_NONBLOCK that OpenForReading leaves in place until a
    // read would not wait, or the descriptor is handed over; false when it
    // cannot.
    bool MakeBlocking();

    int fd_ = -1;
    int64_t lengthAtOpen_ = -1;
    bool nonBlocking_ = false;
};

}  // namespace vorl::host
