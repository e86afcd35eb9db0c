// Which targets and prerequisites a run's dependency file names, known
// only once the rows are packed: the outputs, and every file the run read,
// the user's lists in place of vorlcnv's copies of them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dependency_file.h"
#include "entry_lists.h"
#include "failure_message.h"
#include "output_names.h"

namespace vorlcnv {

struct DependencyPlan {
    // Asked when the file is written: a project's outputs are only known
    // once the library has read it.
    std::function<Outputs()> outputs;
    const ReadFiles *read = nullptr;
    const std::vector<ListSource> *lists = nullptr;  // null when the run read no list of ours
    // --depfile-target: the targets to name in place of the outputs.
    const std::vector<std::string> *namedTargets = nullptr;

    std::vector<std::string> Targets() const;
    std::vector<std::string> Prerequisites() const;

    // VorlConvertOptions::stageoutput, with the plan as its context: the
    // dependency file is the only other output, placed with the
    // conversion's own.
    static int Stage(void *context, int32_t index, const char *stagedPath);

    // Verifying places nothing: the dependency file is written alone. 0,
    // or kCannotCreate once the failure is on standard error.
    int WriteAlone(const std::string &depfile, const RunFileNames &names) const;
};

}  // namespace vorlcnv
