#include "production/jig_position.h"

#include <algorithm>
#include <array>

namespace velmora::production {
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

using State = JigPosition::State;

// What each state means: the words for the operator; whether a unit is in the middle
// of its exchange, holding the number it was given; whether the state is about that
// unit (its number shown); whether a number the store hands out now may go to the unit
// seated here; whether the position is out of the batch until it is started again. A
// unit taken away after its attempt and a lost adapter say more of the unit (see
// stateText() and aboutUnit()).
struct StateRow {
    State state;
    const char* text;
    bool inExchange;
    bool aboutUnit;
    bool takesNumber;
    bool out;
};

constexpr std::array kStates{
    StateRow{State::Waiting, "waiting for a unit", false, false, true, false},
    StateRow{State::Programming, "programming", true, true, false, false},
    StateRow{State::Verifying, "verifying", true, true, false, false},
    StateRow{State::TakeAway, "take the unit away", false, true, false, false},
    StateRow{State::Lost, "adapter lost, waiting for it to come back", false, false, false, true},
    StateRow{State::Stopped, "stopped", false, false, false, true},
};

const StateRow& rowOf(State state) {
    return *std::find_if(kStates.begin(), kStates.end(),
                         [&](const StateRow& row) { return row.state == state; });
}

} // namespace

JigPosition::JigPosition(int position, std::chrono::milliseconds timeout, bool verify,
                         QObject* parent)
    : QObject(parent), position_(position), verify_(verify), link_(this),
      exchange_(link_, timeout, this) {
    pollGuard_.setTimerType(Qt::PreciseTimer);
    pollGuard_.setSingleShot(true);
    pollGuard_.setInterval(kPollGuardMs);
    connect(&pollGuard_, &QTimer::timeout, this, &JigPosition::poll);
    confirmation_.setTimerType(Qt::PreciseTimer);
    confirmation_.setSingleShot(true);
    confirmation_.setInterval(kConfirmationGapMs);
    connect(&confirmation_, &QTimer::timeout, this, &JigPosition::confirm);
    connect(&link_, &SerialLink::linkStatusChanged, this, &JigPosition::linkStatus);
    connect(&exchange_, &exchange::UnitExchange::stepStarted, this, &JigPosition::stepStarted);
    connect(&exchange_, &exchange::UnitExchange::finished, this, &JigPosition::finish);
    connect(&link_, &SerialLink::portLost, this, &JigPosition::lost);
    connect(&link_, &SerialLink::portBack, this, &JigPosition::back);
}

bool JigPosition::busy() const {
    return rowOf(state_).inExchange;
}

bool JigPosition::takesNumber() const {
    return rowOf(state_).takesNumber;
}

bool JigPosition::out() const {
    return rowOf(state_).out;
}

std::string JigPosition::stateText() const {
    const char* text = rowOf(state_).text;
    if (state_ != State::TakeAway || !unit_)
        return text;
    if (succeeded(unit_->outcome))
        return std::string("done, ") + text;
    return std::string("FAILED (") + outcomeWord(unit_->outcome) + "), " + text +
           (unit_->frameSent
                ? " and set it aside to check: it may hold " + std::to_string(unit_->number)
                : "");
}

bool JigPosition::aboutUnit() const {
    // An adapter lost during the exchange takes its unit's number with it.
    if (state_ == State::Lost)
        return unit_ && unit_->outcome == UnitOutcome::PortLost;
    return unit_ && rowOf(state_).aboutUnit;
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
    std::vector steps{exchange::ExchangeStep::Program};
    if (verify_)
        steps.push_back(exchange::ExchangeStep::ReadBack);
    exchange_.start(std::move(steps), unit_->image);
    unit_->frameSent = exchange_.frameSent();
    emit stateChanged(this);
}

void JigPosition::stepStarted(exchange::ExchangeStep step) {
    if (step != exchange::ExchangeStep::ReadBack)
        return;
    state_ = State::Verifying;
    emit stateChanged(this);
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
        exchange_.stop();
        return;
    }
    if (state_ != State::Stopped)
        enter(State::Stopped);
}

void JigPosition::finish(const exchange::ExchangeResult& result) {
    const State next = result.outcome == UnitOutcome::PortLost      ? State::Lost
                       : result.outcome == UnitOutcome::Interrupted ? State::Stopped
                                                                    : State::TakeAway;
    unit_->outcome = result.outcome;
    unit_->detail = result.detail;
    unit_->at = std::chrono::system_clock::now();
    // Not busy any more while the batch records the unit; a stop() from there wins.
    state_ = next;
    emit unitFinished(this, *unit_);
    if (state_ == next)
        enter(next);
}

} // namespace velmora::production
