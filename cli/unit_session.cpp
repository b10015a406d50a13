#include "cli/unit_session.h"

#include "cli/interruption.h"

#include <QEventLoop>

namespace velmora::cli {

UnitSession::UnitSession(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), link_(this), timeout_(timeout) {}

void UnitSession::stopOn(const Interruption& interruption) {
    interruption_ = &interruption;
}

UnitOutcome UnitSession::await(const std::function<bool()>& start) {
    frameSent_ = false;
    if (interruption_ != nullptr && interruption_->requested())
        return UnitOutcome::Interrupted;
    QEventLoop loop;
    UnitOutcome outcome = UnitOutcome::Interrupted;
    connect(&link_, &SerialLink::exchangeEnded, &loop,
            [&](ExchangeOutcome how, const Image& image) {
                outcome = outcomeOf(how);
                lastImage_ = image;
                loop.quit();
            });
    if (interruption_ != nullptr)
        connect(interruption_, &Interruption::interrupted, &loop, [&] {
            link_.abandonExchange();
            loop.quit();
        });
    frameSent_ = start();
    loop.exec();
    return outcome;
}

Result<void, UnitOutcome> UnitSession::program(const Frame& frame) {
    const UnitOutcome outcome = await([&] { return link_.programAndAwait(frame, timeout_); });
    if (outcome != UnitOutcome::Programmed)
        return outcome;
    return {};
}

Result<Image, UnitOutcome> UnitSession::read() {
    const UnitOutcome outcome = await([&] { return link_.readAndAwait(timeout_); });
    if (outcome != UnitOutcome::Read)
        return outcome;
    return lastImage_;
}

} // namespace velmora::cli
