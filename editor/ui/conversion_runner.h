// Runs one piece of work (a conversion by the library) on a worker thread
// while the interface thread goes on delivering events, so the window
// keeps painting and can take a request to stop.
#pragma once

#include <functional>

namespace vorlmake {

class ConversionRunner {
public:
    // Returns the work's result once it has ended; events are processed
    // meanwhile.
    int Run(const std::function<int()> &work);
    bool IsRunning() const { return running_; }

private:
    bool running_ = false;
};

}  // namespace vorlmake
