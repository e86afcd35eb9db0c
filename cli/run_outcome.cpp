#include "run_outcome.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "ambiguous_names.h"
#include "exit_status.h"
#include "inherited_descriptor.h"
#include "terminal_text.h"

namespace vorlcnv {
namespace {

int Fail(int code, const Conversion &run, const RunFileNames &names)
{
    const VorlConvertOptions &options = run.options;
    std::string message =
        DescribeFailure(code, &options.failure, run.lists, &names, options.neededbytes, run.control.RowCount());
    SayOnStandardError(message + "\n");
    // The dependency file is placed with the outputs; that it could not be
    // written keeps its own status.
    if (!names.depfile.empty() && code == VORL_ERR_OUTPUT_FILE) {
        const VorlFailureReport &report = options.failure;
        bool conflict = report.cause == VORL_CAUSE_OUTPUT_IS_INPUT || report.cause == VORL_CAUSE_OUTPUT_TWICE;
        if (!conflict && ToTerminalText(FieldOf(report.file)) == names.depfile) {
            return kCannotCreate;
        }
    }
    return code < 0 ? -code : 1;
}

// The file a name leads to once its links are followed, where one of them
// is a descriptor's (/dev/stdout): that link still leads to the file the
// descriptor had open, which the output replaced, by the name it had.
std::string FileBehindDescriptor(const std::string &path)
{
    std::string name = path;
    for (int hops = 0; hops < 16; ++hops) {
        char target[4096];
        ssize_t length = readlink(name.c_str(), target, sizeof target - 1);
        if (length < 0) {
            return name;
        }
        std::string text(target, static_cast<size_t>(length));
        constexpr std::string_view kDeleted = " (deleted)";
        if (text.size() > kDeleted.size() &&
            text.compare(text.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
            text.resize(text.size() - kDeleted.size());
        }
        if (text.empty() || text[0] != '/') {
            size_t slash = name.rfind('/');
            text = (slash == std::string::npos ? std::string() : name.substr(0, slash + 1)) + text;
        }
        name = text;
    }
    return name;
}

// An output named with its size. A pipe or a device (-o/dev/stdout) has
// none to look at afterwards, and the library hands the data straight to
// it: the name stands alone rather than with a size that is not the one
// written.
std::string Written(const std::string &path)
{
    // Written where the descriptor stood: the file behind it may hold more.
    if (vorl::common::InheritedDescriptorOf(path)) {
        return path;
    }
    struct stat st {};
    std::string existing = vorl::common::FindExistingForm(path);
    if (stat(existing.c_str(), &st) != 0) {
        return path + " (? bytes)";
    }
    // A file with no name left was replaced by the output.
    if (S_ISREG(st.st_mode) && st.st_nlink == 0 && stat(FileBehindDescriptor(existing).c_str(), &st) != 0) {
        return path;
    }
    if (!S_ISREG(st.st_mode)) {
        return path;
    }
    return path + " (" + std::to_string(static_cast<long long>(st.st_size)) + " bytes)";
}

int Succeed(const Outputs &outputs, bool quiet)
{
    if (quiet) {
        return 0;
    }
    std::string summary = "vorlcnv: wrote " + Written(outputs.data);
    if (!outputs.header.empty()) {
        summary += ", " + Written(outputs.header);
    }
    SayOnStandardError(summary + "\n");
    return 0;
}

int ReportUpToDate(const Outputs &outputs, bool quiet)
{
    if (!quiet) {
        SayOnStandardError("vorlcnv: " + outputs.data +
                           (outputs.header.empty() ? " is" : " and " + outputs.header + " are") + " up to date\n");
    }
    return 0;
}

// --verify found outputs that are not what the conversion makes.
int ReportDifference(const VorlConvertOptions &options, const Outputs &outputs, const std::vector<ListSource> &lists)
{
    const VorlFailureReport &report = options.failure;
    std::string file = ToTerminalText(FieldOf(report.file));
    std::string shown = file;
    // The outputs as the user named them.
    for (const std::string *output : {&outputs.data, &outputs.header}) {
        if (!output->empty() && file.size() >= output->size() &&
            file.compare(file.size() - output->size(), output->size(), *output) == 0) {
            shown = *output;
        }
    }
    struct stat st {};
    std::string why;
    if (stat(vorl::common::FindExistingForm(file).c_str(), &st) != 0) {
        why = "it does not exist";
    } else if (report.row >= 0) {
        std::string input = ToTerminalText(FieldOf(report.input));
        // An entry of a list names the list and its line.
        std::string where;
        std::string listName(FieldOf(report.listfile));
        for (const ListSource &list : lists) {
            if (!listName.empty() && list.libraryName == listName && !list.userList.empty()) {
                where = ", " + list.userList + ":" + std::to_string(report.line);
            }
        }
        why = "entry " + std::to_string(report.row) + " (" + input + where + ") differs";
    } else {
        why = "its index differs";
    }
    SayOnStandardError("vorlcnv: " + shown + " is not up to date: " + why + "\n");
    return kNotUpToDate;
}

// A run stopped by a signal has cleaned up after itself; it ends as the
// signal would have ended it.
int Stopped(const RunControl &control)
{
    int number = control.StopSignal();
    SayOnStandardError(std::string("vorlcnv: stopped by ") + (number != 0 ? strsignal(number) : "request") +
                       "; the previous outputs are as they were\n");
    return 128 + (number != 0 ? number : SIGTERM);
}

}  // namespace

int ReportOutcome(int rc, const Conversion &run, const Outputs &outputs, const RunFileNames &names)
{
    run.control.EndProgress();
    // The notices are about a run that packed every row.
    if (rc == 0 || rc == VORL_RESULT_DIFFERS) {
        run.control.PrintWarnings(names.project.empty());
    }
    if (rc == VORL_ERR_CANCELLED) {
        return Stopped(run.control);
    }
    if (rc == VORL_RESULT_DIFFERS) {
        return ReportDifference(run.options, outputs, run.lists);
    }
    if (rc != 0) {
        return Fail(rc, run, names);
    }
    if (!run.shared.depfile.empty() && run.shared.verify) {
        if (int status = run.dependencies.WriteAlone(run.shared.depfile, names); status != 0) {
            return status;
        }
    }
    return run.shared.verify ? ReportUpToDate(outputs, run.shared.quiet) : Succeed(outputs, run.shared.quiet);
}

}  // namespace vorlcnv
