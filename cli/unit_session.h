#pragma once

#include "cli/unit_outcome.h"
#include "link/serial_link.h"
#include "protocol/frames.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>

namespace velmora::cli {

class Interruption;

// The window's serial link driven one awaited exchange at a time, each waited for in an
// event loop of its own and ended by its time-out, never by a hang. Replies are
// assembled by the link exactly as in the window (chunks collected, dropped after 50 ms
// of silence).
class UnitSession : public QObject {
    Q_OBJECT

public:
    explicit UnitSession(std::chrono::milliseconds timeout, QObject* parent = nullptr);

    Result<void, OpenFailure> open(const QString& device) { return link_.open(device); }

    // From now on a signal caught by `interruption` ends the exchange or wait under way
    // with UnitOutcome::Interrupted, and one that came before keeps the next frame from
    // being sent at all.
    void stopOn(const Interruption& interruption);

    // Whether the frame of the latest exchange went to the port; after an interrupted
    // or lost exchange, whether the unit may have taken it.
    bool frameSent() const { return frameSent_; }

    // Sends the programming frame and waits for the 96 "U"; otherwise how it went wrong
    // (no-answer, wrong-answer, port-lost, interrupted).
    Result<void, UnitOutcome> program(const Frame& frame);
    // Sends the read request and waits for the 96-byte image.
    Result<Image, UnitOutcome> read();

private:
    // Runs one exchange that `start` begins on the link, to its end.
    UnitOutcome await(const std::function<bool()>& start);

    SerialLink link_;
    std::chrono::milliseconds timeout_;
    Image lastImage_{};
    const Interruption* interruption_ = nullptr;
    bool frameSent_ = false;
};

} // namespace velmora::cli
