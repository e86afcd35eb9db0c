#include "command_arguments.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "alignment_rule.h"
#include "command_line_options.h"
#include "default_header_id.h"
#include "directory_listing.h"
#include "entry_reference.h"
#include "file_system.h"
#include "file_trouble.h"
#include "fixed_text.h"
#include "host_file.h"
#include "list_file_size.h"
#include "number_text.h"
#include "path_rules.h"
#include "text_file.h"
#include "value_widths.h"

namespace vorl {
namespace {

constexpr size_t kListLineLimit = 1023;

using options::MatchOption;
using options::Option;

void SetDefaults(VorlInformation &info)
{
    info.dataalign = 1;
    info.indexout = -1;
    info.indexnum = 0;
    info.indexmode = 0;
    info.pathmode = 1;
    info.indexinterval = 1;
    info.skipnofile = 0;
    info.version = VORL_PRJ_VERSION;
    info.usealias = 0;
    info.indexbyte = 4;
    info.changeendian = 0;
    StoreFieldText(info.datafile, options::kDefaultDataFile);
    StoreFieldText(info.headerfile, options::kDefaultHeaderFile);
    StoreDefaultHeaderId(info.headerid);
}

// A number of an entry argument, read as strtoul with base 0 reads it
// where unsigned long has 64 bits, on every host alike, so that one line
// gives the same records wherever it is packed.
uint32_t EntryNumber(std::string_view text)
{
    return static_cast<uint32_t>(common::SaturatedUnsigned(common::ReadNumberText(text, common::NumberBase::Prefixed)));
}

void AppendRecord(CommandLineState &state, const std::string &name, uint32_t convert, uint64_t size,
                  uint64_t storedSize, uint32_t alias, bool used)
{
    std::string &out = state.records;
    out += used ? "#TRUE#\n" : "#FALSE#\n";
    out += "\"" + name + "\"\n";
    out += std::to_string(convert) + "\n";
    out += "\"\"\n";
    out += std::to_string(static_cast<uint32_t>(size)) + "\n";
    out += std::to_string(static_cast<uint32_t>(storedSize)) + "\n";
    out += "#FALSE#\n";
    out += std::to_string(alias) + "\n";
}

// The first regular file matching `pattern` (a name that may hold
// wildcards), as the folder part of the pattern followed by the name the
// folder lists. Names with control characters cannot be written into a
// record line and are passed over.
//
// `unusable` is set when no file is found because one that is there cannot
// be read: the name itself (a folder, a pipe, no permission) or, for a
// wildcard, its folder. That is no missing file, and it is never skipped.
std::optional<std::pair<std::string, uint64_t>> FindFile(std::string_view pattern, const ConversionContext &context,
                                                         bool &unusable)
{
    unusable = false;
    // The folder ends at the last separator that starts a character: the
    // second byte of 表 or ソ is 0x5C and no separator.
    size_t separator = host::HostRules().LastSeparator(pattern);
    size_t split = separator == std::string_view::npos ? 0 : separator + 1;
    std::string_view folder = pattern.substr(0, split);
    std::string_view namePattern = pattern.substr(split);
    // A file with exactly this name is that file, even when its name holds
    // "*" or "?": a list of real names must never pack another file.
    if (auto length = host::RegularFileLength(pattern)) {
        return std::make_pair(std::string(pattern), static_cast<uint64_t>(*length));
    }
    if (host::WhyNotReadable(pattern).kind != host::TroubleKind::Missing) {
        unusable = true;
        context.NoteInput(pattern);
        return std::nullopt;
    }
    if (namePattern.find_first_of("*?") == std::string_view::npos) {
        context.NoteMissing(pattern);
        return std::nullopt;
    }
    int error = 0;
    auto listing = host::ListDirectory(folder, namePattern, &error);
    if (!listing) {
        if (error != ENOENT && error != ENOTDIR) {
            unusable = true;
            context.NoteFile(folder.empty() ? std::string_view(".") : folder, VORL_CAUSE_UNREADABLE, error);
        } else {
            context.NoteMissing(pattern);
        }
        return std::nullopt;
    }
    // The folder's listing decides which file a wildcard takes.
    context.NoteRead(folder.empty() ? std::string_view(".") : folder, VORL_READ_FOLDER);
    for (const auto &entry : *listing) {
        bool writable = std::none_of(entry.name.begin(), entry.name.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < ' '; });
        if (!entry.isDirectory && writable) {
            return std::make_pair(std::string(folder) + entry.name, static_cast<uint64_t>(entry.size));
        }
    }
    return std::nullopt;
}

int ApplyListFile(VorlInformation &info, CommandLineState &state, std::string_view listFile)
{
    std::unique_ptr<host::TextReader> reader = host::TextReader::Open(listFile, common::kLargestListFile);
    if (!reader) {
        auto length = host::RegularFileLength(listFile);
        if (length && static_cast<uint64_t>(*length) > common::kLargestListFile) {
            state.reporter.NoteFile(listFile, VORL_CAUSE_UNREADABLE, EFBIG);
        } else {
            state.reporter.NoteInput(listFile);
        }
        return VORL_ERR_FILE_NOT_FOUND;
    }
    state.reporter.NoteRead(listFile, VORL_READ_LIST);
    std::string line;
    int32_t lineNumber = 1;
    while (reader->ReadLimitedLine(line, kListLineLimit)) {
        // The rest of a line longer than the limit is read as the next
        // entry, from the same line of the list.
        bool lineEnds = line.back() == '\n';
        // The line end and any control characters before it; bytes from
        // 0x80 on are the end of a CP932 name and stay.
        while (!line.empty() && static_cast<unsigned char>(line.back()) < ' ') {
            line.pop_back();
        }
        state.next.listFile = listFile;
        state.next.line = lineNumber;
        if (int rc = WriteEntryRecord(info, state, line); rc != VORL_OK) {
            return rc;
        }
        lineNumber += lineEnds ? 1 : 0;
    }
    state.next = EntryOrigin();
    // A list cut short by a read error would pack fewer entries in silence.
    if (reader->Failed()) {
        state.reporter.NoteFile(listFile, VORL_CAUSE_UNREADABLE);
        return VORL_ERR_FILE_NOT_FOUND;
    }
    return VORL_OK;
}

int ApplyArgument(VorlInformation &info, CommandLineState &state, std::string_view argument)
{
    auto option = MatchOption(argument);
    if (!option) {
        return WriteEntryRecord(info, state, argument);
    }
    std::string_view value = argument.substr(option->text.size());
    switch (option->option) {
        case Option::Mode:
            info.indexout = options::OutputModeOf(value);
            break;
        case Option::Align:
            info.dataalign = common::CommandLineAlignment(common::DecimalValue(value));
            break;
        case Option::IndexMark:
            info.indexmode = 1;
            break;
        case Option::RunningOffsets:
            info.indexmode = 0;
            break;
        case Option::Skip:
            info.skipnofile = 1;
            break;
        case Option::NoSkip:
            info.skipnofile = 0;
            break;
        case Option::Alias:
            state.aliasTable = true;
            break;
        case Option::NoAlias:
            state.aliasTable = false;
            info.usealias = 0;
            break;
        case Option::BigEndian:
            info.changeendian = 1;
            break;
        case Option::LittleEndian:
            info.changeendian = 0;
            break;
        case Option::Width2:
            info.indexbyte = 2;
            break;
        case Option::Width4:
            info.indexbyte = 4;
            break;
        case Option::Label:
            if (!value.empty() && value.size() < VORL_LABEL_SIZE) {
                state.labelText = value;
            }
            break;
        case Option::Header:
            if (!value.empty()) {
                StoreFieldText(info.headerfile, value);
            }
            break;
        case Option::Data:
            if (!value.empty()) {
                StoreFieldText(info.datafile, value);
            }
            break;
        case Option::ListFile:
            return ApplyListFile(info, state, value);
    }
    return VORL_OK;
}

// The label text splits at its last blank into the type of the index
// width and the label; without a blank it is the label alone.
void PlaceLabelText(VorlInformation &info, const std::string &text)
{
    size_t blank = text.rfind(' ');
    if (blank == std::string::npos) {
        StoreFieldText(info.label, text);
        return;
    }
    // The command line gives widths 2 and 4 only, each with its slot.
    if (int slot = common::TypeSlotOf(info.indexbyte); slot >= 0) {
        StoreFieldText(info.type[slot], std::string_view(text).substr(0, blank));
    }
    StoreFieldText(info.label, std::string_view(text).substr(blank + 1));
}

}  // namespace

