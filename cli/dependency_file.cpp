#include "dependency_file.h"

#include <cstdio>

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

std::string EscapeForMake(const std::string &name, MakePlace place)
{
    std::string escaped;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        // Ninja reads these escapes as Make does, except that it keeps "\%"
        // as it stands and takes one backslash fewer before '#' and ':'.
        // Make's reading wins: a '%' in a target would make a pattern rule
        // of it, and a '#' after an even run of backslashes a comment. Ninja
        // then sees a name that is not there and only runs the step again.
        bool special = c == ' ' || c == '\t' || c == '#' || c == ':' || (c == '%' && place == MakePlace::Target);
        if (special) {
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

std::string DependencyText(const std::vector<std::string> &targets, const std::vector<std::string> &prerequisites)
{
    std::string text;
    for (size_t i = 0; i < targets.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += EscapeForMake(targets[i], MakePlace::Target);
    }
    text += ":";
    for (const std::string &name : prerequisites) {
        text.append(" \\\n  ").append(EscapeForMake(name, MakePlace::Prerequisite));
    }
    text += "\n";
    for (const std::string &name : prerequisites) {
        text.append("\n").append(EscapeForMake(name, MakePlace::Target)).append(":\n");
    }
    return text;
}

bool WriteStagedDependencyFile(const char *stagedPath, const std::vector<std::string> &targets,
                               const std::vector<std::string> &prerequisites)
{
    std::string text = DependencyText(targets, prerequisites);
    std::FILE *file = std::fopen(ToTerminalText(stagedPath).c_str(), "wbx");
    bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return file != nullptr && std::fclose(file) == 0 && written;
}

int WriteDependencyFile(const std::string &path, const std::vector<std::string> &targets,
                        const std::vector<std::string> &prerequisites, VorlFailureReport &report)
{
    std::string text = DependencyText(targets, prerequisites);
    // Every file the run read is an input that the dependency file must
    // never replace.
    std::vector<std::string> inputs;
    for (const std::string &name : prerequisites) {
        if (auto library = ToLibraryText(name)) {
            inputs.push_back(*library);
        }
    }
    std::vector<const char *> inputNames;
    for (const std::string &name : inputs) {
        inputNames.push_back(name.c_str());
    }
    inputNames.push_back(nullptr);
    auto libraryPath = ToLibraryText(path);
    if (!libraryPath) {
        return VORL_ERR_OUTPUT_FILE;
    }
    return VorlWriteOutputFile(libraryPath->c_str(), text.data(), nullptr, 0, text.size(), inputNames.data(), &report);
}

}  // namespace vorlcnv
