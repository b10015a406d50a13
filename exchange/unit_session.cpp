#include "exchange/unit_session.h"

#include "exchange/interruption.h"

#include <QEventLoop>

namespace velmora::exchange {

UnitSession::UnitSession(std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), link_(this), exchange_(link_, timeout, this) {}

void UnitSession::stopOn(const Interruption& interruption) {
    interruption_ = &interruption;
    exchange_.holdBackWhen([this] { return interruption_->requested(); });
}

ExchangeResult UnitSession::run(std::vector<ExchangeStep> steps, const Image& image) {
    QEventLoop loop;
    ExchangeResult result;
    connect(&exchange_, &UnitExchange::finished, &loop, [&](const ExchangeResult& ended) {
        result = ended;
        loop.quit();
    });
    if (interruption_ != nullptr)
        connect(interruption_, &Interruption::interrupted, &loop, [this] { exchange_.stop(); });
    exchange_.start(std::move(steps), image);
    // A sequence held back before its first request has already ended.
    if (exchange_.running())
        loop.exec();
    return result;
}

} // namespace velmora::exchange
