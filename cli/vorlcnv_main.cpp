// vorlcnv: the console front end of the conversion library.
//
//   vorlcnv [options] [--] ENTRY...   a conversion described by the line
//   vorlcnv --project FILE --data NAME [--header NAME] [--workdir DIR]
//   vorlcnv --help | --version
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ambiguous_names.h"
#include "argument_check.h"
#include "cache_statistics.h"
#include "command_line_options.h"
#include "dependency_file.h"
#include "entry_lists.h"
#include "failure_message.h"
#include "pack_commands.h"
#include "run_control.h"
#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {
namespace {

constexpr int kUsageError = 64;
constexpr int kDataError = 65;
constexpr int kOutputError = 74;
constexpr int kCannotCreate = 73;
constexpr int kNotUpToDate = 100;

const char *const kHelp =
    "Usage:\n"
    "  vorlcnv [options] [--] ENTRY...\n"
    "  vorlcnv --project FILE --data NAME [--header NAME] [--workdir DIR] [-q]\n"
    "  vorlcnv --list PACK [--header HEADER] [--json]\n"
    "  vorlcnv --extract N PACK [--header HEADER] [--output FILE]\n"
    "  vorlcnv --cache-stats DIR\n"
    "  vorlcnv --help | --version\n"
    "\n"
    "Packs the entries, in order, into one data file and writes its index.\n"
    "Entries are numbered from 0 in the order given; up to 9999 of them, from\n"
    "arguments and list files together.\n"
    "\n"
    "Entries:\n"
    "  NAME[,CONVERTER[,ALIAS]]  a file (wildcards * and ? take the first match);\n"
    "                            CONVERTER 1-4 is not available on the command\n"
    "                            line (no templates), ALIAS is decimal, 0x hex or\n"
    "                            0 octal and fits 32 bits\n"
    "  **N                       shares the data of the earlier entry N\n"
    "  \"\"                        an unused entry\n"
    "  --                        ends the options: later arguments are entries,\n"
    "                            even when they begin with '-'\n"
    "\n"
    "Options (case does not matter; a value is attached to its letters, as in\n"
    "-osprites.dat, never given as the next argument):\n"
    "  -pN       index output, required: 0 prefixed to the data file, 1 C header\n"
    "            text, 2 binary header file, 3 none\n"
    "  -aN       alignment in bytes: 1, or a multiple of 4 up to 4096 (default 1)\n"
    "  -i / --i  entries without data get all ones / the running offset (default)\n"
    "  -s / --s  a missing file is an unused entry / an error (default); a file\n"
    "            that is there and cannot be read is always an error\n"
    "  -e / --e  write an alias table / do not (default)\n"
    "  -b / --b  most / least (default) significant byte first\n"
    "  -t2 / -t4 2-byte / 4-byte (default) index values\n"
    "  -lTEXT    C type and array name for the header text, under 128 bytes\n"
    "            (default \"int VorlIndex\"; quote it when it holds blanks)\n"
    "  -oFILE    data file (default vorldata.dat)\n"
    "  -hFILE    header file for -p1 and -p2 (default vorlhead.dat)\n"
    "  -fFILE    read entries from a list file, one per line (made by VorlList).\n"
    "            A list may be in Shift-JIS (CP932), as VorlList writes it, or in\n"
    "            UTF-8, as a text editor here writes it; ends of line LF or CR LF\n"
    "  -q, --quiet  print nothing on success\n"
    "  --help       print this text\n"
    "  --version    print the versions of vorlcnv and of the library\n"
    "\n"
    "In a build (both modes; these long options take their value as the next\n"
    "argument):\n"
    "  --depfile FILE  also write a Make dependency file: the outputs depend on\n"
    "                  every file the conversion read (absolute names)\n"
    "  --verify        convert without writing anything and compare with the\n"
    "                  outputs: 0 when they are up to date, 100 when not\n"
    "\n"
    "Long runs (both modes):\n"
    "  -jN, --jobs N   run up to N converters at once (0: one per core; default\n"
    "                  VORL_JOBS, else 1). Only for converters that write nothing\n"
    "                  but their $O: the outputs are the same for any N\n"
    "  --cache DIR     keep converter results in DIR (default VORL_CACHE_DIR) and\n"
    "                  reuse them when the input's bytes and the converter's text\n"
    "                  are the same; VORL_CACHE_MAX limits its size (bytes, or\n"
    "                  K, M, G; default 1G). A changed converter program behind\n"
    "                  the same command is not noticed: empty the folder then\n"
    "  --cache-stats DIR  print the entries, size, hits and misses of a cache\n"
    "On a terminal a progress line shows entries done, MiB written and the\n"
    "current file. Ctrl+C (or SIGTERM, SIGHUP) stops the run: the previous\n"
    "outputs stay as they were, nothing is left behind, and the exit status is\n"
    "128 plus the signal's number.\n"
    "\n"
    "Project mode:\n"
    "  --project FILE  a project saved by the editor (.vorlprj) or a legacy .prj\n"
    "  --data NAME     data file; a relative name lies in the project's folder\n"
    "  --header NAME   header file for projects with a separate header\n"
    "  --workdir DIR   where the working directory is made (default: VORLTEMP,\n"
    "                  TMP, TEMP, TMPDIR, or the current folder)\n"
    "\n"
    "Looking into a pack made with -p0, or with -p2 and its header file (these\n"
    "long options take their value as the next argument):\n"
    "  --list PACK       print the index's format, then one line per row: offset\n"
    "                    in the data (and in the file), stored size, alias, and\n"
    "                    \"shared with N\" or \"no data\"\n"
    "  --extract N PACK  write the stored bytes of row N to standard output\n"
    "  --header HEADER   the header file (-p2) that indexes PACK\n"
    "  --json            --list prints one JSON document (see vorlcnv(1))\n"
    "  --output FILE     --extract writes to FILE instead\n"
    "\n"
    "On success vorlcnv names what it wrote on standard error; standard output\n"
    "is left to the data (-o/dev/stdout). A failure is one line on standard\n"
    "error: the list file and line or the file concerned, the library's message\n"
    "and its error number.\n"
    "\n"
    "Exit status: 0 on success; 1 to 22 the library's error code (negated);\n"
    "64 when the arguments of vorlcnv are wrong; 65 when --list or --extract\n"
    "finds no pack, one cut short or not matching its header, or no item at\n"
    "the row asked for, or more than 16 MiB from a pipe, and when a list file\n"
    "is larger than 16 MiB; 66 when a file to read cannot be opened; 73 when the\n"
    "dependency file or the --output file cannot be made or is a file the run\n"
    "reads; 74 when standard output or the --output file cannot be written to\n"
    "or a file cannot be read; 100 when --verify finds\n"
    "outputs that are not up to date; 128 + N when signal N stopped the run.\n"
    "\n"
    "Example:\n"
    "  VorlList -oassets.lst 'assets/sprite???.png'\n"
    "  vorlcnv -p1 -a4 -t2 \"-lstatic const unsigned short Sprites\" -fassets.lst \\\n"
    "          -osprites.dat -hsprites.h\n";

struct Outputs {
    std::string data;
    std::string header;  // empty when no header is written
};

int Fail(int code, const VorlConvertOptions *options, const std::vector<ListSource> &lists = {},
         const RunFileNames *names = nullptr)
{
    std::string message = DescribeFailure(code, options != nullptr ? &options->failure : nullptr, lists, names);
    std::fprintf(stderr, "%s\n", message.c_str());
    // The dependency file is placed with the outputs; that it could not be
    // written keeps its own status.
    if (options != nullptr && names != nullptr && !names->depfile.empty() && code == VORL_ERR_OUTPUT_FILE) {
        const VorlFailureReport &report = options->failure;
        bool conflict = report.cause == VORL_CAUSE_OUTPUT_IS_INPUT || report.cause == VORL_CAUSE_OUTPUT_TWICE;
        if (!conflict &&
            ToTerminalText(std::string(report.file, strnlen(report.file, sizeof report.file))) == names->depfile) {
            return kCannotCreate;
        }
    }
    return code < 0 ? -code : 1;
}

int UsageError(const std::string &why)
{
    std::fprintf(stderr, "vorlcnv: %s\nTry 'vorlcnv --help'.\n", why.c_str());
    return kUsageError;
}

// Standard output that cannot take the text (a full disk, a closed pipe)
// is a failure of its own, as in the system's own tools.
int PrintOnStandardOutput(const std::string &text)
{
    std::fputs(text.c_str(), stdout);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int error = errno;
        std::fprintf(stderr, "vorlcnv: write error on standard output: %s\n", std::strerror(error));
        return kOutputError;
    }
    return 0;
}

