// VorlList: writes the list file of numbered input files that the
// command-line conversion reads with "-f".
//
//   VorlList [-o<list file>] [-a[offset]] [-s] <folder/pattern with ???>
#include "vorllist_run.h"

int main(int argc, char **argv)
{
    return vorllist::Run(std::vector<std::string>(argv + 1, argv + argc));
}
