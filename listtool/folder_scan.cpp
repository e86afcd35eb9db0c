#include "folder_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "list_settings.h"
#include "wildcard_match.h"

namespace vorllist {
namespace {

struct Entry {
    std::string name;
    bool isDirectory;
    bool exists;
    dev_t device;
    ino_t inode;
    bool loops = false;  // a symbolic link that leads back into itself
};

struct Listing {
    std::vector<Entry> entries;
    int error = 0;  // the folder exists but could not be read
    dev_t device = 0;
    ino_t inode = 0;
};

// A folder being scanned and those it lies in, as far as the scan went.
struct Ancestor {
    dev_t device;
    ino_t inode;
    std::string prefix;
};

// A folder that is not there (or is no folder) simply holds no files; one
// that is there but cannot be read would make a list with files missing.
bool IsAbsence(int error)
{
    return error == ENOENT || error == ENOTDIR;
}

// The entries of a folder in byte order of their names, so every list
// comes out the same on every run.
Listing ListFolder(const std::string &folder)
{
    Listing listing;
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr) {
        listing.error = IsAbsence(errno) ? 0 : errno;
        return listing;
    }
    struct stat self {};
    if (fstat(dirfd(dir), &self) != 0) {
        listing.error = errno;
        closedir(dir);
        return listing;
    }
    listing.device = self.st_dev;
    listing.inode = self.st_ino;
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
        if (entry == nullptr) {
            listing.error = errno;
            break;
        }
        struct stat st {};
        std::string path = folder + entry->d_name;
        if (stat(path.c_str(), &st) == 0) {
            listing.entries.push_back({entry->d_name, S_ISDIR(st.st_mode), true, st.st_dev, st.st_ino});
            continue;
        }
        int statError = errno;
        // A link that leads nowhere (or where the caller may not look) is
        // still a name of this folder; an entry that cannot even be looked
        // at means the folder cannot be searched. One removed since the
        // folder was read is simply gone.
        if (lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) {
                continue;
            }
            listing.error = errno;
            break;
        }
        listing.entries.push_back({entry->d_name, false, false, 0, 0, statError == ELOOP});
    }
    closedir(dir);
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return listing;
}

// A UTF-8 character: its first byte and the continuation bytes after it.
size_t CharacterLength(std::string_view text, size_t at)
{
    size_t length = 1;
    while (at + length < text.size() && (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

constexpr vorl::common::WildcardCharacters kUtf8 = {CharacterLength, false};

bool Matches(const std::string &pattern, const std::string &name)
{
    return vorl::common::MatchWildcard(pattern, name, kUtf8);
}

std::string WithSeparator(const std::string &folder)
{
    bool ends = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
    return ends ? folder : folder + "/";
}

bool Stopped(const ScanResult &result)
{
    return !result.tooLong.empty() || !result.unreadable.empty() || !result.loop.empty();
}

void Scan(const std::string &folder, const std::string &pattern, bool subFolders, std::vector<Ancestor> &ancestors,
          ScanResult &result)
{
    std::string prefix = WithSeparator(folder);
    if (prefix.size() > kMaxText) {
        result.tooLong = prefix;
        return;
    }
    Listing listing = ListFolder(prefix);
    if (listing.error == ELOOP) {
        result.loop = prefix;
        return;
    }
    if (listing.error != 0) {
        result.unreadable = prefix;
        result.error = listing.error;
        return;
    }
    // A link back up the tree would be followed until the names grew too
    // long, and the list would have named the same files again and again.
    for (const Ancestor &ancestor : ancestors) {
        if (ancestor.device == listing.device && ancestor.inode == listing.inode) {
            result.loop = prefix;
            result.loopsTo = ancestor.prefix;
            return;
        }
    }
    for (const Entry &entry : listing.entries) {
        if (!entry.isDirectory && entry.name[0] != '.' && Matches(pattern, entry.name)) {
            result.files.push_back({prefix, entry.name, entry.exists, entry.device, entry.inode});
        }
    }
    if (!subFolders) {
        return;
    }
    ancestors.push_back({listing.device, listing.inode, prefix});
    for (const Entry &entry : listing.entries) {
        // What a looping link was meant to be cannot be told: were it a
        // folder, the list would miss its files.
        if (entry.loops && entry.name[0] != '.') {
            result.loop = prefix + entry.name;
            break;
        }
        if (entry.isDirectory && entry.name[0] != '.') {
            Scan(prefix + entry.name, pattern, subFolders, ancestors, result);
            if (Stopped(result)) {
                break;
            }
        }
    }
    ancestors.pop_back();
}

}  // namespace

ScanResult ScanFolder(const std::string &folder, const std::string &pattern, bool subFolders)
{
    ScanResult result;
    std::vector<Ancestor> ancestors;
    Scan(folder, pattern, subFolders, ancestors, result);
    return result;
}

}  // namespace vorllist