std::string SizeOf(const std::string &path)
{
    struct stat st {};
    if (stat(vorl::common::FindExistingForm(path).c_str(), &st) != 0) {
        return "?";
    }
    return std::to_string(static_cast<long long>(st.st_size));
}

int Succeed(const Outputs &outputs, bool quiet)
{
    if (quiet) {
        return 0;
    }
    std::string summary = "vorlcnv: wrote " + outputs.data + " (" + SizeOf(outputs.data) + " bytes)";
    if (!outputs.header.empty()) {
        summary += ", " + outputs.header + " (" + SizeOf(outputs.header) + " bytes)";
    }
    std::fprintf(stderr, "%s\n", summary.c_str());
    return 0;
}

// A project named relative to the current folder is handed on as a full
// path: its entries' "../" names climb from the project's own folder, which
// a relative path would not let them reach.
std::string FullPath(const std::string &name)
{
    if (name.empty() || name[0] == '/') {
        return name;
    }
    char here[4096];
    return ::getcwd(here, sizeof here) != nullptr ? std::string(here) + "/" + name : name;
}

// The options of a run, or the reason why the switches cannot be used.
// `cacheFolder` keeps the library's form of the cache folder alive.
struct RunOptions {
    VorlConvertOptions options;
    std::string cacheFolder;
    std::string error;
    // The files vorlcnv itself reads or writes for the run (CP932), which
    // the library compares with the conversion's own before it writes.
    std::vector<std::string> otherInputs, otherOutputs;
    std::vector<const char *> inputNames, outputNames;