int WriteEntryRecord(VorlInformation &info, CommandLineState &state, std::string_view argument)
{
    size_t firstComma = argument.find(',');
    std::string_view name = argument.substr(0, firstComma);
    state.next.entry = name;
    auto failed = [&](int code) {
        state.reporter.NoteRow(info.indexnum, name, state.next.listFile, state.next.line);
        return code;
    };
    // A list longer than the table is refused as soon as it is seen.
    if (info.indexnum >= VORL_MAX_ENTRIES) {
        return failed(VORL_ERR_TOO_MANY_FILES);
    }
    uint32_t convert = 0;
    uint32_t alias = 0;
    bool unusable = false;
    if (firstComma != std::string_view::npos) {
        std::string_view rest = argument.substr(firstComma + 1);
        size_t secondComma = rest.find(',');
        convert = EntryNumber(rest.substr(0, secondComma));
        if (secondComma != std::string_view::npos) {
            alias = EntryNumber(rest.substr(secondComma + 1));
        }
    }
    if (name.empty()) {
        AppendRecord(state, "", 0, 0, 0, 0, false);
    } else if (common::IsCommandLineReference(name)) {
        if (int64_t row = common::CommandLineReferencedRow(name); row >= 0) {
            if (row >= info.indexnum) {
                return failed(VORL_ERR_FORWARD_REFERENCE);
            }
            AppendRecord(state, common::ReferenceTo(row), 0, 0, 0, alias, true);
        } else {
            AppendRecord(state, "", 0, 0, 0, 0, false);
        }
    } else if (auto found = FindFile(name, state.reporter, unusable);
               found && found->first.size() + 2 >= VORL_PATH_SIZE) {
        // The file is there, but its name does not fit the record's field:
        // a cut name would be another file, and skipping is only for a
        // file that is not there.
        state.reporter.NoteFile(found->first, VORL_CAUSE_NAME_TOO_LONG, ENAMETOOLONG);
        return failed(VORL_ERR_FILE_NOT_FOUND);
    } else if (found) {
        // A record's name that begins with "*" is a reference: a file whose
        // own name begins so is written with "./" in front.
        if (common::IsReference(found->first)) {
            found->first.insert(0, 1, '.');
            found->first.insert(1, 1, host::HostRules().joinSeparator);
        }
        // The size rounded up with the mask the record format prescribes: a
        // true round-up only for an alignment that is a power of two (the
        // only kind the binary index can state). For any other, such as
        // -a12, the stored size is what the mask makes of it, as the format
        // asks; it is not a multiple of the alignment.
        uint32_t align = static_cast<uint32_t>(info.dataalign);
        uint32_t stored = (static_cast<uint32_t>(found->second) + align - 1) & (0u - align);
        AppendRecord(state, found->first, convert, found->second, stored, alias, true);
    } else if (unusable) {
        return failed(VORL_ERR_FILE_NOT_FOUND);  // noted where it was found
    } else if (info.skipnofile == 1) {
        AppendRecord(state, "", 0, 0, 0, 0, false);
    } else {
        state.reporter.NoteInput(name);
        return failed(VORL_ERR_FILE_NOT_FOUND);
    }
    state.origins.push_back(state.next);
    ++info.indexnum;
    return VORL_OK;
}

