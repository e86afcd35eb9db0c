#include "line_mode.h"

#include <cstdio>

#include "argument_check.h"
#include "command_line_options.h"
#include "current_folder.h"
#include "dependency_file.h"
#include "dependency_plan.h"
#include "entry_lists.h"
#include "exit_status.h"
#include "failure_message.h"
#include "help_text.h"
#include "output_names.h"
#include "run_control.h"
#include "run_options.h"
#include "run_outcome.h"
#include "terminal_text.h"
#include "version_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {
namespace {

// The files a command line writes, read by the library's own option table:
// the last "-o" and "-h", the last "-p".
Outputs OutputsOfLine(const std::vector<LineItem> &items)
{
    using vorl::options::Option;
    Outputs outputs{std::string(vorl::options::kDefaultDataFile), ""};
    std::string header(vorl::options::kDefaultHeaderFile);
    int32_t mode = -1;
    for (const LineItem &item : items) {
        auto option = item.kind == ItemKind::Option ? vorl::options::MatchOption(item.text) : std::nullopt;
        if (!option) {
            continue;
        }
        std::string value = item.text.substr(option->text.size());
        if (option->option == Option::Mode) {
            mode = vorl::options::OutputModeOf(value);
        } else if (option->option == Option::Data) {
            outputs.data = value;
        } else if (option->option == Option::Header) {
            header = value;
        }
    }
    if (mode == VORL_INDEX_C_HEADER || mode == VORL_INDEX_BINARY) {
        outputs.header = header;
    }
    return outputs;
}

}  // namespace

int RunLineMode(const std::vector<std::string> &arguments)
{
    CheckedLine checked = CheckLineArguments(arguments);
    if (checked.help) {
        return PrintHelp();
    }
    if (checked.version) {
        return PrintVersion();
    }
    if (!checked.error.empty()) {
        return UsageError(checked.error);
    }
    if (int rc = EnterFolder(checked.shared.directory); rc != 0) {
        return rc;
    }
    TemporaryLists temporaryLists(checked.shared.hasWorkdir ? checked.shared.workdir : std::string());
    LibraryLine line = BuildLibraryLine(checked.items, temporaryLists);
    if (line.listNotWritten) {
        SayOnStandardError("vorlcnv: " + line.error + "\n");
        return -VORL_ERR_TEMP_FILE;
    }
    if (line.listTooLarge || line.listNotText) {
        SayOnStandardError("vorlcnv: " + line.error + "\n");
        return kDataError;
    }
    if (!line.error.empty()) {
        return UsageError(line.error);
    }
    // How a list was read when its bytes left that open: a warning, said
    // with -q too; a refused line says its own reason alone.
    for (const std::string &note : line.notes) {
        SayOnStandardError("vorlcnv: " + note + "\n");
    }
    ReadFiles read;
    RunOptions run = NewOptions(read, checked.shared);
    if (!run.error.empty()) {
        return UsageError(run.error);
    }
    Outputs outputs = OutputsOfLine(checked.items);
    RunFileNames names{outputs.data, outputs.header, checked.shared.depfile, ""};
    // The user's lists that vorlcnv copied for the library are read here,
    // not by the library: it hears of them as other inputs.
    for (const ListSource &list : line.lists) {
        if (!list.userList.empty()) {
            if (auto name = ToLibraryText(list.userList)) {
                run.otherInputs.push_back(*name);
            }
        }
    }
    run.Complete();
    VorlConvertOptions &options = run.options;
    DependencyPlan dependencies{[&outputs] { return outputs; }, &read, &line.lists, &checked.shared.depfileTargets};
    if (!checked.shared.depfile.empty() && !checked.shared.verify) {
        options.stageoutput = &DependencyPlan::Stage;
        options.stagecontext = &dependencies;
    }
    RunControl control;
    control.Attach(options, checked.shared.quiet);
    int rc = VorlConvertWithOptions(nullptr, line.line.c_str(), &options);
    return ReportOutcome(rc, {options, checked.shared, control, dependencies, line.lists}, outputs, names);
}

}  // namespace vorlcnv
