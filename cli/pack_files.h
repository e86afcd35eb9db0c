// The files of a pack that --list and --extract look into, read no further
// than its index and the item asked for: a pack of a gigabyte is listed
// from its index alone.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "pack_contents.h"

namespace vorlcnv {

// One input file of the pack. Every failure is an exit status with a
// one-line message in `error`.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // 0, kNoInput, or kDataError for a pipe or device with too much in it.
    int Open(const std::string &name, std::string &error);
    uint64_t Size() const { return size_; }
    const std::string &Name() const { return name_; }
    // True when the whole file is in Head(): a pipe or a device.
    bool IsHeld() const { return whole_; }
    const std::string &Head() const { return head_; }
    // Makes the head at least `count` bytes long, or the whole file.
    // 0, or kIoError.
    int ReadUpTo(uint64_t count, std::string &error);
    // Copies `size` bytes from `offset` to `out` (named `outName` in
    // messages). 0, kIoError, or kDataError when the file ends early.
    int CopyTo(uint64_t offset, uint64_t size, std::FILE *out, const std::string &outName, std::string &error);

private:
    std::string name_;
    std::FILE *file_ = nullptr;
    std::string head_;
    uint64_t size_ = 0;
    bool whole_ = false;
};

// The files of one pack, opened and read as far as the index needs;
// `bytes` points into them.
struct OpenedPack {
    InputFile data;
    InputFile header;
    PackBytes bytes;
};

// Opens the data file and, when given, its separate index. 0, or the exit
// status with a message in `error`.
int OpenPackFiles(const std::string &dataName, const std::optional<std::string> &headerName, OpenedPack &pack,
                  std::string &error);

}  // namespace vorlcnv
