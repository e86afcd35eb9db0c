#include "project_conversion.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "convert_pipeline.h"
#include "entry_file_name.h"
#include "extended_conversion.h"
#include "file_system.h"
#include "fixed_text.h"
#include "path_rules.h"
#include "project_reader.h"
#include "vorl_cnv.h"
#include "work_directory.h"

namespace vorl {
namespace {

// Null, empty or too long for its field: the path cannot be taken in.
bool IsUsablePath(const char *path)
{
    return path != nullptr && *path != '\0' && std::strlen(path) < VORL_PATH_SIZE;
}

// The project's folder with its trailing separator, empty when the path
// names no folder. A folder such as "ソフト表" ends in the byte 0x5C, which
// is not a separator there.
std::string_view FolderOf(std::string_view path)
{
    size_t separator = host::HostRules().LastSeparator(path);
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

// A project named relative to the current folder gets the full name of its
// folder, so that the "../" of its entries climb from there. Where the full
// name would not fit the field, the folder stays relative: names resolved
// against it stay relative to the current folder, and a "../" that climbs
// above it stays a "../".
std::string FullFolderOf(std::string_view project)
{
    std::string folder(FolderOf(project));
    const host::PathRules &rules = host::HostRules();
    bool rooted = !folder.empty() && rules.IsSeparator(folder[0]);
    if (!rooted) {
        if (auto here = host::CurrentFolder()) {
            std::string full = *here + rules.joinSeparator + folder;
            if (full.size() < VORL_PATH_SIZE) {
                folder = full;
            }
        }
    }
    return folder;
}

// The table's record is dropped before the block is released.
class ForgetOnExit {
public:
    explicit ForgetOnExit(const VorlInformation &info) : info_(info) {}
    ~ForgetOnExit() { ForgetTable(info_); }
    ForgetOnExit(const ForgetOnExit &) = delete;
    ForgetOnExit &operator=(const ForgetOnExit &) = delete;

private:
    const VorlInformation &info_;
};

// Reads the project into `info`, its folder the caller's `prjdir` or the
// project file's own.
int ReadProject(const char *project, VorlInformation &info, const ConversionContext &reporter)
{
    StoreFieldText(info.prjfile, project);
    if (FieldText(info.prjdir).empty()) {
        StoreFieldText(info.prjdir, FullFolderOf(project));
    }
    TakeRefusedEntryName();
    if (int rc = ReadProjectFile(info); rc != VORL_OK) {
        // An entry whose name, resolved, does not fit its field fails the
        // read: the report names the entry, not the project.
        if (std::string refused = TakeRefusedEntryName(); !refused.empty()) {
            reporter.NoteFile(refused, VORL_CAUSE_NAME_TOO_LONG, ENAMETOOLONG);
            return rc;
        }
        reporter.NoteInput(project);
        return rc;
    }
    reporter.NoteRead(project, VORL_READ_PROJECT);
    return VORL_OK;
}

}  // namespace

int ConvertProject(const char *project, VorlInformation &info, const char *workbase, const ConversionContext &reporter)
{
    if (!IsUsablePath(project)) {
        return VORL_ERR_BAD_ACCESS;
    }
    // The outputs are the caller's: a project holds no data or header name.
    if (int rc = ReadProject(project, info, reporter); rc != VORL_OK) {
        return rc;
    }
    return ConvertOwnBlock(info, workbase, reporter);
}

int ConvertProjectFile(const char *project, const char *datafile, const char *headerfile, const char *workbase)
{
    if (!IsUsablePath(project) || !IsUsablePath(datafile) ||
        (headerfile != nullptr && std::strlen(headerfile) >= VORL_PATH_SIZE)) {
        return VORL_ERR_BAD_ACCESS;
    }
    VorlInformation info;
    std::memset(&info, 0, sizeof info);
    ReleaseOnExit release(info);
    ForgetOnExit forget(info);
    const ConversionContext described;
    if (int rc = ReadProject(project, info, described); rc != VORL_OK) {
        return rc;
    }
    StoreFieldText(info.datafile, datafile);
    if (headerfile != nullptr) {
        StoreFieldText(info.headerfile, headerfile);
    }
    return ConvertOwnBlock(info, workbase, described);
}

}  // namespace vorl
