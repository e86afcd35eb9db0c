// vorlcnv: the console front end of the conversion library.
//
//   vorlcnv [options] [--] ENTRY...   a conversion described by the line
//   vorlcnv --project FILE --data NAME [--header NAME] [--workdir DIR]
//   vorlcnv --list PACK | --extract N PACK | --cache-stats DIR
//   vorlcnv --help | --version
#include <string>
#include <vector>

#include "argument_check.h"
#include "cache_statistics.h"
#include "exit_status.h"
#include "line_mode.h"
#include "pack_commands.h"
#include "project_mode.h"

int main(int argc, char **argv)
{
    using namespace vorlcnv;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        return UsageError("nothing to do");
    }
    if (arguments[0] == "--list") {
        return RunListCommand(arguments);
    }
    if (arguments[0] == "--extract") {
        return RunExtractCommand(arguments);
    }
    if (arguments[0] == "--cache-stats") {
        return RunCacheStatisticsCommand(arguments);
    }
    if (ChoosesProjectMode(arguments)) {
        return RunProjectMode(arguments);
    }
    return RunLineMode(arguments);
}
