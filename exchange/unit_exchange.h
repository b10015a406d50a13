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
    Backup,   // the read request before programming; what the unit answers with is handed
              // to the keeper, and the sequence goes on only once it has been kept
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
    std::optional<Image> held;                 // the image a Read or Backup step was answered with
    std::optional<Image> readBack;             // the image a ReadBack step was answered with
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

    // Keeps what a Backup step read: called with the image and a callback that says, now
    // or later, that it is kept (no reason) or why it could not be kept, which ends the
    // sequence with nothing sent.
    using KeptCallback = std::function<void(std::optional<std::string> notKept)>;
    using BackupKeeper = std::function<void(const Image& held, KeptCallback kept)>;
    void keepBackupsWith(BackupKeeper keeper) { keeper_ = std::move(keeper); }

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
    void backupKept(unsigned sequence, const std::optional<std::string>& notKept);

    SerialLink& link_;
    std::chrono::milliseconds timeout_;
    std::function<bool()> stopRequested_;
    BackupKeeper keeper_;
    unsigned sequence_ = 0; // a keeper's late answer belongs to no later sequence
    std::vector<ExchangeStep> steps_;
    std::size_t done_ = 0;
    Image image_{};
    bool running_ = false;
    ExchangeResult result_;
};

} // namespace velmora::exchange
