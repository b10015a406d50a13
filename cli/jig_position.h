#pragma once

#include "cli/unit_outcome.h"
#include "link/serial_link.h"
#include "protocol/frames.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <optional>

namespace velmora::cli {

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
    bool busy() const { return state_ == State::Programming || state_ == State::Verifying; }
    // The last unit given a number here, while it is in progress or waits to be taken away.
    const std::optional<UnitReport>& unit() const { return unit_; }

signals:
    // A unit answered two polls in a row: the position waits for program().
    void unitArrived(velmora::cli::JigPosition* position);
    // The unit's attempt ended; the position moves on only after this returns.
    void unitFinished(velmora::cli::JigPosition* position, const velmora::cli::UnitReport& report);
    void stateChanged(velmora::cli::JigPosition* position);

private:
    void enter(State state);
    void linkStatus(bool connected);
    void exchangeEnded(ExchangeOutcome outcome, const Image& image);
    void acknowledged();
    void imageReceived(const Image& image);
    void lost();
    void back();
    void finish(UnitOutcome outcome, std::string detail = {});
    void poll();
    void confirm();

    int position_;
    std::chrono::milliseconds timeout_;
    bool verify_;
    SerialLink link_;
    State state_ = State::Stopped;
    int inARow_ = 0;
    std::optional<UnitReport> unit_;
    QTimer pollGuard_;
    QTimer confirmation_;
};

} // namespace velmora::cli
