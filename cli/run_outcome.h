// What vorlcnv says when a conversion has ended, and the status it ends
// with: what it wrote, that the outputs are up to date or which one is
// not, the failure, or the signal that stopped it.
#pragma once

#include <vector>

#include "argument_check.h"
#include "dependency_plan.h"
#include "entry_lists.h"
#include "failure_message.h"
#include "output_names.h"
#include "run_control.h"
#include "vorl_cnv.h"

namespace vorlcnv {

// One run of VorlConvertWithOptions, in either mode.
struct Conversion {
    const VorlConvertOptions &options;
    const SharedSwitches &shared;
    RunControl &control;
    const DependencyPlan &dependencies;
    const std::vector<ListSource> &lists;  // the lists the line names; none for a project
};

// `rc` is what VorlConvertWithOptions returned; `outputs` are named as the
// user sees them, `names` as the library named them. Writes the dependency
// file of a verifying run. The exit status.
int ReportOutcome(int rc, const Conversion &run, const Outputs &outputs, const RunFileNames &names);

}  // namespace vorlcnv
