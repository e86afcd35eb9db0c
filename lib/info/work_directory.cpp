#include "work_directory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "directory_listing.h"
#include "file_system.h"
#include "fixed_text.h"
#include "path_rules.h"
#include "run_lock.h"
#include "temporary_base.h"
#include "text_file.h"

namespace vorl {
namespace {

constexpr std::string_view kPrefix = "vorl";
constexpr int kCandidateCount = 0x10000;

// A variable without a CP932 form names no folder the library can reach.
std::string ChooseBase(const char *base)
{
    if (base != nullptr) {
        return std::string(base);
    }
    return common::TemporaryBase([](const char *name) { return host::EnvironmentText(name); });
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The run locks of the working directories this process made and has not
// removed yet, by folder.
std::mutex gLocksGuard;
std::map<std::string, int, std::less<>> gRunLocks;

void KeepRunLock(const std::string &workdir, int descriptor)
{
    std::lock_guard<std::mutex> hold(gLocksGuard);
    gRunLocks[workdir] = descriptor;
}

void DropRunLock(std::string_view workdir)
{
    std::lock_guard<std::mutex> hold(gLocksGuard);
    auto found = gRunLocks.find(workdir);
    if (found != gRunLocks.end()) {
        host::ReleaseRunLock(found->second);
        gRunLocks.erase(found);
    }
}

// Working directories whose runs ended without removing them (killed, or
// the machine went down) would pile up under the base; each new run takes
// away those it finds. Only a folder of the library's form with a lock
// file that nobody holds goes: a user's folder of the same name has none,
// and a living run holds its own.
void ReclaimAbandoned(const std::string &base)
{
    auto listing = host::ListDirectory(base, std::string(kPrefix) + "????");
    if (!listing) {
        return;
    }
    for (const host::DirectoryEntry &entry : *listing) {
        std::string folder = base + entry.name;
        int lock = -1;
        if (entry.isDirectory && IsWorkDirectoryName(folder) && host::IsAbandoned(folder, lock)) {
            host::RemoveFilesIn(folder);
            host::RemoveEmptyDirectory(folder);
            host::ReleaseRunLock(lock);
        }
    }
}

}  // namespace

int SetupWorkDirectory(VorlInformation &info, const char *base, const ConversionContext &reporter)
{
    const host::PathRules &rules = host::HostRules();
    std::string folder = ChooseBase(base);
    // An empty base would put the folder at the root of the file system.
    if (folder.empty()) {
        reporter.NoteFile("", VORL_CAUSE_NO_FOLDER, ENOENT);
        return VORL_ERR_WORK_DIRECTORY;
    }
    const std::string given = folder;
    if (!rules.EndsInSeparator(folder)) {
        folder.push_back(rules.joinSeparator);
    }
    ReclaimAbandoned(folder);
    unsigned start = static_cast<unsigned>(host::CalendarSeconds()) & 0xFFFFu;
    for (int tried = 0; tried < kCandidateCount; ++tried) {
        char name[16];
        std::snprintf(name, sizeof name, "%s%04X", kPrefix.data(), (start + static_cast<unsigned>(tried)) & 0xFFFFu);
        std::string candidate = folder + name;
        std::string withSeparator = candidate + rules.joinSeparator;
        if (withSeparator.size() >= sizeof info.workdir) {
            reporter.NoteFile(given, VORL_CAUSE_NAME_TOO_LONG, ENAMETOOLONG);
            return VORL_ERR_WORK_DIRECTORY;
        }
        switch (host::MakePrivateDirectory(candidate)) {
            case host::MakeDirectoryResult::Made:
                StoreFieldText(info.workdir, withSeparator);
                // Without its lock the folder is merely never reclaimed.
                if (int lock = host::TakeRunLock(withSeparator); lock >= 0) {
                    KeepRunLock(withSeparator, lock);
                }
                return VORL_OK;
            case host::MakeDirectoryResult::Exists:
                continue;
            case host::MakeDirectoryResult::Failed: {
                int error = errno;
                bool noFolder = error == ENOENT || error == ENOTDIR;
                reporter.NoteFile(given, noFolder ? VORL_CAUSE_NO_FOLDER : VORL_CAUSE_UNWRITABLE, error);
                return VORL_ERR_WORK_DIRECTORY;
            }
        }
    }
    // Every name of the form is taken.
    reporter.NoteFile(given, VORL_CAUSE_UNWRITABLE, EEXIST);
    return VORL_ERR_WORK_DIRECTORY;
}

bool IsWorkDirectoryName(std::string_view workdir)
{
    const host::PathRules &rules = host::HostRules();
    if (rules.EndsInSeparator(workdir)) {
        workdir.remove_suffix(1);
    }
    constexpr size_t kNameLength = 8;
    if (workdir.size() < kNameLength) {
        return false;
    }
    std::string_view name = workdir.substr(workdir.size() - kNameLength);
    bool separated =
        workdir.size() == kNameLength || rules.EndsInSeparator(workdir.substr(0, workdir.size() - kNameLength));
    if (!separated || name.substr(0, kPrefix.size()) != kPrefix) {
        return false;
    }
    for (char c : name.substr(kPrefix.size())) {
        if (!IsHexDigit(c)) {
            return false;
        }
    }
    return true;
}

void ReleaseBlock(VorlInformation &info)
{
    if (info.prjstream != nullptr) {
        delete static_cast<host::TextReader *>(info.prjstream);
        info.prjstream = nullptr;
    }
    if (info.entries != nullptr) {
        std::free(info.entries);
        info.entries = nullptr;
    }
    RemoveMadeWorkDirectory(FieldText(info.workdir));
}

void RemoveMadeWorkDirectory(std::string_view workdir)
{
    // A working directory set by hand (or the current folder that a bare
    // conversion falls back to) holds the user's own files: only a folder
    // of the form this library makes is emptied and removed.
    if (!workdir.empty() && IsWorkDirectoryName(workdir)) {
        host::RemoveFilesIn(workdir);
        host::RemoveEmptyDirectory(workdir);
        DropRunLock(workdir);
    }
}

}  // namespace vorl
