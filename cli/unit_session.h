#pragma once

#include "link/serial_link.h"
#include "protocol/frames.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <optional>
#include <variant>

namespace velmora::cli {

// How an exchange with the unit ended when it did not end as it should.
enum class LineTrouble {
    NoAnswer,    // nothing complete came back within the time-out
    WrongAnswer, // an image where an acknowledgement was due, or the reverse
    PortLost,    // the device vanished (adapter pulled, line hung up)
    Interrupted, // Ctrl-C or a termination request ended the wait
};

class Interruption;

// The window's serial link driven one exchange at a time, each waited for in an event
// loop of its own and ended by a time-out, never by a hang. Replies are assembled by
// the link exactly as in the window (chunks collected, dropped after 50 ms of silence).
class UnitSession : public QObject {
    Q_OBJECT

public:
    explicit UnitSession(std::chrono::milliseconds timeout, QObject* parent = nullptr);

    // The sentence for the operator when the device cannot be opened.
    std::optional<QString> open(const QString& device);

    // From now on a signal caught by `interruption` ends the exchange or wait under way
    // with LineTrouble::Interrupted, and one that came before keeps the next frame from
    // being sent at all.
    void stopOn(const Interruption& interruption);

    // Whether the frame of the latest exchange went to the port; after an interrupted
    // or lost exchange, whether the unit may have taken it.
    bool frameSent() const { return frameSent_; }

    // Each exchange first discards whatever waits in the port's input queue: a reply
    // left there by an earlier run (a late acknowledgement) belongs to nobody.
    // Sends the programming frame and waits for the 96 "U".
    std::optional<LineTrouble> program(const Frame& frame);
    // Sends the read request and waits for the 96-byte image.
    std::variant<Image, LineTrouble> read();

private:
    enum class Outcome { Acknowledged, ImageCame, TimedOut, Lost, Interrupted };
    Outcome exchange(const Frame& frame);
    // None when the exchange ended as `expected`, otherwise how it went wrong.
    static std::optional<LineTrouble> troubleOf(Outcome outcome, Outcome expected);

    SerialLink link_;
    std::chrono::milliseconds timeout_;
    Image lastImage_{};
    const Interruption* interruption_ = nullptr;
    bool frameSent_ = false;
};

} // namespace velmora::cli
