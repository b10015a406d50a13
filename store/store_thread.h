#pragma once

#include "store/owned_thread.h"
#include "store/production_store.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velmora::store {

// The production store on a thread of its own (see OwnedThread), where the numbers
// that several positions ask for at once are taken together.
class StoreThread {
public:
    // Opens the store on the worker thread and waits for the outcome: a batch does not
    // start on a store it cannot open.
    static StoreResult<std::unique_ptr<StoreThread>> start(const StoreLocation& location);
    // Lets the work already posted finish, then ends the thread (waiting for it: a caller
    // whose store does not answer lets go of the object instead).
    ~StoreThread() = default;

    // As OwnedThread::ask.
    template <typename Answer>
    void ask(std::function<Answer(ProductionStore&)> work, QObject* receiver,
             std::function<void(Answer)> answer) {
        worker_.ask(std::move(work), receiver, std::move(answer));
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
        return worker_.run(std::move(work));
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

    // Last, so that it ends first: what was posted runs while the lists above still stand.
    OwnedThread<ProductionStore> worker_{"store"};
};

} // namespace velmora::store
