#include "store/history_thread.h"

namespace velmora::store {

HistoryThread::HistoryThread(const StoreLocation& location)
    : host_(std::make_unique<QObject>()), history_(std::make_unique<ExchangeHistory>(location)) {
    host_->moveToThread(&thread_);
    thread_.setObjectName(QStringLiteral("history"));
    thread_.start();
}

HistoryThread::~HistoryThread() {
    // The entries posted before are written first; the connection closes on its thread.
    QMetaObject::invokeMethod(
        host_.get(), [this]() { history_.reset(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    host_.reset();
}

} // namespace velmora::store
