// vorlcnv: the console front end of the conversion library.
//
//   vorlcnv [options and entries]      a conversion described by the line
//   vorlcnv --project FILE --data NAME [--header NAME] [--workdir DIR]
//   vorlcnv --help | --version
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "command_line_join.h"
#include "command_line_options.h"
#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {
namespace {

constexpr int kUsageError = 64;

const char *const kHelp =
    "Usage:\n"
    "  vorlcnv [options] ENTRY...\n"
    "  vorlcnv --project FILE --data NAME [--header NAME] [--workdir DIR]\n"
    "  vorlcnv --help | --version\n"
    "\n"
    "Packs the entries, in order, into one data file and writes its index.\n"
    "Entries are numbered from 0 in the order given.\n"
    "\n"
    "Entries:\n"
    "  NAME[,CONVERTER[,ALIAS]]  a file (wildcards * and ? take the first match);\n"
    "                            CONVERTER 1-4 is not available on the command\n"
    "                            line (no templates), ALIAS is decimal, 0x hex or\n"
    "                            0 octal\n"
    "  **N                       shares the data of the earlier entry N\n"
    "  \"\"                        an unused entry\n"
    "\n"
    "Options (case does not matter; a value follows the letters directly):\n"
    "  -pN       index output, required: 0 prefixed to the data file, 1 C header\n"
    "            text, 2 binary header file, 3 none\n"
    "  -aN       alignment in bytes, a multiple of 4 up to 4096 (default 1)\n"
    "  -i / --i  entries without data get all ones / the running offset (default)\n"
    "  -s / --s  a missing file is an unused entry / an error (default)\n"
    "  -e / --e  write an alias table / do not (default)\n"
    "  -b / --b  most / least (default) significant byte first\n"
    "  -t2 / -t4 2-byte / 4-byte (default) index values\n"
    "  -lTEXT    C type and array name for the header text (default\n"
    "            \"int VorlIndex\"; quote it when it holds blanks)\n"
    "  -oFILE    data file (default vorldata.dat)\n"
    "  -hFILE    header file for -p1 and -p2 (default vorlhead.dat)\n"
    "  -fFILE    read entries from a list file, one per line (made by VorlList)\n"
    "\n"
    "Project mode:\n"
    "  --project FILE  a project saved by the editor (.vorlprj) or a legacy .prj\n"
    "  --data NAME     data file; a relative name lies in the project's folder\n"
    "  --header NAME   header file for projects with a separate header\n"
    "  --workdir DIR   where the working directory is made (default: VORLTEMP,\n"
    "                  TMP, TEMP, TMPDIR, or the current folder)\n"
    "\n"
    "Exit status: 0 on success; 1 to 22 the library's error code (negated), its\n"
    "message on standard error; 64 when the arguments of vorlcnv are wrong.\n"
    "\n"
    "Example:\n"
    "  VorlList -oassets.lst 'assets/sprite???.png'\n"
    "  vorlcnv -p1 -a4 -t2 \"-lstatic const unsigned short Sprites\" -fassets.lst \\\n"
    "          -osprites.dat -hsprites.h\n";

struct Outputs {
    std::string data;
    std::string header;  // empty when no header is written
};

int Fail(int code)
{
    char message[256] = {};
    if (VorlGetErrorStrings(code, message, sizeof message) == 0) {
        std::fputs(ToTerminalText(message).c_str(), stderr);
    } else {
        std::fprintf(stderr, "vorlcnv: unknown error %d\n", code);
    }
    return code < 0 ? -code : 1;
}

int UsageError(const std::string &why)
{
    std::fprintf(stderr, "vorlcnv: %s\nTry 'vorlcnv --help'.\n", why.c_str());
    return kUsageError;
}

std::string SizeOf(const std::string &path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return "?";
    }
    return std::to_string(static_cast<long long>(st.st_size));
}

// True when `path` is where standard output goes (-o/dev/stdout, or a
// name the caller also redirected to).
bool IsStandardOutput(const std::string &path)
{
    struct stat out {}, named {};
    return !path.empty() && fstat(STDOUT_FILENO, &out) == 0 && stat(path.c_str(), &named) == 0 &&
           out.st_dev == named.st_dev && out.st_ino == named.st_ino;
}

int Succeed(const Outputs &outputs)
{
    // The summary never goes into an output that is standard output.
    std::FILE *report = IsStandardOutput(outputs.data) || IsStandardOutput(outputs.header) ? stderr : stdout;
    std::fprintf(report, "vorlcnv: wrote %s (%s bytes)", outputs.data.c_str(), SizeOf(outputs.data).c_str());
    if (!outputs.header.empty()) {
        std::fprintf(report, ", %s (%s bytes)", outputs.header.c_str(), SizeOf(outputs.header).c_str());
    }
    std::fprintf(report, "\n");
    return 0;
}

