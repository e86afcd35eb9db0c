#include "argument_check.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "alignment_rule.h"
#include "command_line_options.h"
#include "entry_reference.h"
#include "job_count.h"
#include "number_text.h"
#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {
namespace {

using vorl::options::Option;

// What the usage message shows for an option that needs a value.
std::optional<std::string_view> ValueForm(Option option)
{
    switch (option) {
        case Option::Mode:
            return "-pN";
        case Option::Align:
            return "-aN";
        case Option::Label:
            return "-lTEXT";
        case Option::Header:
            return "-hFILE";
        case Option::Data:
            return "-oFILE";
        case Option::ListFile:
            return "-fFILE";
        default:
            return std::nullopt;
    }
}

bool AllDigits(std::string_view text)
{
    if (text.empty()) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// A decimal number small enough to check; nothing for any other text.
std::optional<int64_t> SmallDecimal(std::string_view text)
{
    if (!AllDigits(text) || text.size() > 9) {
        return std::nullopt;
    }
    return static_cast<int64_t>(vorl::common::ReadNumberText(text).value);
}

// A number of an entry as the library reads it (decimal, 0x hex or 0
// octal, optionally signed), refused unless the library keeps it exactly:
// within 32 bits unsigned, or down to the lowest signed 32-bit value.
bool IsEntryNumber(std::string_view text)
{
    if (text.empty()) {
        return true;  // "name,,alias": no converter
    }
    // Blanks the library would skip are refused all the same: the whole
    // text must be the number.
    auto number = vorl::common::ReadNumberText(text, vorl::common::NumberBase::Prefixed);
    if (vorl::common::IsNumberBlank(text[0]) || !number.digits || number.end != text.size() || number.overflowed ||
        number.value > UINT32_MAX) {
        return false;
    }
    return !number.negative || number.value <= uint64_t{1} << 31;
}

// Why the value of a library option would not be kept as given, or empty.
std::string CheckOptionValue(Option option, const std::string &argument, std::string_view value)
{
    switch (option) {
        case Option::Mode: {
            auto mode = SmallDecimal(value);
            if (!mode || *mode > VORL_INDEX_NONE) {
                return "the index output must be 0, 1, 2 or 3: " + argument;
            }
            return {};
        }
        case Option::Align: {
            auto align = SmallDecimal(value);
            if (!align || !vorl::common::CommandLineKeepsAlignment(*align)) {
                return "the alignment must be " + std::string(vorl::common::kCommandLineAlignments) + ": " + argument;
            }
            return {};
        }
        case Option::Label: {
            auto text = ToLibraryText(value);
            if (!text || text->size() >= VORL_LABEL_SIZE) {
                return "the type and label must fit 127 bytes in Shift-JIS (CP932): " + argument;
            }
            return {};
        }
        case Option::Header:
        case Option::Data:
        case Option::ListFile: {
            auto text = ToLibraryText(value);
            if (!text || text->size() >= VORL_PATH_SIZE) {
                return "the name is too long (259 bytes in Shift-JIS at most) or has no Shift-JIS form: " + argument;
            }
            return {};
        }
        default:
            return {};
    }
}

std::string UnknownOption(const std::string &argument)
{
    // What looks like a file name was probably meant as an entry.
    bool looksLikeFile = argument.find_first_of("./") != std::string::npos;
    return "unknown option: " + argument + (looksLikeFile ? " (an entry that begins with '-' goes after --)" : "");
}

// Checks one argument that begins with "-" before "--".
std::string CheckOption(const std::string &argument, CheckedLine &line)
{
    if (argument == "--help") {
        line.help = true;
        return {};
    }
    if (argument == "--version") {
        line.version = true;
        return {};
    }
    if (argument == "-t" || argument == "-T") {
        return "-t needs its value attached: -t2 or -t4";
    }
    auto option = vorl::options::MatchOption(argument);
    if (!option) {
        return UnknownOption(argument);
    }
    std::string name = argument.substr(0, option->text.size());
    std::string_view value = std::string_view(argument).substr(option->text.size());
    auto form = ValueForm(option->option);
    if (!form) {
        // "-sprite.png" would be "-s" followed by a value the library drops.
        if (!value.empty()) {
            return UnknownOption(argument);
        }
        line.items.push_back({ItemKind::Option, argument});
        return {};
    }
    if (value.empty()) {
        return name + " needs its value attached: " + std::string(*form);
    }
    if (std::string why = CheckOptionValue(option->option, argument, value); !why.empty()) {
        return why;
    }
    if (option->option == Option::ListFile) {
        line.items.push_back({ItemKind::ListFile, std::string(value)});
    } else {
        line.items.push_back({ItemKind::Option, argument});
    }
    return {};
}

// Reads one of vorlcnv's own switches at arguments[i] (moving i past its
// value). False when the argument is none of them; `error` is set when it
// is one with a wrong or missing value.
bool ReadSharedSwitch(const std::vector<std::string> &arguments, size_t &i, SharedSwitches &shared, std::string &error)
{
    const std::string &argument = arguments[i];
    auto next = [&](const char *form) -> std::optional<std::string> {
        if (i + 1 >= arguments.size()) {
            error = argument + " needs a value: " + form;
            return std::nullopt;
        }
        return arguments[++i];
    };
    // The folder options also take their value after "=", as the project
    // mode's options do.
    auto folderOption = [&](const char *name, const char *form) -> std::optional<std::string> {
        const std::string prefix = std::string(name) + "=";
        if (argument.rfind(prefix, 0) == 0) {
            return argument.substr(prefix.size());
        }
        return next(form);
    };
    auto isFolderOption = [&](const char *name) {
        return argument == name || argument.rfind(std::string(name) + "=", 0) == 0;
    };
    if (argument == "-q" || argument == "--quiet") {
        shared.quiet = true;
    } else if (argument == "--verify") {
        shared.verify = true;
    } else if (argument == "--depfile") {
        if (auto value = next("--depfile FILE")) {
            shared.depfile = *value;
        }
    } else if (argument == "--depfile-target") {
        if (auto value = next("--depfile-target NAME")) {
            if (value->empty()) {
                error = "--depfile-target needs a name: --depfile-target NAME";
            }
            shared.depfileTargets.push_back(*value);
        }
    } else if (isFolderOption("--workdir")) {
        if (auto value = folderOption("--workdir", "--workdir DIR")) {
            shared.workdir = *value;
            shared.hasWorkdir = true;
        }
    } else if (isFolderOption("--directory")) {
        if (auto value = folderOption("--directory", "--directory DIR")) {
            shared.directory = *value;
            if (value->empty()) {
                error = "--directory needs a folder: --directory DIR";
            }
        }
    } else if (argument == "--cache") {
        if (auto value = next("--cache DIR")) {
            shared.cache = *value;
            if (shared.cache.empty()) {
                error = "--cache needs a folder: --cache DIR";
            }
        }
    } else if (argument == "--jobs" || argument.rfind("-j", 0) == 0 || argument.rfind("-J", 0) == 0) {
        bool attached = argument != "--jobs";
        std::string value = attached ? argument.substr(2) : (i + 1 < arguments.size() ? arguments[++i] : "");
        auto jobs = SmallDecimal(value);
        if (!jobs) {
            error = attached ? "-j needs its number attached: -jN (0: one per core)"
                             : "--jobs needs a number: --jobs N (0: one per core)";
        } else {
            shared.jobs = static_cast<int>(*jobs);
        }
    } else {
        return false;
    }
    return true;
}

// The alignment a line converts with must suit its mode, and either may come
// last: the values that count are the last of each.
std::string CheckAlignmentForMode(const std::vector<LineItem> &items)
{
    std::optional<int64_t> mode;
    std::optional<int64_t> align;
    const std::string *alignArgument = nullptr;
    for (const LineItem &item : items) {
        auto option = item.kind == ItemKind::Option ? vorl::options::MatchOption(item.text) : std::nullopt;
        if (!option) {
            continue;
        }
        std::string_view value = std::string_view(item.text).substr(option->text.size());
        if (option->option == Option::Mode) {
            mode = SmallDecimal(value);
        } else if (option->option == Option::Align) {
            align = SmallDecimal(value);
            alignArgument = &item.text;
        }
    }
    if (!mode || !align || vorl::common::CommandLineTakesAlignment(static_cast<int32_t>(*mode), *align)) {
        return {};
    }
    return "with -p" + std::to_string(*mode) + " the alignment must be " +
           std::string(vorl::common::CommandLineAlignmentsOf(static_cast<int32_t>(*mode))) + ": " + *alignArgument;
}

}  // namespace

std::string EscapedForMessage(std::string_view text)
{
    static const char kHex[] = "0123456789abcdef";
    std::string shown;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (byte < ' ' || byte == 0x7F) {
            shown += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string CheckConverterField(std::string_view entry)
{
    size_t firstComma = entry.find(',');
    if (firstComma == std::string_view::npos) {
        return {};
    }
    std::string_view rest = entry.substr(firstComma + 1);
    std::string_view converter = rest.substr(0, rest.find(','));
    if (!IsEntryNumber(converter)) {
        return "the converter of an entry is not a number: " + EscapedForMessage(entry);
    }
    // Only a file takes a converter: an unused entry and a reference keep
    // none, whatever the field says.
    std::string_view name = entry.substr(0, firstComma);
    if (name.empty() || vorl::common::IsCommandLineReference(name)) {
        return {};
    }
    auto number = vorl::common::ReadNumberText(converter, vorl::common::NumberBase::Prefixed);
    if (number.value == 0) {
        return {};
    }
    // The library reads the field as strtoul does: "-1" names no slot 1.
    uint64_t slot = number.negative ? UINT64_MAX : number.value;
    // The command line has no option that sets a converter's command: every
    // slot it could name is empty and would fail only once the run is on.
    constexpr const char *kSlots = "slots are 1 to 4, and only those the command line sets; it sets none";
    if (slot <= VORL_SLOT_COUNT) {
        return "the converter field names slot " + std::to_string(slot) + ", which the command line does not set (" +
               kSlots + "): " + EscapedForMessage(entry);
    }
    return "the converter field names no converter slot (" + std::string(kSlots) + "): " + EscapedForMessage(entry);
}

std::string CheckEntry(std::string_view entry)
{
    if (std::string why = CheckConverterField(entry); !why.empty()) {
        return why;
    }
    size_t firstComma = entry.find(',');
    size_t secondComma = firstComma == std::string_view::npos ? firstComma : entry.find(',', firstComma + 1);
    std::string_view alias = secondComma == std::string_view::npos ? std::string_view() : entry.substr(secondComma + 1);
    if (!IsEntryNumber(alias)) {
        return "the alias of an entry is not a number that fits 32 bits: " + EscapedForMessage(entry);
    }
    return {};
}

CheckedLine CheckLineArguments(const std::vector<std::string> &arguments)
{
    CheckedLine line;
    bool optionsEnded = false;
    bool modeGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        bool isOption = !optionsEnded && !argument.empty() && argument[0] == '-';
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (isOption && ReadSharedSwitch(arguments, i, line.shared, line.error)) {
            if (!line.error.empty()) {
                return line;
            }
            continue;
        }
        if (argument.find_first_of("\r\n") != std::string::npos) {
            // A list line ends at a line end: in any list this would be two
            // entries, and no route to the library carries one.
            line.error = std::string(isOption ? "an option" : "an entry") +
                         " cannot hold a line break (CR or LF): " + EscapedForMessage(argument);
            return line;
        }
        if (isOption) {
            line.error = CheckOption(argument, line);
            auto option = vorl::options::MatchOption(argument);
            modeGiven = modeGiven || (option && option->option == Option::Mode);
        } else {
            line.error = CheckEntry(argument);
            bool needsList = (!argument.empty() && argument[0] == '-') || argument.find('"') != std::string::npos;
            line.items.push_back({ItemKind::Entry, argument, needsList});
        }
        if (!line.error.empty() || line.help || line.version) {
            return line;
        }
    }
    if (!modeGiven) {
        line.error =
            "the index output is required: -p0 (in the data file), -p1 (C header), -p2 (binary "
            "header) or -p3 (none)";
        return line;
    }
    line.error = CheckAlignmentForMode(line.items);
    if (line.error.empty()) {
        line.error = CheckSharedSwitches(line.shared);
    }
    return line;
}

std::string CheckSharedSwitches(const SharedSwitches &shared)
{
    if (!shared.depfileTargets.empty() && shared.depfile.empty()) {
        return "--depfile-target names the targets of a dependency file: give --depfile FILE too";
    }
    return {};
}

int ChooseJobs(int option, std::string &error)
{
    int jobs = option;
    if (jobs < 0) {
        const char *variable = std::getenv("VORL_JOBS");
        if (variable == nullptr || *variable == '\0') {
            return 1;
        }
        auto value = SmallDecimal(variable);
        if (!value) {
            error = std::string("VORL_JOBS must be a number (0: one per core): ") + variable;
            return -1;
        }
        jobs = static_cast<int>(*value);
    }
    return vorl::common::JobsToRun(jobs);
}

std::optional<uint64_t> ParseByteSize(std::string_view text)
{
    int shift = 0;
    if (!text.empty()) {
        switch (text.back()) {
            case 'K':
            case 'k':
                shift = 10;
                break;
            case 'M':
            case 'm':
                shift = 20;
                break;
            case 'G':
            case 'g':
                shift = 30;
                break;
            default:
                break;
        }
    }
    std::string_view digits = shift != 0 ? text.substr(0, text.size() - 1) : text;
    if (!AllDigits(digits) || digits.size() > 15) {
        return std::nullopt;
    }
    const uint64_t number = vorl::common::ReadNumberText(digits).value;
    // A size whose bytes do not fit 64 bits is no size.
    if (number > (UINT64_MAX >> shift)) {
        return std::nullopt;
    }
    return number << shift;
}

bool ChooseCache(const std::string &option, CacheChoice &choice, std::string &error)
{
    const char *folder = std::getenv("VORL_CACHE_DIR");
    choice.folder = !option.empty() ? option : (folder != nullptr ? folder : "");
    const char *limit = std::getenv("VORL_CACHE_MAX");
    if (choice.folder.empty() || limit == nullptr || *limit == '\0') {
        return true;
    }
    auto bytes = ParseByteSize(limit);
    if (!bytes || *bytes == 0) {
        error = std::string("VORL_CACHE_MAX must be a size in bytes, or with K, M or G: ") + limit;
        return false;
    }
    choice.limit = *bytes;
    return true;
}

bool ChoosesProjectMode(const std::vector<std::string> &arguments)
{
    // The first argument that is none of the switches both modes share.
    SharedSwitches ignored;
    std::string error;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (!ReadSharedSwitch(arguments, i, ignored, error)) {
            return IsProjectModeOption(arguments[i]);
        }
    }
    return false;
}

bool IsProjectModeOption(const std::string &argument)
{
    for (std::string_view name : {"--project", "--data", "--header"}) {
        if (argument == name || argument.rfind(std::string(name) + "=", 0) == 0) {
            return true;
        }
    }
    return false;
}

ProjectArguments CheckProjectArguments(const std::vector<std::string> &arguments)
{
    ProjectArguments args;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (ReadSharedSwitch(arguments, i, args.shared, args.error)) {
            if (!args.error.empty()) {
                return args;
            }
            continue;
        }
        std::string name = arguments[i];
        std::string value;
        size_t equals = name.find('=');
        if (name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        } else if (IsProjectModeOption(name)) {
            if (i + 1 >= arguments.size()) {
                args.error = name + " needs a value: " + name + " VALUE";
                return args;
            }
            value = arguments[++i];
        }
        if (name == "--project") {
            args.project = value;
        } else if (name == "--data") {
            args.data = value;
        } else if (name == "--header") {
            args.header = value;
            args.hasHeader = true;
        } else {
            args.error = "unknown option in project mode: " + arguments[i];
            return args;
        }
    }
    if (args.project.empty() || args.data.empty()) {
        args.error = "project mode needs --project FILE and --data NAME";
    } else {
        args.error = CheckSharedSwitches(args.shared);
    }
    return args;
}

}  // namespace vorlcnv
