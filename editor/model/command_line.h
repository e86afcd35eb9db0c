// The editor's command line: a project file and the options "-r", "-t",
// "-e", "-s" and "-h".
#pragma once

#include <string>
#include <vector>

namespace vorlmake {

enum InitCommandBits { kRunAfterLoad = 1, kNoTitleWindow = 2, kEndWhenDone = 4 };

struct CommandLineResult {
    std::string projectFile;
    std::string saveFile;
    std::string headerFile;
    int initCommand = 0;
};

// Takes the first token off the front of `text`: leading blanks are
// skipped, double quotes switch quoting and are dropped, and outside
// quotes a character from 1 to 32 ends the token and stays in the text.
std::string NextToken(std::string &text);

// The program's arguments as the list they are: "-s" and "-h" take the
// name attached to the letter, or else the next argument. The last project
// file named wins.
CommandLineResult ParseArguments(const std::vector<std::string> &arguments);

// The same for one command-line text, split into tokens by NextToken.
CommandLineResult ParseCommandLine(std::string commandLine);

}  // namespace vorlmake
