#pragma once

#include <QObject>
#include <QPointer>
#include <QThread>

#include <functional>
#include <memory>
#include <optional>

namespace velmora::store {

// An object that lives and works on a thread of its own, with its own connection: the
// thread that drives the serial lines only posts work here and is called back with the
// answer, so a slow, full or frozen database never delays a poll, a time-out or a frame.
template <typename Owned> class OwnedThread {
public:
    explicit OwnedThread(const char* name, std::unique_ptr<Owned> owned = nullptr)
        : owned_(std::move(owned)) {
        host_->moveToThread(&thread_);
        thread_.setObjectName(QString::fromLatin1(name));
        thread_.start();
    }
    // Lets the work already posted finish, then closes the object on its thread and ends
    // the thread.
    ~OwnedThread() {
        QMetaObject::invokeMethod(
            host_.get(), [this]() { owned_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
        host_.reset();
    }
    OwnedThread(const OwnedThread&) = delete;
    OwnedThread& operator=(const OwnedThread&) = delete;

    // Runs `work` on the thread, then `answer` with its result on the thread of
    // `receiver`, in the order posted; no answer once `receiver` is gone.
    template <typename Answer>
    void ask(std::function<Answer(Owned&)> work, QObject* receiver,
             std::function<void(Answer)> answer) {
        QPointer<QObject> target(receiver);
        post([this, work = std::move(work), target, answer = std::move(answer)]() {
            auto result = work(*owned_);
            if (target)
                QMetaObject::invokeMethod(
                    target.data(), [answer, result = std::move(result)]() { answer(result); },
                    Qt::QueuedConnection);
        });
    }

    // Runs `work` on the thread and waits for it: only while no serial line is driven.
    template <typename Answer> Answer run(std::function<Answer(Owned&)> work) {
        std::optional<Answer> answer;
        QMetaObject::invokeMethod(
            host_.get(), [this, &work, &answer]() { answer.emplace(work(*owned_)); },
            Qt::BlockingQueuedConnection);
        return std::move(*answer);
    }

    // Runs `work` on the thread after what was posted before, without an answer.
    template <typename Work> void post(Work work) {
        QMetaObject::invokeMethod(host_.get(), std::move(work), Qt::QueuedConnection);
    }
    // Makes the object on the thread (where its connection will live) and waits for it.
    template <typename Make> void make(Make makeOwned) {
        QMetaObject::invokeMethod(
            host_.get(), [this, &makeOwned]() { owned_ = makeOwned(); },
            Qt::BlockingQueuedConnection);
    }
    // The object, for work already running on its thread.
    Owned& owned() { return *owned_; }

private:
    QThread thread_;
    std::unique_ptr<QObject> host_ = std::make_unique<QObject>();
    std::unique_ptr<Owned> owned_;
};

} // namespace velmora::store
