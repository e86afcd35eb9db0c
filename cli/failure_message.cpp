#include "failure_message.h"

#include <cstring>

#include "terminal_text.h"

namespace vorlcnv {
namespace {

// The library's message on one line, without its line ends.
std::string LibraryMessage(int code)
{
    char message[256] = {};
    if (VorlGetErrorStrings(code, message, sizeof message) != 0) {
        return "unknown error";
    }
    std::string text = ToTerminalText(message);
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

}  // namespace

std::string DescribeFailure(int code, const VorlFailureReport *report, const std::vector<ListSource> &lists,
                            const RunFileNames *names)
{
    std::string text = "vorlcnv: ";
    std::string why;
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
        if (const ListSource *named = FindList(lists, fileName)) {
            name = named->userList.empty() ? "(a temporary list of vorlcnv)" : named->userList;
        } else if (name.empty()) {
            name = ToTerminalText(FieldOf(report->input));
        }
        if (!name.empty()) {
            text += name + ": ";
        }
        why = Reason(*report);
    }
    text += LibraryMessage(code) + " (error " + std::to_string(-code);
    if (!why.empty()) {
        text += ": " + why;
    }
    return text + ")";
}

}  // namespace vorlcnv
