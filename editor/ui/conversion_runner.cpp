#include "conversion_runner.h"

#include <QEventLoop>
#include <QMetaObject>
#include <thread>

namespace vorlmake {

int ConversionRunner::Run(const std::function<int()> &work)
{
    running_ = true;
    int result = 0;
    QEventLoop loop;
    std::thread worker([&] {
        result = work();
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    running_ = false;
    return result;
}

}  // namespace vorlmake
