#include "logviews/BackgroundWork.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <thread>

bool TBackgroundWork::Run(const std::function<void(TJobProgress&)>& work,
                          const std::function<void(int64_t, int64_t)>& show) {
    FError.clear();
    TJobProgress progress;
    FProgress = &progress;
    QEventLoop loop;
    QTimer ticker;
    auto report = [&] { show(progress.Position.load(), progress.Maximum.load()); };
    connect(&ticker, &QTimer::timeout, &loop, report);
    ticker.start(ShowInterval);
    // The quit is queued to the loop's thread: a worker that ends before the
    // loop runs still ends it.
    std::thread worker([&] {
        // Nothing may escape a thread; the failure (memory for a huge month,
        // say) is told on the window's thread.
        try {
            work(progress);
        } catch (const std::exception& e) {
            FError = e.what();
        } catch (...) {
            FError = "unknown error";
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    ticker.stop();
    FProgress = nullptr;
    report();
    return FError.empty();
}

void TBackgroundWork::Cancel() {
    if (FProgress != nullptr)
        FProgress->Cancelled = true;
}
