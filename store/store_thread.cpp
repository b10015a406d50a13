#include "store/store_thread.h"

namespace velmora::store {

StoreResult<std::unique_ptr<StoreThread>> StoreThread::start(const StoreLocation& location) {
    std::unique_ptr<StoreThread> worker(new StoreThread);
    worker->host_ = std::make_unique<QObject>();
    worker->host_->moveToThread(&worker->thread_);
    worker->thread_.start();
    std::optional<StoreError> failed;
    QMetaObject::invokeMethod(
        worker->host_.get(),
        [&worker, &location, &failed]() {
            auto opened = ProductionStore::open(location);
            if (opened)
                worker->store_ = std::move(*opened);
            else
                failed = opened.error();
        },
        Qt::BlockingQueuedConnection);
    if (failed)
        return *failed;
    return worker;
}

StoreThread::~StoreThread() {
    // The work posted before runs first; the store's connection is closed on its thread.
    QMetaObject::invokeMethod(
        host_.get(), [this]() { store_.reset(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    host_.reset();
}

} // namespace velmora::store
