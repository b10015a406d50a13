#pragma once

#include "store/production_store.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velmora::store {

// The production store on a thread of its own, with its own connection: the thread
// that drives the serial lines only posts work here and is called back with the answer,
// so a slow or frozen database never delays a poll or a time-out.
class StoreThread {
public:
    // Opens the store on the worker thread and waits for the outcome: a batch does not
    // start on a store it cannot open.
    static StoreResult<std::unique_ptr<StoreThread>> start(const StoreLocation& location);
    // Lets the work already posted finish, then ends the thread (waiting for it: a caller
    // whose store does not answer lets go of the object instead).
    ~StoreThread();
    StoreThread(const StoreThread&) = delete;
    StoreThread& operator=(const StoreThread&) = delete;

    // Runs `work` on the store's thread, then `answer` with its result on the thread of
    // `receiver`, in the order posted; no answer once `receiver` is gone.
    template <typename Answer>
    void ask(std::function<Answer(ProductionStore&)> work, QObject* receiver,
             std::function<void(Answer)> answer) {
        QPointer<QObject> target(receiver);
        QMetaObject::invokeMethod(
            host_.get(),
            [this, work = std::move(work), target, answer = std::move(answer)]() {
                auto result = work(*store_);
                if (target)
                    QMetaObject::invokeMethod(
                        target.data(), [answer, result = std::move(result)]() { answer(result); },
                        Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }

    using NumberAnswer = std::function<void(StoreResult<std::optional<Taken>>)>;
    using OutcomeAnswer = std::function<void(StoreResult<void>)>;
    // Takes a number of `job` for `taker`, and records the outcome of a number, each
    // answered as `ask` answers. The takes and outcomes that positions post while the
    // store is busy run together when it is free, in one transaction, outcomes first: one
    // commit for all of them, each answered after that commit.
    void askNumber(const std::string& job, const Taker& taker, QObject* receiver,
                   NumberAnswer answer);
    void askOutcome(const std::string& job, const NumberOutcome& finished, QObject* receiver,
                    OutcomeAnswer answer);

    // Runs `work` on the store's thread and waits for it: only for setting up, before
    // any serial line is driven.
    template <typename Answer> Answer run(std::function<Answer(ProductionStore&)> work) {
        std::optional<Answer> answer;
        QMetaObject::invokeMethod(
            host_.get(), [this, &work, &answer]() { answer.emplace(work(*store_)); },
            Qt::BlockingQueuedConnection);
        return std::move(*answer);
    }

private:
    struct NumberWanted {
        std::string job;
        Taker taker;
        QPointer<QObject> receiver;
        NumberAnswer answer;
    };
    struct OutcomeWanted {
        std::string job;
        NumberOutcome finished;
        QPointer<QObject> receiver;
        OutcomeAnswer answer;
    };

    StoreThread() = default;
    void settleLater();
    void settleWanted();

    std::mutex wantedGuard_;
    std::vector<NumberWanted> numbersWanted_;
    std::vector<OutcomeWanted> outcomesWanted_;

    QThread thread_;
    std::unique_ptr<QObject> host_;
    std::unique_ptr<ProductionStore> store_;
};

} // namespace velmora::store
