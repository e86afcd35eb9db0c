#include "list_settings.h"

#include <cstdint>

#include "number_text.h"

namespace vorllist {
namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

void ApplyOption(ListSettings &settings, const std::string &argument)
{
    char letter = argument.size() > 1 ? argument[1] : '\0';
    if (letter == 'a' || letter == 'A') {
        settings.aliasMode = true;
        // As strtol with base 0 reads it ("0x" hexadecimal, a leading "0"
        // octal).
        auto offset =
            vorl::common::ReadNumberText(std::string_view(argument).substr(2), vorl::common::NumberBase::Prefixed);
        int64_t value = vorl::common::SaturatedSigned(offset);
        if (value < INT32_MIN || value > INT32_MAX) {
            if (settings.unfitOffset.empty()) {
                settings.unfitOffset = argument.substr(2);
            }
            value = 0;
        }
        settings.aliasOffset = static_cast<int32_t>(value);
    } else if (argument.size() == 2 && (letter == 's' || letter == 'S')) {
        settings.subFolders = true;
    } else if (letter == 'o' || letter == 'O') {
        std::string name = argument.substr(2);
        if (!name.empty() && name.front() == '"') {
            name = name.substr(1);
        }
        if (!name.empty() && name.back() == '"') {
            name.pop_back();
        }
        settings.outputName = name;
    }
}

void ApplyInputFile(ListSettings &settings, const std::string &argument)
{
    size_t split = argument.size();
    while (split > 0 && !IsSeparator(argument[split - 1])) {
        --split;
    }
    settings.searchFolder.append(argument, 0, split);
    if (settings.searchFolder.empty()) {
        settings.searchFolder.push_back('.');
    }
    settings.pattern = argument.substr(split);
    settings.inputName = argument;
    ++settings.inputCount;
}

}  // namespace

ListSettings ReadArguments(const std::vector<std::string> &arguments)
{
    ListSettings settings;
    for (const std::string &argument : arguments) {
        if (!argument.empty() && argument[0] == '-') {
            ApplyOption(settings, argument);
        } else {
            ApplyInputFile(settings, argument);
        }
    }
    return settings;
}

}  // namespace vorllist
