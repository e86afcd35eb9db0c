// Running the converters of many rows side by side. Each writes its own
// temporary output in the working directory; the packer takes the results
// in row order, so the pack is the same for any number of jobs.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vorl_cnv.h"

namespace vorl {

class ConverterCache;

class ConverterPool {
public:
    struct Result {
        int code = VORL_OK;       // RunConverter's code
        int exitCode = 0;         // the converter's exit code when it failed
        bool noInput = false;     // the input is missing or empty: nothing ran
        std::string output;       // the temporary output, removed by the pool
        int64_t itemLength = -1;  // the item's bytes at the start of `output`; -1: all
    };

    // Starts `jobs` workers over the rows in use that name a converter;
    // `stopNow` (may be empty) ends running converters, see RunConverter.
    ConverterPool(const VorlInformation &info, const std::string &workdir, int jobs, ConverterCache *cache,
                  std::function<bool()> stopNow);
    // Stops the workers (no new converter starts), waits for the running
    // ones, and removes every temporary output.
    ~ConverterPool();
    ConverterPool(const ConverterPool &) = delete;
    ConverterPool &operator=(const ConverterPool &) = delete;

    // Waits for the converter of `row`, which must be one the pool runs.
    const Result &Wait(size_t row);
    // The row's output has been stored: its temporary can go.
    void Release(size_t row);

private:
    void Work();

    const VorlInformation &info_;
    ConverterCache *cache_;
    std::function<bool()> stopNow_;
    std::vector<size_t> rows_;     // the rows with converters, in row order
    std::vector<Result> results_;  // by row
    std::vector<char> done_;       // by row
    size_t next_ = 0;              // the next entry of rows_ to start
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<std::thread> workers_;
};

}  // namespace vorl
