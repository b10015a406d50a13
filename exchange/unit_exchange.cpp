#include "exchange/unit_exchange.h"

#include "exchange/verification.h"
#include "protocol/frames.h"

#include <algorithm>
#include <array>

namespace velmora::exchange {
namespace {

// Each step: what it sends, what the unit answers, what it comes to, and the words for
// each way it can fail.
struct StepRow {
    ExchangeStep step;
    bool programs;           // sends the programming frame rather than the read request
    ExchangeOutcome awaited; // the answer that lets the sequence go on
    UnitOutcome succeeded;   // what the sequence comes to when it ends with this step
    const char* request;     // "no complete answer to ..."
    const char* wrongAnswer; // the other answer came
    const char* stopped;     // stopped once the request was out
};

constexpr std::array kSteps{
    StepRow{ExchangeStep::Read, false, ExchangeOutcome::ImageReceived, UnitOutcome::Read,
            "the read request", "an acknowledgement came instead of the image",
            "stopped while the image was awaited"},
    StepRow{ExchangeStep::Program, true, ExchangeOutcome::Acknowledged, UnitOutcome::Programmed,
            "the programming frame", "an image came instead of the acknowledgement",
            "stopped while the acknowledgement was awaited"},
    StepRow{ExchangeStep::ReadBack, false, ExchangeOutcome::ImageReceived, UnitOutcome::Verified,
            "the read request", "an acknowledgement came instead of the image",
            "stopped while the read-back was awaited"},
};

const StepRow& rowOf(ExchangeStep step) {
    return *std::find_if(kSteps.begin(), kSteps.end(),
                         [&](const StepRow& row) { return row.step == step; });
}

} // namespace

UnitExchange::UnitExchange(SerialLink& link, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), link_(link), timeout_(timeout) {
    connect(&link_, &SerialLink::exchangeEnded, this, &UnitExchange::exchangeEnded);
}

void UnitExchange::holdBackWhen(std::function<bool()> stopRequested) {
    stopRequested_ = std::move(stopRequested);
}

void UnitExchange::start(std::vector<ExchangeStep> steps, const Image& image) {
    steps_ = std::move(steps);
    image_ = image;
    done_ = 0;
    result_ = {};
    running_ = true;
    next();
}

void UnitExchange::next() {
    const StepRow& row = rowOf(steps_[done_]);
    result_.step = row.step;
    if (stopRequested_ && stopRequested_()) {
        end(UnitOutcome::Interrupted, std::string("stopped before ") + row.request + " went out");
        return;
    }
    if (row.programs)
        result_.frameSent = link_.programAndAwait(programmingFrame(image_), timeout_);
    else
        link_.readAndAwait(timeout_);
    emit stepStarted(row.step);
}

void UnitExchange::exchangeEnded(ExchangeOutcome outcome, const Image& image) {
    if (!running_)
        return;
    const StepRow& row = rowOf(result_.step);
    if (outcome != row.awaited) {
        switch (outcome) {
        case ExchangeOutcome::NoAnswer:
            end(UnitOutcome::NoAnswer, std::string("no complete answer to ") + row.request +
                                           " within " + std::to_string(timeout_.count()) + " ms");
            return;
        case ExchangeOutcome::PortLost:
            end(UnitOutcome::PortLost, "the line was lost during the exchange");
            return;
        case ExchangeOutcome::WrongAnswer:
        case ExchangeOutcome::Acknowledged:
        case ExchangeOutcome::ImageReceived:
            end(UnitOutcome::WrongAnswer, row.wrongAnswer);
            return;
        }
    }
    if (row.step == ExchangeStep::Read)
        result_.held = image;
    if (row.step == ExchangeStep::ReadBack) {
        result_.differences = compareReadBack(image_, image);
        if (!result_.differences.empty()) {
            std::string detail;
            for (const Difference& difference : result_.differences)
                detail += (detail.empty() ? "" : "; ") + describeReadBack(difference);
            end(UnitOutcome::VerifyFailed, detail);
            return;
        }
    }
    if (++done_ < steps_.size()) {
        next();
        return;
    }
    end(row.succeeded);
}

void UnitExchange::stop() {
    if (running_)
        end(UnitOutcome::Interrupted, rowOf(result_.step).stopped);
}

void UnitExchange::end(UnitOutcome outcome, std::string detail) {
    link_.abandonExchange();
    running_ = false;
    result_.outcome = outcome;
    result_.detail = std::move(detail);
    emit finished(result_);
}

} // namespace velmora::exchange
