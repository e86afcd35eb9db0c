#include "dependency_plan.h"

#include <cstdio>

#include "current_folder.h"
#include "exit_status.h"
#include "terminal_text.h"

namespace vorlcnv {
namespace {

const ListSource *FindListSource(const std::vector<ListSource> &lists, const std::string &utf8Name)
{
    for (const ListSource &list : lists) {
        if (ToTerminalText(list.libraryName) == utf8Name) {
            return &list;
        }
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> DependencyPlan::Targets() const
{
    // The header first: a build that names both outputs of one command
    // names the header first (its time stamp is the one that counts), and
    // Ninja checks that a dependency file's first target is that output.
    if (namedTargets != nullptr && !namedTargets->empty()) {
        return *namedTargets;
    }
    Outputs written = outputs();
    std::vector<std::string> targets = {written.data};
    if (!written.header.empty()) {
        targets.insert(targets.begin(), written.header);
    }
    return targets;
}

std::vector<std::string> DependencyPlan::Prerequisites() const
{
    std::vector<std::string> prerequisites;
    for (const std::string &name : read->Names()) {
        const ListSource *list = lists != nullptr ? FindListSource(*lists, name) : nullptr;
        // Absolute names: a build reads the file from a folder of its own.
        if (list == nullptr) {
            prerequisites.push_back(FullPath(name));
        } else if (!list->userList.empty()) {
            prerequisites.push_back(FullPath(list->userList));
        }
    }
    return prerequisites;
}

int DependencyPlan::Stage(void *context, int32_t, const char *stagedPath)
{
    const DependencyPlan &plan = *static_cast<const DependencyPlan *>(context);
    return WriteStagedDependencyFile(stagedPath, plan.Targets(), plan.Prerequisites()) ? 0 : -1;
}

int DependencyPlan::WriteAlone(const std::string &depfile, const RunFileNames &names) const
{
    VorlFailureReport report{};
    int rc = WriteDependencyFile(depfile, Targets(), Prerequisites(), report);
    if (rc != 0) {
        SayOnStandardError(DescribeFailure(rc, &report, {}, &names) + "\n");
        return kCannotCreate;
    }
    return 0;
}

}  // namespace vorlcnv