    void TakeOtherFiles()
    {
        for (const std::string &name : otherInputs) {
            inputNames.push_back(name.c_str());
        }
        for (const std::string &name : otherOutputs) {
            outputNames.push_back(name.c_str());
        }
        inputNames.push_back(nullptr);
        outputNames.push_back(nullptr);
        options.otherinputs = inputNames.data();
        options.otheroutputs = outputNames.data();
    }
};

RunOptions NewOptions(ReadFiles &read, const SharedSwitches &shared)
{
    RunOptions run;
    VorlConvertOptions &options = run.options;
    std::memset(&options, 0, sizeof options);
    options.size = sizeof options;
    // The files read are only wanted for a dependency file.
    if (!shared.depfile.empty()) {
        options.fileread = &ReadFiles::Note;
        options.filereadcontext = &read;
    }
    if (!shared.depfile.empty()) {
        auto depfile = ToLibraryText(shared.depfile);
        if (!depfile) {
            run.error = "the dependency file's name has no Shift-JIS (CP932) form: " + shared.depfile;
            return run;
        }
        run.otherOutputs.push_back(*depfile);
    }
    options.verifyonly = shared.verify ? 1 : 0;
    options.jobs = ChooseJobs(shared.jobs, run.error);
    CacheChoice cache;
    if (options.jobs < 0 || !ChooseCache(shared.cache, cache, run.error)) {
        return run;
    }
    if (!cache.folder.empty()) {
        auto folder = ToLibraryText(cache.folder);
        if (!folder) {
            run.error = "the cache folder's name has no Shift-JIS (CP932) form: " + cache.folder;
            return run;
        }
        run.cacheFolder = *folder;
        options.cachemax = cache.limit;
    }
    return run;
}

