#pragma once

#include "exchange/unit_exchange.h"
#include "link/serial_link.h"
#include "production/unit_report.h"
#include "protocol/frames.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>
#include <string>

namespace velmora::production {

// One cradle of the jig: its own serial link, driven without ever blocking the event
// loop, so that every position of a batch runs on the one thread at once.
//
//   Waiting     polls until two polls in a row are answered, then asks for a number;
//               the second poll follows the first answer shortly, not a cadence later
//   Programming the frame is out; waits for the 96 "U"
//   Verifying   the read request is out; waits for the image
//   TakeAway    polls until two polls in a row go unanswered, then Waiting again
//   Lost        the adapter vanished; once it is back, TakeAway (the cradle may still
//               hold a unit that was already given a number)
//   Stopped     the batch has ended for this position
// What each state means to the operator and the batch stands in one table (kStates).
class JigPosition : public QObject {
    Q_OBJECT

public:
    enum class State { Waiting, Programming, Verifying, TakeAway, Lost, Stopped };

    JigPosition(int position, std::chrono::milliseconds timeout, bool verify,
                QObject* parent = nullptr);

    Result<void, OpenFailure> open(const QString& device) { return link_.open(device); }
    void start();

    // The answer to unitArrived(): program the unit just connected with this number.
    void program(long number, long ordinal, const Frame& frame);
    // Ends the position; a unit in the middle of its exchange is reported interrupted.
    void stop();

    int position() const { return position_; }
    const QString& device() const { return link_.device(); }
    State state() const { return state_; }
    // A unit is in the middle of its exchange here, with the number it was given.
    bool busy() const;
    // The number the store hands out now may go to program() here.
    bool takesNumber() const;
    // Out of the batch: lost or stopped.
    bool out() const;
    // What the operator is told of the position: "verifying", "done, take the unit away".
    std::string stateText() const;
    // Whether the state is about the last unit given a number, whose number is shown.
    bool aboutUnit() const;
    // The last unit given a number here, while it is in progress or waits to be taken away.
    const std::optional<UnitReport>& unit() const { return unit_; }

signals:
    // A unit answered two polls in a row: the position waits for program().
    void unitArrived(velmora::production::JigPosition* position);
    // The unit's attempt ended; the position moves on only after this returns.
    void unitFinished(velmora::production::JigPosition* position,
                      const velmora::production::UnitReport& report);
    void stateChanged(velmora::production::JigPosition* position);

private:
    void enter(State state);
    void linkStatus(bool connected);
    void stepStarted(exchange::ExchangeStep step);
    void lost();
    void back();
    void finish(const exchange::ExchangeResult& result);
    void poll();
    void confirm();

    int position_;
    bool verify_;
    SerialLink link_;
    exchange::UnitExchange exchange_;
    State state_ = State::Stopped;
    int inARow_ = 0;
    std::optional<UnitReport> unit_;
    QTimer pollGuard_;
    QTimer confirmation_;
};

} // namespace velmora::production
