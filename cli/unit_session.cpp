#include "cli/unit_session.h"

#include "cli/interruption.h"

#include <QEventLoop>
#include <QTimer>

namespace velmora::cli {

UnitSession::UnitSession(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), link_(this), timeout_(timeout) {}

std::optional<QString> UnitSession::open(const QString& device) {
    return link_.open(device);
}

void UnitSession::stopOn(const Interruption& interruption) {
    interruption_ = &interruption;
}

UnitSession::Outcome UnitSession::exchange(const Frame& frame) {
    frameSent_ = false;
    if (interruption_ != nullptr && interruption_->requested())
        return Outcome::Interrupted;
    QEventLoop loop;
    Outcome outcome = Outcome::TimedOut;
    const auto finish = [&](Outcome how) {
        outcome = how;
        loop.quit();
    };
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, [&] { finish(Outcome::TimedOut); });
    connect(&link_, &SerialLink::acknowledged, &loop, [&] { finish(Outcome::Acknowledged); });
    connect(&link_, &SerialLink::imageReceived, &loop, [&](const Image& image) {
        lastImage_ = image;
        finish(Outcome::ImageCame);
    });
    connect(&link_, &SerialLink::portLost, &loop, [&] { finish(Outcome::Lost); });
    if (interruption_ != nullptr)
        connect(interruption_, &Interruption::interrupted, &loop,
                [&] { finish(Outcome::Interrupted); });
    // A line error drops what was collected and restarts polling; the answer is lost,
    // and polls must not go out while the time-out runs.
    connect(&link_, &SerialLink::recovered, &loop, [&] { link_.stopPolling(); });

    // Polls stay off during the exchange, as "Programma" and "Leggi" keep them off;
    // nothing collected or waiting before belongs to this answer.
    link_.stopPolling();
    link_.discardWaitingInput();
    frameSent_ = link_.isOpen();
    link_.send(frame);
    deadline.start(timeout_);
    loop.exec();
    // A complete reply makes the link resume polling; the next exchange decides.
    link_.stopPolling();
    return outcome;
}

std::optional<LineTrouble> UnitSession::troubleOf(Outcome outcome, Outcome expected) {
    if (outcome == expected)
        return std::nullopt;
    switch (outcome) {
    case Outcome::Lost:
        return LineTrouble::PortLost;
    case Outcome::TimedOut:
        return LineTrouble::NoAnswer;
    case Outcome::Interrupted:
        return LineTrouble::Interrupted;
    case Outcome::Acknowledged:
    case Outcome::ImageCame:
        break;
    }
    return LineTrouble::WrongAnswer;
}

std::optional<LineTrouble> UnitSession::program(const Frame& frame) {
    return troubleOf(exchange(frame), Outcome::Acknowledged);
}

std::variant<Image, LineTrouble> UnitSession::read() {
    if (const auto trouble = troubleOf(exchange(readRequest()), Outcome::ImageCame))
        return *trouble;
    return lastImage_;
}

} // namespace velmora::cli
