#include "run_options.h"

#include <cstring>

#include "terminal_text.h"

namespace vorlcnv {

void RunOptions::Complete()
{
    options.cachedir = cacheFolder.empty() ? nullptr : cacheFolder.c_str();
    options.workbase = workBase.empty() ? nullptr : workBase.c_str();
    inputNames_.clear();
    outputNames_.clear();
    for (const std::string &name : otherInputs) {
        inputNames_.push_back(name.c_str());
    }
    for (const std::string &name : otherOutputs) {
        outputNames_.push_back(name.c_str());
    }
    inputNames_.push_back(nullptr);
    outputNames_.push_back(nullptr);
    options.otherinputs = inputNames_.data();
    options.otheroutputs = outputNames_.data();
}

RunOptions NewOptions(ReadFiles &read, const SharedSwitches &shared)
{
    RunOptions run;
    VorlConvertOptions &options = run.options;
    std::memset(&options, 0, sizeof options);
    options.size = sizeof options;
    // The files read are only wanted for a dependency file.
    if (!shared.depfile.empty()) {
        options.fileread = &ReadFiles::Note;
        options.filereadcontext = &read;
        auto depfile = ToLibraryText(shared.depfile);
        if (!depfile) {
            run.error = "the dependency file's name has no Shift-JIS (CP932) form: " + shared.depfile;
            return run;
        }
        run.otherOutputs.push_back(*depfile);
    }
    if (shared.hasWorkdir) {
        auto workBase = ToLibraryText(shared.workdir);
        if (!workBase || workBase->empty() || workBase->size() >= VORL_PATH_SIZE) {
            run.error = workBase && !workBase->empty()
                            ? "--workdir is too long (259 bytes in Shift-JIS at most): " + shared.workdir
                            : "--workdir needs a folder with a Shift-JIS (CP932) name: " + shared.workdir;
            return run;
        }
        run.workBase = *workBase;
    }
    options.verifyonly = shared.verify ? 1 : 0;
    options.jobs = ChooseJobs(shared.jobs, run.error);
    CacheChoice cache;
    if (options.jobs < 0 || !ChooseCache(shared.cache, cache, run.error)) {
        return run;
    }
    if (!cache.folder.empty()) {
        auto folder = ToLibraryText(cache.folder);
        if (!folder) {
            run.error = "the cache folder's name has no Shift-JIS (CP932) form: " + cache.folder;
            return run;
        }
        run.cacheFolder = *folder;
        options.cachemax = cache.limit;
    }
    return run;
}

}  // namespace vorlcnv
