#include "pack_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <optional>

#include "message_format.h"
#include "number_text.h"
#include "pack_contents.h"
#include "terminal_text.h"
#include "vorl_cnv.h"
#include "vorl_reader.h"

namespace vorlcnv {
namespace {

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

// A pack that comes through a pipe is held in memory; a larger one is
// refused instead of growing without end.
constexpr uint64_t kLargestStreamedPack = uint64_t{16} << 20;

// An input file, read no further than needed: a pack of a gigabyte is
// listed from its index alone.
class InputFile {
public:
    ~InputFile()
    {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    // 0, or the exit status with a message in `error`.
    int Open(const std::string &name, std::string &error)
    {
        name_ = name;
        file_ = std::fopen(name.c_str(), "rb");
        struct stat info {};
        if (file_ == nullptr || fstat(fileno(file_), &info) != 0) {
            error = Format("vorlcnv: %s: cannot open: %s", name.c_str(), std::strerror(errno));
            return kInspectNoInput;
        }
        if (S_ISDIR(info.st_mode)) {
            error = "vorlcnv: " + name + ": is a folder, not a file";
            return kInspectNoInput;
        }
        // A pipe or a device tells no size: it is read whole, as far as a
        // pack read this way may reach (/dev/zero never ends).
        if (!S_ISREG(info.st_mode)) {
            whole_ = true;
            if (int status = ReadUpTo(kLargestStreamedPack + 1, error); status != 0) {
                return status;
            }
            if (head_.size() > kLargestStreamedPack) {
                error = "vorlcnv: " + name + ": not a regular file, and more than " +
                        Decimal(kLargestStreamedPack >> 20) + " MiB: save it to a file to look into it";
                return kInspectData;
            }
            return 0;
        }
        size_ = static_cast<uint64_t>(info.st_size);
        return 0;
    }
    uint64_t Size() const { return size_; }
    const std::string &Name() const { return name_; }
    // True when the whole file is in Head(): a pipe or a device.
    bool IsHeld() const { return whole_; }
    const std::string &Head() const { return head_; }
    // Makes the head at least `count` bytes long, or the whole file.
    int ReadUpTo(uint64_t count, std::string &error)
    {
        char buffer[65536];
        while (head_.size() < count) {
            size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, count - head_.size()));
            size_t got = std::fread(buffer, 1, want, file_);
            head_.append(buffer, got);
            if (got < want) {
                if (std::ferror(file_)) {
                    error = Format("vorlcnv: %s: read error: %s", name_.c_str(), std::strerror(errno));
                    return kInspectWriteError;
                }
                break;
            }
        }
        if (whole_) {
            size_ = head_.size();
        }
        return 0;
    }
    // Copies `size` bytes from `offset` to `out`. 0, or the exit status.
    int CopyTo(uint64_t offset, uint64_t size, std::FILE *out, const std::string &outName, std::string &error)
    {
        if (whole_) {
            return Write(head_.data() + offset, static_cast<size_t>(size), out, outName, error);
        }
        if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
            error = Format("vorlcnv: %s: read error: %s", name_.c_str(), std::strerror(errno));
            return kInspectWriteError;
        }
        char buffer[65536];
        while (size > 0) {
            size_t want = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, size));
            size_t got = std::fread(buffer, 1, want, file_);
            if (got < want) {
                error = std::ferror(file_) ? Format("vorlcnv: %s: read error: %s", name_.c_str(), std::strerror(errno))
                                           : "vorlcnv: " + name_ + ": ends before the item does (changed while read?)";
                return std::ferror(file_) ? kInspectWriteError : kInspectData;
            }
            if (int status = Write(buffer, got, out, outName, error); status != 0) {
                return status;
            }
            size -= got;
        }
        return 0;
    }

private:
    static int Write(const char *bytes, size_t size, std::FILE *out, const std::string &outName, std::string &error)
    {
        if (std::fwrite(bytes, 1, size, out) != size) {
            error = Format("vorlcnv: write error on %s: %s", outName.c_str(), std::strerror(errno));
            return kInspectWriteError;
        }
        return 0;
    }

    std::string name_;
    std::FILE *file_ = nullptr;
    std::string head_;
    uint64_t size_ = 0;
    bool whole_ = false;
};

// The files of one pack, opened and read as far as the index needs.
struct OpenedPack {
    InputFile data;
    InputFile header;
    PackBytes bytes;
};

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
            return kInspectData;
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

// ---------------------------------------------------------------------------
// Arguments
// ---------------------------------------------------------------------------

int UsageError(const std::string &why)
{
    std::fprintf(stderr, "vorlcnv: %s\nTry 'vorlcnv --help'.\n", why.c_str());
    return kInspectUsage;
}

struct Arguments {
    std::vector<std::string> operands;
    std::optional<std::string> header;
    std::optional<std::string> output;
    bool json = false;
    std::string error;
};

// Options may stand anywhere after the command; a value is the next
// argument; "--" makes every later argument an operand.
Arguments ParseArguments(const std::vector<std::string> &arguments, bool extract)
{
    Arguments parsed;
    const std::string &command = arguments[0];
    bool options = true;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (!options || argument.empty() || argument[0] != '-' || argument == "-") {
            parsed.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options = false;
            continue;
        }
        std::optional<std::string> *value = nullptr;
        if (argument == "--header") {
            value = &parsed.header;
        } else if (argument == "--output" && extract) {
            value = &parsed.output;
        } else if (argument == "--json" && !extract) {
            parsed.json = true;
            continue;
        } else {
            parsed.error = "unknown option '" + argument + "' for " + command;
            return parsed;
        }
        if (i + 1 >= arguments.size()) {
            parsed.error = "option '" + argument + "' needs a value";
            return parsed;
        }
        if (value->has_value()) {
            parsed.error = "option '" + argument + "' is given twice";
            return parsed;
        }
        *value = arguments[++i];
    }
    return parsed;
}

