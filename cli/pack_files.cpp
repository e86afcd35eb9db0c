#include "pack_files.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "message_format.h"
#include "vorl_reader.h"

namespace vorlcnv {
namespace {

// A pack that comes through a pipe is held in memory; a larger one is
// refused instead of growing without end.
constexpr uint64_t kLargestStreamedPack = uint64_t{16} << 20;

int ReadError(const std::string &name, std::string &error)
{
    error = Format("vorlcnv: %s: read error: %s", name.c_str(), std::strerror(errno));
    return kIoError;
}

int Write(const char *bytes, size_t size, std::FILE *out, const std::string &outName, std::string &error)
{
    if (std::fwrite(bytes, 1, size, out) != size) {
        error = Format("vorlcnv: write error on %s: %s", outName.c_str(), std::strerror(errno));
        return kIoError;
    }
    return 0;
}

}  // namespace

InputFile::~InputFile()
{
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

int InputFile::Open(const std::string &name, std::string &error)
{
    name_ = name;
    file_ = std::fopen(name.c_str(), "rb");
    struct stat info {};
    if (file_ == nullptr || fstat(fileno(file_), &info) != 0) {
        error = Format("vorlcnv: %s: cannot open: %s", name.c_str(), std::strerror(errno));
        return kNoInput;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "vorlcnv: " + name + ": is a folder, not a file";
        return kNoInput;
    }
    // A pipe or a device tells no size: it is read whole, as far as a
    // pack read this way may reach (/dev/zero never ends).
    if (!S_ISREG(info.st_mode)) {
        whole_ = true;
        if (int status = ReadUpTo(kLargestStreamedPack + 1, error); status != 0) {
            return status;
        }
        if (head_.size() > kLargestStreamedPack) {
            error = "vorlcnv: " + name + ": not a regular file, and more than " + Decimal(kLargestStreamedPack >> 20) +
                    " MiB: save it to a file to look into it";
            return kDataError;
        }
        return 0;
    }
    size_ = static_cast<uint64_t>(info.st_size);
    return 0;
}

int InputFile::ReadUpTo(uint64_t count, std::string &error)
{
    char buffer[65536];
    while (head_.size() < count) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, count - head_.size()));
        size_t got = std::fread(buffer, 1, want, file_);
        head_.append(buffer, got);
        if (got < want) {
            if (std::ferror(file_)) {
                return ReadError(name_, error);
            }
            break;
        }
    }
    if (whole_) {
        size_ = head_.size();
    }
    return 0;
}

int InputFile::CopyTo(uint64_t offset, uint64_t size, std::FILE *out, const std::string &outName, std::string &error)
{
    if (whole_) {
        return Write(head_.data() + offset, static_cast<size_t>(size), out, outName, error);
    }
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        return ReadError(name_, error);
    }
    char buffer[65536];
    while (size > 0) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, size));
        size_t got = std::fread(buffer, 1, want, file_);
        if (got < want) {
            if (std::ferror(file_)) {
                return ReadError(name_, error);
            }
            error = "vorlcnv: " + name_ + ": ends before the item does (changed while read?)";
            return kDataError;
        }
        if (int status = Write(buffer, got, out, outName, error); status != 0) {
            return status;
        }
        size -= got;
    }
    return 0;
}

int OpenPackFiles(const std::string &dataName, const std::optional<std::string> &headerName, OpenedPack &pack,
                  std::string &error)
{
    if (int status = pack.data.Open(dataName, error); status != 0) {
        return status;
    }
    if (headerName) {
        if (int status = pack.header.Open(*headerName, error); status != 0) {
            return status;
        }
        // The largest index there can be: 65535 rows of an 8-byte value
        // and an 8-byte alias. A longer file is no index and is not read.
        constexpr uint64_t kLargestIndex = 8 + 65535 * 16;
        if (pack.header.Size() > kLargestIndex) {
            error = "vorlcnv: " + *headerName + ": not a separate index: " + Decimal(pack.header.Size()) +
                    " bytes is more than any index takes";
            return kDataError;
        }
        if (int status = pack.header.ReadUpTo(pack.header.Size(), error); status != 0) {
            return status;
        }
    } else {
        if (int status = pack.data.ReadUpTo(8, error); status != 0) {
            return status;
        }
        size_t needed = 0;
        if (VorlReaderIndexSize(pack.data.Head().data(), pack.data.Head().size(), &needed) == VORL_READER_OK) {
            if (int status = pack.data.ReadUpTo(needed, error); status != 0) {
                return status;
            }
        }
    }
    pack.bytes.dataName = dataName;
    pack.bytes.headerName = headerName.value_or("");
    pack.bytes.dataHead = pack.data.Head();
    pack.bytes.dataSize = pack.data.Size();
    pack.bytes.header = pack.header.Head();
    return 0;
}

}  // namespace vorlcnv
