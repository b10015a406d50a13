#pragma once

#include "store/exchange_history.h"

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace velmora::store {

// The history on a thread of its own, with its own connection: the thread that drives a
// serial line only posts entries here and is called back with the outcome, so a slow
// disk or a full one never delays a poll, a time-out or a frame.
class HistoryThread {
public:
    explicit HistoryThread(const StoreLocation& location);
    // Lets the work already posted finish, then ends the thread.
    ~HistoryThread();
    HistoryThread(const HistoryThread&) = delete;
    HistoryThread& operator=(const HistoryThread&) = delete;

    // Runs `work` on the history's thread, then `answer` with its result on the thread of
    // `receiver`, in the order posted; no answer once `receiver` is gone.
    template <typename Answer>
    void ask(std::function<Answer(ExchangeHistory&)> work, QObject* receiver,
             std::function<void(Answer)> answer) {
        QPointer<QObject> target(receiver);
        QMetaObject::invokeMethod(
            host_.get(),
            [this, work = std::move(work), target, answer = std::move(answer)]() {
                auto result = work(*history_);
                if (target)
                    QMetaObject::invokeMethod(
                        target.data(), [answer, result = std::move(result)]() { answer(result); },
                        Qt::QueuedConnection);
            },
            Qt::QueuedConnection);
    }

    // Runs `work` on the history's thread and waits for it: only while no line is driven.
    template <typename Answer> Answer run(std::function<Answer(ExchangeHistory&)> work) {
        std::optional<Answer> answer;
        QMetaObject::invokeMethod(
            host_.get(), [this, &work, &answer]() { answer.emplace(work(*history_)); },
            Qt::BlockingQueuedConnection);
        return std::move(*answer);
    }

private:
    QThread thread_;
    std::unique_ptr<QObject> host_;
    std::unique_ptr<ExchangeHistory> history_;
};

} // namespace velmora::store
