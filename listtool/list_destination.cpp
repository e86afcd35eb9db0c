#include "list_destination.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <deque>
#include <map>
#include <vector>

namespace vorllist {
namespace {

constexpr int kMaxLinkHops = 40;  // the kernel's own limit for one name

std::deque<std::string> Parts(const std::string &name)
{
    std::deque<std::string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) {
            end = name.size();
        }
        if (end > start) {
            parts.push_back(name.substr(start, end - start));
        }
        start = end + 1;
    }
    return parts;
}

// Folders are kept without their trailing separator, the root as "".
std::string FolderOf(const std::string &path)
{
    return path.substr(0, path.rfind('/'));
}

bool IsSharedFolder(const std::string &folder, struct stat &st)
{
    return stat(folder.empty() ? "/" : folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           (st.st_mode & S_ISVTX) != 0 && (st.st_mode & S_IWOTH) != 0;
}

}  // namespace

ResolvedName ResolveName(const std::string &name, bool guardSharedFolders)
{
    ResolvedName result;
    if (name.empty()) {
        return result;
    }
    std::string current;
    if (name[0] != '/') {
        std::vector<char> cwd(PATH_MAX + 1);
        if (getcwd(cwd.data(), cwd.size()) == nullptr) {
            return result;
        }
        current = cwd.data();
        if (current == "/") {
            current.clear();
        }
    }
    std::deque<std::string> pending = Parts(name);
    std::vector<char> text(PATH_MAX + 1);
    int hops = 0;
    while (!pending.empty()) {
        std::string part = std::move(pending.front());
        pending.pop_front();
        if (part == ".") {
            continue;
        }
        // `current` has no link left in it, so its parent is the real one.
        if (part == "..") {
            current = FolderOf(current);
            continue;
        }
        std::string candidate = current + "/" + part;
        struct stat st {};
        if (lstat(candidate.c_str(), &st) != 0) {
            if (errno == ENOENT && pending.empty()) {
                result.outcome = ResolvedName::Outcome::Resolved;
                result.path = candidate;
            }
            return result;
        }
        if (S_ISLNK(st.st_mode)) {
            struct stat folder {};
            if (guardSharedFolders && IsSharedFolder(current, folder) && st.st_uid != geteuid() &&
                st.st_uid != folder.st_uid) {
                result.outcome = ResolvedName::Outcome::ProtectedLink;
                result.path = candidate;
                return result;
            }
            ssize_t length = readlink(candidate.c_str(), text.data(), text.size());
            if (++hops > kMaxLinkHops || length <= 0 || static_cast<size_t>(length) >= text.size()) {
                return result;
            }
            std::string link(text.data(), static_cast<size_t>(length));
            if (link[0] == '/') {
                current.clear();
            }
            std::deque<std::string> linked = Parts(link);
            pending.insert(pending.begin(), linked.begin(), linked.end());
            continue;
        }
        if (!pending.empty() && !S_ISDIR(st.st_mode)) {
            return result;
        }
        current = candidate;
    }
    result.outcome = ResolvedName::Outcome::Resolved;
    result.path = current.empty() ? "/" : current;
    return result;
}

DestinationResult FindDestination(const std::string &name)
{
    using Problem = DestinationResult::Problem;
    DestinationResult result;
    Destination &destination = result.destination;
    destination.given = name;
    result.problem = Problem::Unwritable;
    // A trailing separator names a folder, which no list can be.
    if (name.empty() || name.back() == '/') {
        return result;
    }
    ResolvedName resolved = ResolveName(name, true);
    if (resolved.outcome == ResolvedName::Outcome::ProtectedLink) {
        result.problem = Problem::ProtectedLink;
        result.name = resolved.path;
        return result;
    }
    if (resolved.outcome != ResolvedName::Outcome::Resolved) {
        return result;
    }
    destination.path = resolved.path;
    struct stat reached {};
    bool reachedExists = lstat(resolved.path.c_str(), &reached) == 0;
    if (stat(name.c_str(), &destination.found) == 0) {
        if (S_ISDIR(destination.found.st_mode)) {
            return result;
        }
        // A stream may be reached through a link under /proc whose text
        // names no file; opening the given name reaches it all the same.
        if (!S_ISREG(destination.found.st_mode)) {
            destination.kind = Destination::Kind::Stream;
        } else if (reachedExists && S_ISREG(reached.st_mode) && reached.st_dev == destination.found.st_dev &&
                   reached.st_ino == destination.found.st_ino) {
            destination.kind = Destination::Kind::Regular;
        } else {
            // The name leads to a file by a text that names another (a
            // deleted file under /proc): there is no name to rename to.
            return result;
        }
    } else if (errno != ENOENT || reachedExists) {
        return result;
    }
    // The sticky bit keeps others from replacing our files in a shared
    // folder; the list keeps theirs as safe, rather than taking them over.
    struct stat folder {};
    if (destination.kind != Destination::Kind::Absent && IsSharedFolder(FolderOf(resolved.path), folder) &&
        destination.found.st_uid != geteuid()) {
        result.problem = Problem::ForeignFile;
        result.name = resolved.path;
        return result;
    }
    result.problem = Problem::None;
    return result;
}

const FoundFile *SameFileAs(const Destination &destination, const std::vector<FoundFile> &files)
{
    if (destination.kind != Destination::Kind::Absent) {
        for (const FoundFile &file : files) {
            if (file.exists && file.device == destination.found.st_dev && file.inode == destination.found.st_ino) {
                return &file;
            }
        }
        return nullptr;
    }
    // A found name whose link leads nowhere yet may lead to the list once
    // it is written. The found files share a few folders, so each folder
    // is resolved once, and only a name that is a link itself is followed.
    std::map<std::string, ResolvedName> folders;
    for (const FoundFile &file : files) {
        auto [known, fresh] = folders.try_emplace(file.folder);
        if (fresh) {
            known->second = ResolveName(file.folder, false);
        }
        const ResolvedName &folder = known->second;
        if (folder.outcome != ResolvedName::Outcome::Resolved) {
            continue;
        }
        std::string path = (folder.path == "/" ? "" : folder.path) + "/" + file.name;
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            ResolvedName resolved = ResolveName(path, false);
            if (resolved.outcome != ResolvedName::Outcome::Resolved) {
                continue;
            }
            path = resolved.path;
        }
        if (path == destination.path) {
            return &file;
        }
    }
    return nullptr;
}

}  // namespace vorllist
