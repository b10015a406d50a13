#include "store/store_thread.h"

#include <algorithm>

namespace velmora::store {

StoreResult<std::unique_ptr<StoreThread>> StoreThread::start(const StoreLocation& location) {
    std::unique_ptr<StoreThread> worker(new StoreThread);
    std::optional<StoreError> failed;
    worker->worker_.make([&location, &failed]() -> std::unique_ptr<ProductionStore> {
        auto opened = ProductionStore::open(location);
        if (opened)
            return std::move(*opened);
        failed = opened.error();
        return nullptr;
    });
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
        worker_.post([this]() { settleWanted(); });
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
        const auto settled = worker_.owned().settle(job, finished, takers);
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

} // namespace velmora::store