int ParseCommandArguments(VorlInformation &info, const std::vector<std::string> &arguments,
                          std::vector<EntryOrigin> *origins, const ConversionContext &reporter)
{
    SetDefaults(info);
    CommandLineState state;
    state.reporter = reporter;
    for (const std::string &argument : arguments) {
        if (int rc = ApplyArgument(info, state, argument); rc != VORL_OK) {
            return rc;
        }
    }
    if (origins != nullptr) {
        *origins = std::move(state.origins);
    }
    if (info.indexnum == 0 || info.indexout < 0) {
        return VORL_ERR_NO_INDEX;
    }
    if (state.aliasTable) {
        info.usealias = info.indexbyte;
    }
    PlaceLabelText(info, state.labelText);

    std::string path = std::string(FieldText(info.workdir)) + "vorlproj.tmp";
    errno = 0;
    if (!host::ReplaceFileContents(path, state.records)) {
        reporter.NoteTemporary(path, errno);
        return VORL_ERR_TEMP_FILE;
    }
    std::unique_ptr<host::TextReader> reader = host::TextReader::Open(path);
    if (!reader) {
        reporter.NoteTemporary(path, errno);
        return VORL_ERR_TEMP_FILE;
    }
    info.prjstream = reader.release();
    return VORL_OK;
}

}  // namespace vorl