const ListSource *FindListSource(const std::vector<ListSource> &lists, const std::string &utf8Name)
{
    for (const ListSource &list : lists) {
        if (ToTerminalText(list.libraryName) == utf8Name) {
            return &list;
        }
    }
    return nullptr;
}

// The dependency file as the rows' packing leaves it known: the outputs,
// and every file the run read, the user's lists in place of vorlcnv's
// copies of them.
struct DependencyPlan {
    const Outputs *outputs = nullptr;
    const ReadFiles *read = nullptr;
    const std::vector<ListSource> *lists = nullptr;

    std::vector<std::string> Targets() const
    {
        // The header first: a build that names both outputs of one command
        // names the header first (its time stamp is the one that counts),
        // and Ninja checks that a dependency file's first target is that
        // output.
        std::vector<std::string> targets = {outputs->data};
        if (!outputs->header.empty()) {
            targets.insert(targets.begin(), outputs->header);
        }
        return targets;
    }
    std::vector<std::string> Prerequisites() const
    {
        std::vector<std::string> prerequisites;
        for (const std::string &name : read->Names()) {
            const ListSource *list = lists != nullptr ? FindListSource(*lists, name) : nullptr;
            // Absolute names: a build reads the file from a folder of its own.
            if (list == nullptr) {
                prerequisites.push_back(FullPath(name));
            } else if (!list->userList.empty()) {
                prerequisites.push_back(FullPath(list->userList));
            }
        }
        return prerequisites;
    }
    // VorlConvertOptions::stageoutput: the dependency file is the only
    // other output, placed with the conversion's own.
    static int Stage(void *context, int32_t, const char *stagedPath)
    {
        const DependencyPlan &plan = *static_cast<const DependencyPlan *>(context);
        return WriteStagedDependencyFile(stagedPath, plan.Targets(), plan.Prerequisites()) ? 0 : -1;
    }
    // Verifying places nothing: the dependency file is written alone.
    int WriteAlone(const std::string &depfile, const RunFileNames &names) const
    {
        VorlFailureReport report{};
        int rc = WriteDependencyFile(depfile, Targets(), Prerequisites(), report);
        if (rc != 0) {
            std::fprintf(stderr, "%s\n", DescribeFailure(rc, &report, {}, &names).c_str());
            return kCannotCreate;
        }
        return 0;
    }
};

// --verify found outputs that are not what the conversion makes.
int ReportDifference(const VorlConvertOptions &options, const Outputs &outputs, const std::vector<ListSource> &lists)
{
    const VorlFailureReport &report = options.failure;
    std::string file = ToTerminalText(std::string(report.file, strnlen(report.file, sizeof report.file)));
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
        std::string input = ToTerminalText(std::string(report.input, strnlen(report.input, sizeof report.input)));
        // An entry of a list names the list and its line.
        std::string where;
        std::string listName(report.listfile, strnlen(report.listfile, sizeof report.listfile));
        for (const ListSource &list : lists) {
            if (!listName.empty() && list.libraryName == listName && !list.userList.empty()) {
                where = ", " + list.userList + ":" + std::to_string(report.line);
            }
        }
        why = "entry " + std::to_string(report.row) + " (" + input + where + ") differs";
    } else {
        why = "its index differs";
    }
    std::fprintf(stderr, "vorlcnv: %s is not up to date: %s\n", shown.c_str(), why.c_str());
    return kNotUpToDate;
}

// A run stopped by a signal has cleaned up after itself; it ends as the
// signal would have ended it.
int Stopped(const RunControl &control)
{
    int number = control.StopSignal();
    std::fprintf(stderr, "vorlcnv: stopped by %s; the previous outputs are as they were\n",
                 number != 0 ? strsignal(number) : "request");
    return 128 + (number != 0 ? number : SIGTERM);
}

