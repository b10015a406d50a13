#include "cli/jig_position.h"

#include "cli/verification.h"

namespace velmora::cli {
namespace {

// Two polls in a row decide: a connector that bounces is neither taken nor let go.
constexpr int kPollsToDecide = 2;
// A dropped partial reply leaves polling paused; waiting must never stall on it.
constexpr int kPollGuardMs = 1000;
// A unit's first "V" is confirmed by a poll this long after it came rather than at the
// next tick, 200 ms on. The line would allow it sooner (a poll and its "V" take two byte
// times, about 2 ms); the gap is for the connector: as a unit is seated its contacts
// bounce for some milliseconds, rarely over 20, and two polls further apart than that
// cannot both fall on one touch of a bounce, so a seat that has not settled misses one
// and is not taken. 50 ms is also the closest together a unit is ever polled; counted
// from the answer rather than the poll, the unit sees the two polls at least that far
// apart however late the first "V" came back.
constexpr int kConfirmationGapMs = 50;

} // namespace

JigPosition::JigPosition(int position, std::chrono::milliseconds timeout, bool verify,
                         QObject* parent)
    : QObject(parent), position_(position), timeout_(timeout), verify_(verify), link_(this) {
    pollGuard_.setTimerType(Qt::PreciseTimer);
    pollGuard_.setSingleShot(true);
    pollGuard_.setInterval(kPollGuardMs);
    connect(&pollGuard_, &QTimer::timeout, this, &JigPosition::poll);
    confirmation_.setTimerType(Qt::PreciseTimer);
    confirmation_.setSingleShot(true);
    confirmation_.setInterval(kConfirmationGapMs);
    connect(&confirmation_, &QTimer::timeout, this, &JigPosition::confirm);
    connect(&link_, &SerialLink::linkStatusChanged, this, &JigPosition::linkStatus);
    connect(&link_, &SerialLink::exchangeEnded, this, &JigPosition::exchangeEnded);
    connect(&link_, &SerialLink::portLost, this, &JigPosition::lost);
    connect(&link_, &SerialLink::portBack, this, &JigPosition::back);
}

void JigPosition::start() {
    enter(link_.isOpen() ? State::Waiting : State::Lost);
}

void JigPosition::enter(State state) {
    state_ = state;
    inARow_ = 0;
    confirmation_.stop();
    link_.abandonExchange();
    if (state == State::Waiting || state == State::TakeAway) {
        link_.clearReceiveBuffer();
        link_.resumePolling();
        pollGuard_.start();
    } else {
        link_.stopPolling();
        pollGuard_.stop();
    }
    emit stateChanged(this);
}

void JigPosition::poll() {
    link_.resumePolling();
    pollGuard_.start();
}

void JigPosition::confirm() {
    link_.pollNow();
    pollGuard_.start();
}

void JigPosition::linkStatus(bool connected) {
    // Until the confirmation poll is out, a "V" answers no poll of the decision.
    if ((state_ != State::Waiting && state_ != State::TakeAway) || confirmation_.isActive())
        return;
    pollGuard_.start();
    const bool wanted = state_ == State::Waiting ? connected : !connected;
    inARow_ = wanted ? inARow_ + 1 : 0;
    if (inARow_ < kPollsToDecide) {
        if (state_ == State::Waiting && inARow_ == 1)
            confirmation_.start();
        return;
    }
    if (state_ == State::TakeAway) {
        enter(State::Waiting);
        return;
    }
    inARow_ = 0;
    emit unitArrived(this);
}

void JigPosition::program(long number, long ordinal, const Frame& frame) {
    UnitReport unit;
    unit.position = position_;
    unit.device = link_.device();
    unit.number = number;
    unit.ordinal = ordinal;
    unit.image = imageOfFrame(frame);
    unit.at = std::chrono::system_clock::now();
    unit_ = unit;
    state_ = State::Programming;
    pollGuard_.stop();
    confirmation_.stop();
    unit_->frameSent = link_.programAndAwait(frame, timeout_);
    emit stateChanged(this);
}

void JigPosition::exchangeEnded(ExchangeOutcome outcome, const Image& image) {
    if (!busy())
        return;
    const char* exchange =
        state_ == State::Programming ? "the programming frame" : "the read request";
    switch (outcome) {
    case ExchangeOutcome::Acknowledged:
        acknowledged();
        return;
    case ExchangeOutcome::ImageReceived:
        imageReceived(image);
        return;
    case ExchangeOutcome::WrongAnswer:
        finish(UnitOutcome::WrongAnswer, state_ == State::Programming
                                             ? "an image came instead of the acknowledgement"
                                             : "an acknowledgement came instead of the image");
        return;
    case ExchangeOutcome::NoAnswer:
        finish(UnitOutcome::NoAnswer, std::string("no complete answer to ") + exchange +
                                          " within " + std::to_string(timeout_.count()) + " ms");
        return;
    case ExchangeOutcome::PortLost:
        finish(UnitOutcome::PortLost, "the line was lost during the exchange");
        return;
    }
}

void JigPosition::acknowledged() {
    if (!verify_) {
        finish(UnitOutcome::Programmed);
        return;
    }
    state_ = State::Verifying;
    link_.readAndAwait(timeout_);
    emit stateChanged(this);
}

void JigPosition::imageReceived(const Image& image) {
    const std::vector<Difference> found = compareReadBack(unit_->image, image);
    if (found.empty()) {
        finish(UnitOutcome::Verified);
        return;
    }
    std::string detail;
    for (const Difference& difference : found)
        detail += (detail.empty() ? "" : "; ") + describeReadBack(difference);
    finish(UnitOutcome::VerifyFailed, detail);
}

// During an exchange the link reports the loss as the exchange's outcome first.
void JigPosition::lost() {
    if (state_ != State::Stopped && state_ != State::Lost)
        enter(State::Lost);
}

void JigPosition::back() {
    if (state_ == State::Lost)
        enter(State::TakeAway);
    else
        link_.stopPolling();
}

void JigPosition::stop() {
    if (busy()) {
        finish(UnitOutcome::Interrupted, state_ == State::Programming
                                             ? "stopped while the acknowledgement was awaited"
                                             : "stopped while the read-back was awaited");
        return;
    }
    if (state_ != State::Stopped)
        enter(State::Stopped);
}

void JigPosition::finish(UnitOutcome outcome, std::string detail) {
    const State next = outcome == UnitOutcome::PortLost      ? State::Lost
                       : outcome == UnitOutcome::Interrupted ? State::Stopped
                                                             : State::TakeAway;
    link_.abandonExchange();
    unit_->outcome = outcome;
    unit_->detail = std::move(detail);
    unit_->at = std::chrono::system_clock::now();
    // Not busy any more while the batch records the unit; a stop() from there wins.
    state_ = next;
    emit unitFinished(this, *unit_);
    if (state_ == next)
        enter(next);
}

} // namespace velmora::cli
