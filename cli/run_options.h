// The library's options for one conversion, from the switches both modes
// share, with the files vorlcnv itself reads and writes for the run.
#pragma once

#include <string>
#include <vector>

#include "argument_check.h"
#include "dependency_file.h"
#include "vorl_cnv.h"

namespace vorlcnv {

// The options of a run, or the reason why the switches cannot be used.
// The names the options point at live here, so the options are only
// complete once this is where it stays (Complete()).
struct RunOptions {
    VorlConvertOptions options;
    std::string cacheFolder;  // the library's form of the cache folder, or empty
    std::string workBase;     // the library's form of --workdir, or empty
    std::string error;        // why the switches cannot be used (UTF-8), or empty
    // The files vorlcnv itself reads or writes for the run (CP932), which
    // the library compares with the conversion's own before it writes.
    std::vector<std::string> otherInputs, otherOutputs;

    // Points the options at the cache folder and the other files.
    void Complete();

private:
    std::vector<const char *> inputNames_, outputNames_;
};

// `read` hears of the files the conversion reads when a dependency file
// is asked for.
RunOptions NewOptions(ReadFiles &read, const SharedSwitches &shared);

}  // namespace vorlcnv