int PrintOnStandardOutput(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "vorlcnv: write error on standard output: %s\n", std::strerror(errno));
        return kInspectWriteError;
    }
    return 0;
}

int Report(int status, const std::string &error)
{
    std::fprintf(stderr, "%s\n", error.c_str());
    return status;
}

// Digits only: a sign, blanks or a suffix are no row number. A number
// too large for any table still is one, and is refused as out of range.
std::optional<uint64_t> RowNumber(const std::string &text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return vorl::common::ClampedMagnitude(vorl::common::ReadNumberText(text), UINT64_MAX);
}

// The item goes to its file through the library's door for outputs: the
// pack and its header are inputs that it never replaces, and a failure
// leaves the previous file as it was.
int WriteItemToFile(const std::string &outName, const OpenedPack &pack, const ItemPlace &place)
{
    auto output = ToLibraryText(outName);
    auto data = ToLibraryText(pack.data.Name());
    auto header = ToLibraryText(pack.header.Name());
    if (!output || !data || !header) {
        return UsageError("a file name has no Shift-JIS (CP932) form");
    }
    std::vector<const char *> inputs = {data->c_str()};
    if (!header->empty()) {
        inputs.push_back(header->c_str());
    }
    inputs.push_back(nullptr);
    VorlFailureReport report{};
    int rc = pack.data.IsHeld() ? VorlWriteOutputFile(output->c_str(), pack.data.Head().data() + place.fileOffset,
                                                      nullptr, 0, place.size, inputs.data(), &report)
                                : VorlWriteOutputFile(output->c_str(), nullptr, data->c_str(), place.fileOffset,
                                                      place.size, inputs.data(), &report);
    if (rc == 0) {
        return 0;
    }
    std::string other = ToTerminalText(std::string(report.input, strnlen(report.input, sizeof report.input)));
    if (report.cause == VORL_CAUSE_OUTPUT_IS_INPUT) {
        return Report(kInspectCannotCreate,
                      "vorlcnv: " + outName + ": is also " +
                          (other == pack.header.Name() && !other.empty() ? "the header file" : "the data file") + " (" +
                          other + "); nothing was written");
    }
    if (rc == VORL_ERR_FILE_NOT_FOUND) {
        return Report(kInspectData,
                      "vorlcnv: " + pack.data.Name() + ": ends before the item does (changed while read?)");
    }
    const char *why = std::strerror(report.oserror != 0 ? report.oserror : EIO);
    // A file that could be made but not filled (a full disk) is a write error.
    bool full =
        report.oserror == ENOSPC || report.oserror == EFBIG || report.oserror == EDQUOT || report.oserror == EIO;
    bool cannotMake = (report.cause == VORL_CAUSE_UNWRITABLE && !full) || report.cause == VORL_CAUSE_NO_FOLDER ||
                      report.cause == VORL_CAUSE_FOLDER;
    return cannotMake ? Report(kInspectCannotCreate, Format("vorlcnv: %s: cannot create: %s", outName.c_str(), why))
                      : Report(kInspectWriteError, Format("vorlcnv: write error on %s: %s", outName.c_str(), why));
}

}  // namespace

int RunListCommand(const std::vector<std::string> &arguments)
{
    Arguments parsed = ParseArguments(arguments, false);
    if (!parsed.error.empty()) {
        return UsageError(parsed.error);
    }
    if (parsed.operands.size() != 1) {
        return UsageError(parsed.operands.empty() ? "--list needs a data file"
                                                  : "unexpected argument '" + parsed.operands[1] + "'");
    }
    OpenedPack pack;
    std::string error;
    if (int status = OpenPackFiles(parsed.operands[0], parsed.header, pack, error); status != 0) {
        return Report(status, error);
    }
    std::string out;
    if (int status = ListPack(pack.bytes, parsed.json, out, error); status != 0) {
        return Report(status, error);
    }
    return PrintOnStandardOutput(out);
}

int RunExtractCommand(const std::vector<std::string> &arguments)
{
    Arguments parsed = ParseArguments(arguments, true);
    if (!parsed.error.empty()) {
        return UsageError(parsed.error);
    }
    if (parsed.operands.size() != 2) {
        return UsageError(parsed.operands.size() < 2 ? "--extract needs a row number and a data file"
                                                     : "unexpected argument '" + parsed.operands[2] + "'");
    }
    std::optional<uint64_t> row = RowNumber(parsed.operands[0]);
    if (!row) {
        return UsageError("'" + parsed.operands[0] + "' is not a row number");
    }
    OpenedPack pack;
    std::string error;
    if (int status = OpenPackFiles(parsed.operands[1], parsed.header, pack, error); status != 0) {
        return Report(status, error);
    }
    ItemPlace place;
    if (int status = LocateItem(pack.bytes, *row, place, error); status != 0) {
        return Report(status, error);
    }
    if (!parsed.output) {
        int status = pack.data.CopyTo(place.fileOffset, place.size, stdout, "standard output", error);
        if (status == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout))) {
            error = Format("vorlcnv: write error on standard output: %s", std::strerror(errno));
            status = kInspectWriteError;
        }
        return status == 0 ? 0 : Report(status, error);
    }
    return WriteItemToFile(*parsed.output, pack, place);
}

}  // namespace vorlcnv
