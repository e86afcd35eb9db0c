#include "dependency_file.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "terminal_text.h"
#include "vorl_cnv.h"

namespace vorlcnv {

void ReadFiles::Note(void *context, const char *libraryPath, int32_t kind)
{
    std::string name = ToTerminalText(libraryPath);
    // A folder is named without its trailing separator, as Make names it.
    if (kind == VORL_READ_FOLDER) {
        while (name.size() > 1 && name.back() == '/') {
            name.pop_back();
        }
    }
    static_cast<ReadFiles *>(context)->Add(name);
}

void ReadFiles::Add(const std::string &utf8Name)
{
    if (!utf8Name.empty() && seen_.insert(utf8Name).second) {
        names_.push_back(utf8Name);
    }
}

std::string EscapeForMake(const std::string &name)
{
    std::string escaped;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c == ' ' || c == '\t' || c == '#' || c == ':') {
            // Backslashes right before an escaped character are doubled, or
            // they would escape the escape.
            for (size_t j = i; j > 0 && name[j - 1] == '\\'; --j) {
                escaped += '\\';
            }
            escaped += '\\';
        } else if (c == '$') {
            escaped += '$';
        }
        escaped += c;
    }
    return escaped;
}

bool WriteDependencyFile(const std::string &path, const std::vector<std::string> &targets,
                         const std::vector<std::string> &prerequisites, std::string &problem)
{
    std::string text;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += EscapeForMake(targets[i]);
    }
    text += ":";
    for (const std::string &name : prerequisites) {
        text.append(" \\\n  ").append(EscapeForMake(name));
    }
    text += "\n";
    for (const std::string &name : prerequisites) {
        text.append("\n").append(EscapeForMake(name)).append(":\n");
    }
    std::string temporary = path + ".tmp" + std::to_string(::getpid());
    std::FILE *file = std::fopen(temporary.c_str(), "wb");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    int error = errno;
    if (file != nullptr && std::fclose(file) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = "cannot write the dependency file " + path + ": " + std::strerror(written ? errno : error);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace vorlcnv
