#include "command_line.h"

#include <cctype>

namespace vorlmake {

std::string NextToken(std::string &text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') {
        ++i;
    }
    std::string token;
    bool quoted = false;
    for (; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c >= 1 && c <= 32) {
            break;
        } else {
            token.push_back(static_cast<char>(c));
        }
    }
    text.erase(0, i);
    return token;
}

CommandLineResult ParseArguments(const std::vector<std::string> &arguments)
{
    CommandLineResult result;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument.empty()) {
            continue;
        }
        if (argument[0] != '-') {
            result.projectFile = argument;
            continue;
        }
        char letter =
            argument.size() > 1 ? static_cast<char>(std::tolower(static_cast<unsigned char>(argument[1]))) : '\0';
        auto valueOf = [&] {
            if (argument.size() > 2) {
                return argument.substr(2);
            }
            return i + 1 < arguments.size() ? arguments[++i] : std::string();
        };
        switch (letter) {
            case 'r':
                result.initCommand |= kRunAfterLoad;
                break;
            case 't':
                result.initCommand |= kNoTitleWindow;
                break;
            case 'e':
                result.initCommand |= kEndWhenDone;
                break;
            case 's':
                result.saveFile = valueOf();
                break;
            case 'h':
                result.headerFile = valueOf();
                break;
            default:
                break;
        }
    }
    return result;
}

CommandLineResult ParseCommandLine(std::string commandLine)
{
    std::vector<std::string> tokens;
    while (!commandLine.empty()) {
        std::string token = NextToken(commandLine);
        if (!token.empty()) {
            tokens.push_back(token);
            continue;
        }
        // A blank rest yields nothing more; other separators are dropped.
        if (commandLine.find_first_not_of(" \t\r\n") == std::string::npos) {
            break;
        }
        commandLine.erase(0, 1);
    }
    return ParseArguments(tokens);
}

}  // namespace vorlmake
