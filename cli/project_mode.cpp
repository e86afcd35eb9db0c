#include "project_mode.h"

#include <cstring>
#include <optional>

#include "argument_check.h"
#include "current_folder.h"
#include "dependency_file.h"
#include "dependency_plan.h"
#include "exit_status.h"
#include "failure_message.h"
#include "output_names.h"
#include "run_control.h"
#include "run_options.h"
#include "run_outcome.h"
#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {
namespace {

// The file the library writes for an output name: a relative name lies
// in the project's folder (`folder`, CP932) and is resolved against it as
// the library does (a "../" climbs from that folder, never from the
// current one), and is named from the current folder; an absolute name
// stays as given.
std::string BesideProject(const std::string &folder, const std::string &name)
{
    if (name.empty() || name[0] == '/') {
        return name;  // named as the user named it
    }
    auto library = ToLibraryText(name);
    char resolved[VORL_PATH_SIZE * 2] = {};
    if (!library || VorlRel2AbsPath(library->c_str(), folder.c_str(), resolved, sizeof resolved) != 1) {
        return name;
    }
    return FromCurrentFolder(ToTerminalText(resolved));
}

// What the block holds once the library has read the project into it:
// whether a header is written beside the data, and its name.
bool WritesSeparateHeader(const VorlInformation &info)
{
    return info.indexout == VORL_INDEX_C_HEADER || info.indexout == VORL_INDEX_BINARY;
}

std::string HeaderName(const VorlInformation &info)
{
    return WritesSeparateHeader(info) ? ToTerminalText(FieldOf(info.headerfile)) : std::string();
}

Outputs OutputsOf(const VorlInformation &info, const std::string &data)
{
    std::string folder(FieldOf(info.prjdir));
    std::string header = HeaderName(info);
    return {BesideProject(folder, data), header.empty() ? std::string() : BesideProject(folder, header)};
}

template <size_t N>
void Store(char (&field)[N], const std::string &text)
{
    std::memcpy(field, text.c_str(), text.size() + 1);
}

}  // namespace

int RunProjectMode(const std::vector<std::string> &arguments)
{
    ProjectArguments args = CheckProjectArguments(arguments);
    if (!args.error.empty()) {
        return UsageError(args.error);
    }
    if (int rc = EnterFolder(args.shared.directory); rc != 0) {
        return rc;
    }
    // A project named relative to the current folder is handed on as a
    // full path: its entries' "../" names climb from the project's own
    // folder, which a relative path would not let them reach.
    std::string fullProject = FullPath(args.project);
    auto project = ToLibraryText(fullProject);
    auto data = ToLibraryText(args.data);
    auto header = ToLibraryText(args.header);
    if (!project || !data || !header) {
        return UsageError("a file name has no Shift-JIS (CP932) form");
    }
    if (project->size() >= VORL_PATH_SIZE || data->size() >= VORL_PATH_SIZE || header->size() >= VORL_PATH_SIZE) {
        return UsageError("a file name is too long (259 bytes in Shift-JIS at most)");
    }
    // The library tells of the project as the first file it read.
    ReadFiles read;
    RunOptions run = NewOptions(read, args.shared);
    if (!run.error.empty()) {
        return UsageError(run.error);
    }
    run.Complete();
    VorlConvertOptions &options = run.options;
    options.project = project->c_str();
    // What is filled in here takes the place of what the project says; the
    // rest, the project's folder too, the library reads into the block.
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    Store(info.datafile, *data);
    if (args.hasHeader) {
        Store(info.headerfile, *header);
    }
    DependencyPlan dependencies{[&info, &args] { return OutputsOf(info, args.data); }, &read, nullptr,
                                &args.shared.depfileTargets};
    if (!args.shared.depfile.empty() && !args.shared.verify) {
        options.stageoutput = &DependencyPlan::Stage;
        options.stagecontext = &dependencies;
    }
    RunControl control;
    control.Attach(options, args.shared.quiet);
    int rc = VorlConvertWithOptions(&info, nullptr, &options);
    Outputs outputs = OutputsOf(info, args.data);
    // The library names the outputs as they were given to it.
    RunFileNames names{args.data, HeaderName(info), args.shared.depfile, fullProject};
    VorlReleaseInformation(&info);
    static const std::vector<ListSource> kNoLists;
    return ReportOutcome(rc, {options, args.shared, control, dependencies, kNoLists}, outputs, names);
}

}  // namespace vorlcnv
