#include "converter_pool.h"

#include "converter_run.h"
#include "entry_reference.h"
#include "file_system.h"
#include "fixed_text.h"
#include "host_file.h"

namespace vorl {

ConverterPool::ConverterPool(const VorlInformation &info, const std::string &workdir, int jobs, ConverterCache *cache,
                             std::function<bool()> stopNow)
    : info_(info),
      cache_(cache),
      stopNow_(std::move(stopNow)),
      results_(static_cast<size_t>(info.indexnum)),
      done_(static_cast<size_t>(info.indexnum), 0)
{
    for (int32_t row = 0; row < info.indexnum; ++row) {
        const IndexEntry &entry = info.entries[row];
        std::string_view name = FieldText(entry.filename);
        if (entry.use == 1 && entry.convertnum != 0 && !name.empty() && !common::IsReference(name)) {
            rows_.push_back(static_cast<size_t>(row));
            results_[static_cast<size_t>(row)].output = workdir + "vorlconv" + std::to_string(row) + ".tmp";
        }
    }
    for (int i = 0; i < jobs && static_cast<size_t>(i) < rows_.size(); ++i) {
        workers_.emplace_back([this] { Work(); });
    }
}

ConverterPool::~ConverterPool()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    for (std::thread &worker : workers_) {
        worker.join();
    }
    for (size_t row : rows_) {
        host::RemoveFile(results_[row].output);
    }
}

void ConverterPool::Work()
{
    while (true) {
        size_t row = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || next_ == rows_.size()) {
                return;
            }
            row = rows_[next_++];
        }
        const IndexEntry &entry = info_.entries[row];
        std::string name(FieldText(entry.filename));
        Result &result = results_[row];
        // As with one job: an empty or missing input reaches no converter.
        host::HostFile input = host::HostFile::OpenForReading(name);
        if (!input.IsOpen() || input.LengthAtOpen() <= 0) {
            result.noInput = true;
        } else {
            input.Close();
            host::RemoveFile(result.output);
            result.code = RunConverterCached(info_, entry.convertnum, name, result.output, result.exitCode,
                                             result.itemLength, cache_, stopNow_);
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_[row] = 1;
            // The run fails or stops at this row at the latest: no later
            // converter needs to start (after Ctrl+C it would only delay).
            if (result.code != VORL_OK) {
                stopping_ = true;
            }
        }
        finished_.notify_all();
    }
}

const ConverterPool::Result &ConverterPool::Wait(size_t row)
{
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return done_[row] != 0; });
    return results_[row];
}

void ConverterPool::Release(size_t row)
{
    host::RemoveFile(results_[row].output);
}

}  // namespace vorl
