#pragma once

#include "exchange/unit_exchange.h"
#include "link/serial_link.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <vector>

namespace velmora::exchange {

class Interruption;

// The window's serial link driven one awaited exchange sequence at a time, waited for
// in an event loop of its own and ended by its time-outs, never by a hang. Replies are
// assembled by the link exactly as in the window (chunks collected, dropped after 50 ms
// of silence).
class UnitSession : public QObject {
    Q_OBJECT

public:
    explicit UnitSession(std::chrono::milliseconds timeout, QObject* parent = nullptr);

    Result<void, OpenFailure> open(const QString& device) { return link_.open(device); }

    // From now on a signal caught by `interruption` ends the step under way as
    // interrupted, and one that came before keeps the next request from being sent at
    // all.
    void stopOn(const Interruption& interruption);

    // Runs the steps for `image` (the configuration meant for the unit) to their end.
    ExchangeResult run(std::vector<ExchangeStep> steps, const Image& image = {});

private:
    SerialLink link_;
    UnitExchange exchange_;
    const Interruption* interruption_ = nullptr;
};

} // namespace velmora::exchange
