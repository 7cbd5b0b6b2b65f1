#include "base/OffThread.h"

#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

void RunOffThread(const std::function<void()>& work)
{
    std::exception_ptr failure;
    std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    // The thread may end before the loop starts; its finished signal is queued all the same.
    loop.exec();
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}
