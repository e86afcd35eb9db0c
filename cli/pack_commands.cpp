#include "pack_commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "exit_status.h"
#include "message_format.h"
#include "number_text.h"
#include "pack_contents.h"
#include "pack_files.h"
#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {
namespace {

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

int Report(int status, const std::string &error)
{
    SayOnStandardError(error + "\n");
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

// The row as the user wrote it, without its leading zeros, so that a
// number beyond 64 bits is not shown as the largest one that fits.
std::string RowText(const std::string &digits)
{
    size_t first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    return digits.substr(first);
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
    std::string other = ToTerminalText(FieldOf(report.input));
    if (report.cause == VORL_CAUSE_OUTPUT_IS_INPUT) {
        return Report(kCannotCreate,
                      "vorlcnv: " + outName + ": is also " +
                          (other == pack.header.Name() && !other.empty() ? "the header file" : "the data file") + " (" +
                          other + "); nothing was written");
    }
    if (rc == VORL_ERR_FILE_NOT_FOUND) {
        return Report(kDataError, "vorlcnv: " + pack.data.Name() + ": ends before the item does (changed while read?)");
    }
    const char *why = std::strerror(report.oserror != 0 ? report.oserror : EIO);
    // A file that could be made but not filled (a full disk) is a write error.
    bool full =
        report.oserror == ENOSPC || report.oserror == EFBIG || report.oserror == EDQUOT || report.oserror == EIO;
    bool cannotMake = (report.cause == VORL_CAUSE_UNWRITABLE && !full) || report.cause == VORL_CAUSE_NO_FOLDER ||
                      report.cause == VORL_CAUSE_FOLDER;
    return cannotMake ? Report(kCannotCreate, Format("vorlcnv: %s: cannot create: %s", outName.c_str(), why))
                      : Report(kIoError, Format("vorlcnv: write error on %s: %s", outName.c_str(), why));
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
    // JSON is UTF-8 whatever the terminal takes.
    return parsed.json ? PrintBytesOnStandardOutput(out) : PrintOnStandardOutput(out);
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
    if (int status = LocateItem(pack.bytes, *row, place, error, RowText(parsed.operands[0])); status != 0) {
        return Report(status, error);
    }
    if (!parsed.output) {
        if (int status = pack.data.CopyTo(place.fileOffset, place.size, stdout, "standard output", error);
            status != 0) {
            return Report(status, error);
        }
        return FinishStandardOutput();
    }
    return WriteItemToFile(*parsed.output, pack, place);
}

}  // namespace vorlcnv