// The files a command line writes, read by the library's own option table:
// the last non-empty "-o" and "-h", the last "-p". A name the library could
// not store would make it write its default file instead: it is refused
// here, before anything is converted.
struct LineOutputs {
    Outputs outputs;
    std::string error;
};

LineOutputs OutputsOfCommandLine(const std::vector<std::string> &arguments)
{
    using vorl::options::Option;
    LineOutputs result{{std::string(vorl::options::kDefaultDataFile), ""}, ""};
    std::string header(vorl::options::kDefaultHeaderFile);
    int32_t mode = -1;
    for (const std::string &argument : arguments) {
        auto option = vorl::options::MatchOption(argument);
        if (!option) {
            continue;
        }
        std::string value = argument.substr(option->text.size());
        if (option->option == Option::Mode) {
            mode = vorl::options::OutputModeOf(value);
        } else if ((option->option == Option::Data || option->option == Option::Header) && !value.empty()) {
            auto stored = ToLibraryText(value);
            if (!stored || stored->size() >= VORL_PATH_SIZE) {
                result.error = argument.substr(0, option->text.size()) + ": the name is too long (259 bytes in "
                               "Shift-JIS at most) or has no Shift-JIS form: " + value;
                return result;
            }
            (option->option == Option::Data ? result.outputs.data : header) = value;
        }
    }
    if (mode == VORL_INDEX_C_HEADER || mode == VORL_INDEX_BINARY) {
        result.outputs.header = header;
    }
    return result;
}

int ConvertCommandLine(const std::vector<std::string> &arguments)
{
    JoinResult joined = JoinArguments(arguments);
    if (!joined.error.empty()) {
        return UsageError(joined.error);
    }
    LineOutputs written = OutputsOfCommandLine(arguments);
    if (!written.error.empty()) {
        return UsageError(written.error);
    }
    int rc = VorlConvertCommandLine(joined.line.c_str());
    if (rc != 0) {
        return Fail(rc);
    }
    return Succeed(written.outputs);
}

struct ProjectArguments {
    std::string project, data, header, workdir;
    bool hasHeader = false, hasWorkdir = false;
};

// A relative output name lies in the project's folder.
std::string BesideProject(const std::string &project, const std::string &name)
{
    if (!name.empty() && name[0] == '/') {
        return name;
    }
    size_t slash = project.rfind('/');
    return slash == std::string::npos ? name : project.substr(0, slash + 1) + name;
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

int ConvertProject(const ProjectArguments &args)
{
    auto project = ToLibraryText(FullPath(args.project));
    auto data = ToLibraryText(args.data);
    auto header = ToLibraryText(args.header);
    auto workdir = ToLibraryText(args.workdir);
    if (!project || !data || !header || !workdir) {
        return UsageError("a file name has no Shift-JIS (CP932) form");
    }
    int rc = VorlConvertPrjFile(project->c_str(), data->c_str(), args.hasHeader ? header->c_str() : nullptr,
                                args.hasWorkdir ? workdir->c_str() : nullptr);
    if (rc != 0) {
        return Fail(rc);
    }
    // The project said whether a header was written.
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    std::snprintf(info.prjfile, sizeof info.prjfile, "%s", project->c_str());
    bool separateHeader = VorlGetProjectFile(&info) == 0 && (info.indexout == VORL_INDEX_C_HEADER || info.indexout == VORL_INDEX_BINARY);
    VorlReleaseInformation(&info);
    Outputs outputs{BesideProject(args.project, args.data),
                    separateHeader ? BesideProject(args.project, args.header) : std::string()};
    return Succeed(outputs);
}

int RunProjectMode(const std::vector<std::string> &arguments)
{
    ProjectArguments args;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &name = arguments[i];
        if (i + 1 >= arguments.size()) {
            return UsageError(name + " needs a value");
        }
        const std::string &value = arguments[++i];
        if (name == "--project") {
            args.project = value;
        } else if (name == "--data") {
            args.data = value;
        } else if (name == "--header") {
            args.header = value;
            args.hasHeader = true;
        } else if (name == "--workdir") {
            args.workdir = value;
            args.hasWorkdir = true;
        } else {
            return UsageError("unknown option in project mode: " + name);
        }
    }
    if (args.project.empty() || args.data.empty()) {
        return UsageError("project mode needs --project FILE and --data NAME");
    }
    return ConvertProject(args);
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
    if (arguments[0] == "--help") {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (arguments[0] == "--version") {
        int version = VorlGetDllVersion();
        int format = VorlGetPrjVersion();
        std::printf("vorlcnv: library version %d.%d.%d (0x%X), project format %d.%02d\n", version >> 24,
                    (version >> 16) & 0xFF, version & 0xFFFF, static_cast<unsigned>(version), format / 100,
                    format % 100);
        return 0;
    }
    if (arguments[0] == "--project" || arguments[0] == "--data" || arguments[0] == "--header" ||
        arguments[0] == "--workdir") {
        return RunProjectMode(arguments);
    }
    return ConvertCommandLine(arguments);
}
