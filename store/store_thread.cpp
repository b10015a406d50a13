#include "store/store_thread.h"

#include <algorithm>

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

void StoreThread::askNumber(const std::string& job, const Taker& taker, QObject* receiver,
                            NumberAnswer answer) {
    std::lock_guard lock(wantedGuard_);
    wanted_.push_back({job, taker, receiver, std::move(answer)});
    // The first take of a group brings the store thread round; the later ones join it.
    if (wanted_.size() == 1)
        QMetaObject::invokeMethod(
            host_.get(), [this]() { takeWanted(); }, Qt::QueuedConnection);
}

void StoreThread::takeWanted() {
    std::vector<NumberWanted> group;
    {
        std::lock_guard lock(wantedGuard_);
        group.swap(wanted_);
    }
    for (auto first = group.begin(); first != group.end();) {
        const auto last = std::find_if(first, group.end(), [&first](const NumberWanted& wanted) {
            return wanted.job != first->job;
        });
        std::vector<Taker> takers;
        for (auto it = first; it != last; ++it)
            takers.push_back(it->taker);
        const auto taken = store_->takeSeveral(first->job, takers);
        for (auto it = first; it != last; ++it) {
            if (!it->receiver)
                continue;
            StoreResult<std::optional<Taken>> result =
                taken ? StoreResult<std::optional<Taken>>(
                            (*taken)[static_cast<std::size_t>(it - first)])
                      : StoreResult<std::optional<Taken>>(taken.error());
            QMetaObject::invokeMethod(
                it->receiver.data(),
                [answer = it->answer, result = std::move(result)]() { answer(result); },
                Qt::QueuedConnection);
        }
        first = last;
    }
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