int ReportUpToDate(const Outputs &outputs, bool quiet)
{
    if (!quiet) {
        std::fprintf(stderr, "vorlcnv: %s%s%s up to date\n", outputs.data.c_str(),
                     outputs.header.empty() ? " is" : " and ",
                     outputs.header.empty() ? "" : (outputs.header + " are").c_str());
    }
    return 0;
}

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

int ShowVersion()
{
    int version = VorlGetDllVersion();
    int format = VorlGetPrjVersion();
    char text[128];
    std::snprintf(text, sizeof text,
                  "vorlcnv (VORL Maker for Linux) %s\nlibrary version %d.%d.%d (0x%X), project format %d.%02d\n",
                  VORL_PACKAGE_VERSION, version >> 24, (version >> 16) & 0xFF, version & 0xFFFF,
                  static_cast<unsigned>(version), format / 100, format % 100);
    return PrintOnStandardOutput(text);
}

int ConvertCommandLine(const std::vector<std::string> &arguments)
{
    CheckedLine checked = CheckLineArguments(arguments);
    if (checked.help) {
        return PrintOnStandardOutput(kHelp);
    }
    if (checked.version) {
        return ShowVersion();
    }
    if (!checked.error.empty()) {
        return UsageError(checked.error);
    }
    TemporaryLists temporaryLists;
    LibraryLine line = BuildLibraryLine(checked.items, temporaryLists);
    if (line.listNotWritten) {
        std::fprintf(stderr, "vorlcnv: %s\n", line.error.c_str());
        return -VORL_ERR_TEMP_FILE;
    }
    if (line.listTooLarge) {
        std::fprintf(stderr, "vorlcnv: %s\n", line.error.c_str());
        return kDataError;
    }
    if (!line.error.empty()) {
        return UsageError(line.error);
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
    run.TakeOtherFiles();
    VorlConvertOptions &options = run.options;
    options.cachedir = run.cacheFolder.empty() ? nullptr : run.cacheFolder.c_str();
    DependencyPlan dependencies{&outputs, &read, &line.lists};
    if (!checked.shared.depfile.empty() && !checked.shared.verify) {
        options.stageoutput = &DependencyPlan::Stage;
        options.stagecontext = &dependencies;
    }
    RunControl control;
    control.Attach(options);
    int rc = VorlConvertWithOptions(nullptr, line.line.c_str(), &options);
    if (rc == VORL_ERR_CANCELLED) {
        return Stopped(control);
    }
    if (rc == VORL_RESULT_DIFFERS) {
        return ReportDifference(options, outputs, line.lists);
    }
    if (rc != 0) {
        return Fail(rc, &options, line.lists, &names);
    }
    if (!checked.shared.depfile.empty() && checked.shared.verify) {
        if (int status = dependencies.WriteAlone(checked.shared.depfile, names); status != 0) {
            return status;
        }
    }
    return checked.shared.verify ? ReportUpToDate(outputs, checked.shared.quiet)
                                 : Succeed(outputs, checked.shared.quiet);
}

// The file the library writes for an output name: a relative name lies
// in the project's folder and is resolved against it as the library does
// (a "../" climbs from that folder, never from the current one). Named
// from the current folder when it lies in it or below, so that the user
// can open it from where they are; an absolute name stays as given.
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
    std::string written = ToTerminalText(resolved);
    char here[4096];
    if (::getcwd(here, sizeof here) != nullptr) {
        std::string prefix = std::string(here) == "/" ? std::string("/") : std::string(here) + "/";
        if (written.size() > prefix.size() && written.compare(0, prefix.size(), prefix) == 0) {
            return written.substr(prefix.size());
        }
    }
    return written;
}

