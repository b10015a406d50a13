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
    numbersWanted_.push_back({job, taker, receiver, std::move(answer)});
    settleLater();
}

void StoreThread::askOutcome(const std::string& job, const NumberOutcome& finished,
                             QObject* receiver, OutcomeAnswer answer) {
    std::lock_guard lock(wantedGuard_);
    outcomesWanted_.push_back({job, finished, receiver, std::move(answer)});
    settleLater();
}

// The first question of a group brings the store thread round; the later ones join it.
void StoreThread::settleLater() {
    if (numbersWanted_.size() + outcomesWanted_.size() == 1)
        QMetaObject::invokeMethod(
            host_.get(), [this]() { settleWanted(); }, Qt::QueuedConnection);
}

namespace {

template <typename Answer, typename Value>
void answerOn(const QPointer<QObject>& receiver, const Answer& answer, Value value) {
    if (receiver)
        QMetaObject::invokeMethod(
            receiver.data(), [answer, value = std::move(value)]() { answer(value); },
            Qt::QueuedConnection);
}

} // namespace

void StoreThread::settleWanted() {
    std::vector<NumberWanted> numbers;
    std::vector<OutcomeWanted> outcomes;
    {
        std::lock_guard lock(wantedGuard_);
        numbers.swap(numbersWanted_);
        outcomes.swap(outcomesWanted_);
    }
    std::vector<std::string> jobs;
    const auto note = [&jobs](const std::string& job) {
        if (std::find(jobs.begin(), jobs.end(), job) == jobs.end())
            jobs.push_back(job);
    };
    for (const OutcomeWanted& wanted : outcomes)
        note(wanted.job);
    for (const NumberWanted& wanted : numbers)
        note(wanted.job);
    for (const std::string& job : jobs) {
        std::vector<NumberOutcome> finished;
        for (const OutcomeWanted& wanted : outcomes)
            if (wanted.job == job)
                finished.push_back(wanted.finished);
        std::vector<Taker> takers;
        for (const NumberWanted& wanted : numbers)
            if (wanted.job == job)
                takers.push_back(wanted.taker);
        const auto settled = store_->settle(job, finished, takers);
        std::size_t k = 0;
        for (const OutcomeWanted& wanted : outcomes)
            if (wanted.job == job)
                answerOn(wanted.receiver, wanted.answer,
                         settled ? settled->recorded[k++] : StoreResult<void>(settled.error()));
        k = 0;
        for (const NumberWanted& wanted : numbers)
            if (wanted.job == job)
                answerOn(wanted.receiver, wanted.answer,
                         settled ? StoreResult<std::optional<Taken>>(settled->taken[k++])
                                 : StoreResult<std::optional<Taken>>(settled.error()));
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
