#pragma once

#include "exchange/configuration_diff.h"
#include "exchange/unit_outcome.h"
#include "link/serial_link.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora::exchange {

// What a unit's exchange is made of; a sequence runs them in the order given and ends
// at the first that fails.
enum class ExchangeStep {
    Read,     // the read request; the image the unit answers with is kept
    Program,  // the programming frame, acknowledged by the 96 "U"
    ReadBack, // the read request after programming; the unit must hold the image sent
};

// How a unit's exchange ended.
struct ExchangeResult {
    UnitOutcome outcome = UnitOutcome::Interrupted;
    ExchangeStep step = ExchangeStep::Program; // the step it ended in
    std::string detail;                        // what went wrong, in the record's words
    bool frameSent = false;                    // a programming frame went to the unit
    std::optional<Image> held;                 // the image a Read step was answered with
    std::vector<Difference> differences;       // what a failed read-back found
};

// One unit's exchange sequence on a serial line, driven by the line's own events and
// never blocking: each step's request goes out as the one before it succeeds, and
// finished() tells once how the sequence ended, in the same words for every front end.
class UnitExchange : public QObject {
    Q_OBJECT

public:
    UnitExchange(SerialLink& link, std::chrono::milliseconds timeout, QObject* parent = nullptr);

    // Before each step's request goes out: when this says so, the sequence ends as
    // interrupted instead, the request unsent.
    void holdBackWhen(std::function<bool()> stopRequested);

    // Runs `steps` for `image`, the configuration meant for the unit.
    void start(std::vector<ExchangeStep> steps, const Image& image);
    // Ends the step under way as interrupted.
    void stop();

    bool running() const { return running_; }
    // Whether a programming frame of this sequence went to the port.
    bool frameSent() const { return result_.frameSent; }

signals:
    // The step's request has gone out.
    void stepStarted(velmora::exchange::ExchangeStep step);
    void finished(const velmora::exchange::ExchangeResult& result);

private:
    void next();
    void exchangeEnded(ExchangeOutcome outcome, const Image& image);
    void end(UnitOutcome outcome, std::string detail = {});

    SerialLink& link_;
    std::chrono::milliseconds timeout_;
    std::function<bool()> stopRequested_;
    std::vector<ExchangeStep> steps_;
    std::size_t done_ = 0;
    Image image_{};
    bool running_ = false;
    ExchangeResult result_;
};

} // namespace velmora::exchange
