#include "folder_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "list_settings.h"
#include "wildcard_match.h"

namespace vorllist {
namespace {

struct Entry {
    std::string name;
    bool isDirectory;
};

// The entries of a folder in byte order of their names, so every list
// comes out the same on every run.
std::vector<Entry> ListFolder(const std::string &folder)
{
    std::vector<Entry> entries;
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return entries;
    }
    while (const dirent *entry = readdir(dir)) {
        struct stat st {};
        std::string path = folder + entry->d_name;
        bool isDirectory = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back({entry->d_name, isDirectory});
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) { return a.name < b.name; });
    return entries;
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

void Scan(const std::string &folder, const std::string &pattern, bool subFolders, ScanResult &result)
{
    std::string prefix = WithSeparator(folder);
    if (prefix.size() > kMaxText) {
        result.tooLong = prefix;
        return;
    }
    std::vector<Entry> entries = ListFolder(prefix);
    for (const Entry &entry : entries) {
        if (!entry.isDirectory && entry.name[0] != '.' && Matches(pattern, entry.name)) {
            result.files.push_back({prefix, entry.name});
        }
    }
    if (!subFolders) {
        return;
    }
    for (const Entry &entry : entries) {
        if (entry.isDirectory && entry.name[0] != '.') {
            Scan(prefix + entry.name, pattern, subFolders, result);
            if (!result.tooLong.empty()) {
                return;
            }
        }
    }
}

}  // namespace

ScanResult ScanFolder(const std::string &folder, const std::string &pattern, bool subFolders)
{
    ScanResult result;
    Scan(folder, pattern, subFolders, result);
    return result;
}

}  // namespace vorllist
