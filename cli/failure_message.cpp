#include "failure_message.h"

#include <cstring>

#include "message_language.h"
#include "terminal_text.h"

namespace vorlcnv {
namespace {

// The library's message on one line, without its line ends.
std::string LibraryMessage(int code)
{
    char message[512] = {};
    std::string text;
    if (vorl::common::ProgramLanguage() == vorl::common::MessageLanguage::English) {
        if (VorlGetMessageText(code, "en", message, sizeof message) < 0) {
            return "unknown error";
        }
        text = message;
    } else {
        if (VorlGetErrorStrings(code, message, sizeof message) != 0) {
            return "unknown error";
        }
        text = ToTerminalText(message);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    for (char &c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

std::string SystemError(int osError, const char *otherwise)
{
    return osError != 0 ? std::strerror(osError) : otherwise;
}

// Why, in English, beyond what the library's message says.
std::string Reason(const VorlFailureReport &report)
{
    switch (report.cause) {
        case VORL_CAUSE_FOLDER:
            return "is a folder";
        case VORL_CAUSE_UNREADABLE:
            return SystemError(report.oserror, "cannot be read");
        case VORL_CAUSE_EMPTY:
            return "is empty";
        case VORL_CAUSE_UNWRITABLE:
            return SystemError(report.oserror, "cannot be written");
        case VORL_CAUSE_NO_FOLDER:
            return "its folder does not exist";
        case VORL_CAUSE_NOT_A_FILE:
            return "is a pipe or a device, not a file";
        case VORL_CAUSE_OUTPUT_IS_INPUT:
            return "is also one of the inputs";
        case VORL_CAUSE_NAME_TOO_LONG:
            return "the name, made absolute, is longer than " + std::to_string(VORL_PATH_SIZE - 1) +
                   " bytes in Shift-JIS";
        case VORL_CAUSE_CONVERTER:
            if (report.status > 0) {
                return "the converter ended with status " + std::to_string(report.status);
            }
            return report.status == 0 ? "the converter wrote no output" : "the converter was ended by a signal";
        default:
            return {};
    }
}

const ListSource *FindList(const std::vector<ListSource> &lists, const std::string &libraryName)
{
    for (const ListSource &list : lists) {
        if (!libraryName.empty() && list.libraryName == libraryName) {
            return &list;
        }
    }
    return nullptr;
}

// Which output of the run `name` is: the first that has the name, or the
// last one when `last`; empty when none has it.
std::string OutputRole(const std::string &name, const RunFileNames *names, bool last)
{
    if (names == nullptr) {
        return {};
    }
    const std::pair<const std::string *, const char *> roles[] = {
        {&names->data, "the data file"}, {&names->header, "the header file"}, {&names->depfile, "the dependency file"}};
    std::string found;
    for (const auto &[given, role] : roles) {
        if (!given->empty() && *given == name) {
            found = role;
            if (!last) {
                break;
            }
        }
    }
    return found;
}

// What the other file of a refused output is to this run, and its name
// where the user gave it another one.
std::string OtherFileOfRun(const VorlFailureReport &report, const std::vector<ListSource> &lists,
                           const RunFileNames *names)
{
    std::string other = ToTerminalText(FieldOf(report.input));
    std::string libraryOther(FieldOf(report.input));
    std::string role;
    if (report.cause == VORL_CAUSE_OUTPUT_TWICE) {
        // The other output is the earlier one, in the order data, header,
        // dependency file.
        role = OutputRole(other, names, false);
    } else if (names != nullptr && !names->project.empty() && other == names->project) {
        role = "the project file";
    } else if (const ListSource *list = FindList(lists, libraryOther)) {
        role = "the list file";
        other = list->userList.empty() ? other : list->userList;
    } else {
        for (const ListSource &list : lists) {
            if (!list.userList.empty() && other == list.userList) {
                role = "the list file";
            }
        }
    }
    if (role.empty() && report.row >= 0) {
        role = "the input of entry " + std::to_string(report.row);
    }
    if (role.empty()) {
        role = report.cause == VORL_CAUSE_OUTPUT_TWICE ? "another output of this run" : "an input of this run";
    }
    std::string output = ToTerminalText(FieldOf(report.file));
    std::string outputRole = OutputRole(output, names, report.cause == VORL_CAUSE_OUTPUT_TWICE);
    return (outputRole.empty() ? std::string("it") : outputRole) + " is also " + role + " (" + other +
           "); nothing was written";
}

// The causes that concern a row's settings rather than a file: the row is
// named in the reason, not in front of the message.
bool ConcernsRow(const VorlFailureReport &report)
{
    switch (report.cause) {
        case VORL_CAUSE_INDEX_VALUE:
        case VORL_CAUSE_ALIAS_VALUE:
        case VORL_CAUSE_CONVERTER_SLOT:
        case VORL_CAUSE_NAME_TOO_LONG:
            return report.row >= 0;
        default:
            return false;
    }
}

std::string RowName(const VorlFailureReport &report, int32_t rowCount)
{
    if (rowCount > 0 && report.row >= rowCount) {
        return "the end entry after entry " + std::to_string(rowCount - 1) + " (where the data ends)";
    }
    std::string name = ToTerminalText(FieldOf(report.input));
    if (name.empty()) {
        name = ToTerminalText(FieldOf(report.file));
    }
    std::string row = "entry " + std::to_string(report.row);
    return name.empty() ? row : row + " (" + name + ")";
}

// The setting that gives a width of `bytes`: on a command line the index
// width is -t2 or -t4, and -e makes an alias table of the index's width; a
// project sets both widths itself, 1 to 8 bytes.
std::string WidthThatHolds(int32_t bytes, bool alias, bool project)
{
    const char *what = alias ? "alias" : "index";
    if (bytes <= 0) {
        return std::string("no ") + what + " width holds it";
    }
    std::string width = std::to_string(bytes) + "-byte " + what;
    if (project) {
        return "a project with a " + width + " holds it";
    }
    if (bytes == 2 || bytes == 4) {
        std::string option = "-t" + std::to_string(bytes);
        return (alias ? option + " with -e" : option) + " holds it";
    }
    return "a " + width + " holds it, which only a project sets";
}

std::string RowReason(const VorlFailureReport &report, bool project, int32_t neededBytes, int32_t rowCount)
{
    std::string row = RowName(report, rowCount);
    switch (report.cause) {
        case VORL_CAUSE_INDEX_VALUE:
            return row +
                   ": its index value does not fit the index width, or equals the no-data value (all ones) of "
                   "that width; " +
                   WidthThatHolds(neededBytes, false, project);
        case VORL_CAUSE_ALIAS_VALUE:
            return row + ": its alias does not fit the alias width; " + WidthThatHolds(neededBytes, true, project);
        case VORL_CAUSE_CONVERTER_SLOT:
            return row + (project ? ": its converter field names no converter: 0, or a slot from 1 to 4 that holds a "
                                    "command"
                                  : ": its converter field is not 0 (the command line has no converters)");
        case VORL_CAUSE_NAME_TOO_LONG:
            return row + ": the name, made absolute, is longer than " + std::to_string(VORL_PATH_SIZE - 1) +
                   " bytes in Shift-JIS";
        default:
            return {};
    }
}

// Where staging failed: the folder of the temporary file (-8), or the
// folder the working directory was to be made in (-18).
std::string StagingReason(int code, const VorlFailureReport &report)
{
    std::string file = ToTerminalText(FieldOf(report.file));
    std::string folder = file;
    if (code == VORL_ERR_TEMP_FILE && !file.empty() && file.back() != '/') {
        size_t slash = file.rfind('/');
        folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    }
    std::string why = report.oserror != 0 ? std::strerror(report.oserror) : std::string("it failed");
    if (folder.empty()) {
        return why;
    }
    return (code == VORL_ERR_WORK_DIRECTORY ? "no working folder can be made in " : "writing in the folder ") + folder +
           ": " + why;
}

}  // namespace

std::string DescribeFailure(int code, const VorlFailureReport *report, const std::vector<ListSource> &lists,
                            const RunFileNames *names, int32_t neededBytes, int32_t rowCount)
{
    std::string text = "vorlcnv: ";
    std::string why;
    const bool staging = code == VORL_ERR_TEMP_FILE || code == VORL_ERR_WORK_DIRECTORY;
    if (report != nullptr && staging && (report->file[0] != '\0' || report->oserror != 0)) {
        return text + LibraryMessage(code) + " (error " + std::to_string(-code) + ": " + StagingReason(code, *report) +
               ")";
    }
    if (report != nullptr &&
        (report->cause == VORL_CAUSE_OUTPUT_IS_INPUT || report->cause == VORL_CAUSE_OUTPUT_TWICE)) {
        std::string output = ToTerminalText(FieldOf(report->file));
        return text + output + ": " + LibraryMessage(code) + " (error " + std::to_string(-code) + ": " +
               OtherFileOfRun(*report, lists, names) + ")";
    }
    if (report != nullptr) {
        std::string listName(FieldOf(report->listfile));
        std::string fileName(FieldOf(report->file));
        const ListSource *list = FindList(lists, listName);
        if (list != nullptr && list->userList.empty()) {
            // One of vorlcnv's own lists: its lines are the user's arguments.
        } else if (list != nullptr) {
            text += list->userList + ":" + std::to_string(report->line) + ": ";
        } else if (!listName.empty()) {
            text += ToTerminalText(listName) + ":" + std::to_string(report->line) + ": ";
        }
        std::string name = ToTerminalText(FieldOf(report->file));
        const bool rowSetting = ConcernsRow(*report);
        if (rowSetting) {
            name.clear();
        } else if (const ListSource *named = FindList(lists, fileName)) {
            name = named->userList.empty() ? "(a temporary list of vorlcnv)" : named->userList;
        } else if (name.empty()) {
            name = ToTerminalText(FieldOf(report->input));
        }
        if (!name.empty()) {
            text += name + ": ";
        }
        const bool project = names != nullptr && !names->project.empty();
        why = rowSetting ? RowReason(*report, project, neededBytes, rowCount) : Reason(*report);
    }
    text += LibraryMessage(code) + " (error " + std::to_string(-code);
    if (!why.empty()) {
        text += ": " + why;
    }
    return text + ")";
}

}  // namespace vorlcnv