// The project is read into a block of our own and converted through the
// extension export, which says where a failure happened.
int ConvertProject(const ProjectArguments &args)
{
    std::string fullProject = FullPath(args.project);
    auto project = ToLibraryText(fullProject);
    auto folder = ToLibraryText(fullProject.substr(0, fullProject.rfind('/') + 1));
    auto data = ToLibraryText(args.data);
    auto header = ToLibraryText(args.header);
    auto workdir = ToLibraryText(args.workdir);
    if (!project || !folder || !data || !header || !workdir) {
        return UsageError("a file name has no Shift-JIS (CP932) form");
    }
    if (project->size() >= VORL_PATH_SIZE || folder->size() >= VORL_PATH_SIZE || data->size() >= VORL_PATH_SIZE ||
        header->size() >= VORL_PATH_SIZE || workdir->size() >= VORL_PATH_SIZE) {
        return UsageError("a file name is too long (259 bytes in Shift-JIS at most)");
    }
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::memcpy(info.prjfile, project->c_str(), project->size());
    std::memcpy(info.prjdir, folder->c_str(), folder->size());
    ReadFiles read;
    read.Add(args.project);
    RunOptions run = NewOptions(read, args.shared);
    if (!run.error.empty()) {
        return UsageError(run.error);
    }
    run.TakeOtherFiles();
    VorlConvertOptions &options = run.options;
    options.cachedir = run.cacheFolder.empty() ? nullptr : run.cacheFolder.c_str();
    RunControl control;
    control.Attach(options);
    int rc = VorlGetProjectFile(&info);
    if (rc != 0) {
        VorlReleaseInformation(&info);
        std::strncpy(options.failure.file, project->c_str(), sizeof options.failure.file - 1);
        return Fail(rc, &options);
    }
    std::memset(info.datafile, 0, sizeof info.datafile);
    std::memcpy(info.datafile, data->c_str(), data->size());
    if (args.hasHeader) {
        std::memset(info.headerfile, 0, sizeof info.headerfile);
        std::memcpy(info.headerfile, header->c_str(), header->size());
    }
    options.workbase = args.hasWorkdir ? workdir->c_str() : nullptr;
    bool separateHeader = info.indexout == VORL_INDEX_C_HEADER || info.indexout == VORL_INDEX_BINARY;
    std::string headerName =
        ToTerminalText(std::string(info.headerfile, strnlen(info.headerfile, sizeof info.headerfile)));
    Outputs outputs{BesideProject(*folder, args.data),
                    separateHeader ? BesideProject(*folder, headerName) : std::string()};
    DependencyPlan dependencies{&outputs, &read, nullptr};
    if (!args.shared.depfile.empty() && !args.shared.verify) {
        options.stageoutput = &DependencyPlan::Stage;
        options.stagecontext = &dependencies;
    }
    rc = VorlConvertWithOptions(&info, nullptr, &options);
    VorlReleaseInformation(&info);
    if (rc == VORL_ERR_CANCELLED) {
        return Stopped(control);
    }
    // The library names the outputs as they were given to it.
    RunFileNames names{args.data, separateHeader ? headerName : std::string(), args.shared.depfile, fullProject};
    if (rc == VORL_RESULT_DIFFERS) {
        return ReportDifference(options, outputs, {});
    }
    if (rc != 0) {
        return Fail(rc, &options, {}, &names);
    }
    if (!args.shared.depfile.empty() && args.shared.verify) {
        if (int status = dependencies.WriteAlone(args.shared.depfile, names); status != 0) {
            return status;
        }
    }
    return args.shared.verify ? ReportUpToDate(outputs, args.shared.quiet) : Succeed(outputs, args.shared.quiet);
}

}  // namespace
}  // namespace vorlcnv

int main(int argc, char **argv)
{
    using namespace vorlcnv;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        return UsageError("nothing to do");
    }
    if (arguments[0] == "--list") {
        return RunListCommand(arguments);
    }
    if (arguments[0] == "--extract") {
        return RunExtractCommand(arguments);
    }
    if (arguments[0] == "--cache-stats") {
        return RunCacheStatisticsCommand(arguments);
    }
    if (ChoosesProjectMode(arguments)) {
        ProjectArguments project = CheckProjectArguments(arguments);
        if (!project.error.empty()) {
            return UsageError(project.error);
        }
        return ConvertProject(project);
    }
    return ConvertCommandLine(arguments);
}
