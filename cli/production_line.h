#pragma once

#include "cli/batch_summary.h"
#include "cli/exit_status.h"
#include "cli/jig_display.h"
#include "cli/jig_position.h"
#include "cli/number_dispenser.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::cli {

// Keeps the record of every attempt, or says why the row could not be kept.
using UnitRecorder = std::function<Step<void>(const UnitReport&)>;

// A batch on every position of the jig at once, on the one event loop: each unit that
// arrives at a position takes the lowest free number, each attempt is recorded before
// its position moves on, and the batch ends once the numbers are used up and no unit is
// in the middle of an exchange.
class ProductionLine : public QObject {
    Q_OBJECT

public:
    struct Position {
        std::string label; // "port 3", "position 2"
        std::unique_ptr<JigPosition> jig;
    };

    ProductionLine(std::vector<Position> positions, std::map<long, Frame> frames,
                   NumberDispenser numbers, BatchSummary summary, UnitRecorder recorder);

    ExitStatus run();
    // Ctrl-C: every position stops, units in the middle of an exchange are recorded as
    // interrupted, and the batch ends with its summary.
    void interrupt();

private:
    void unitArrived(JigPosition* jig);
    void unitFinished(JigPosition* jig, const UnitReport& report);
    void showPosition(JigPosition* jig);
    void showTotal();
    void stopAll();
    void endIfDone();
    std::string stateText(const JigPosition& jig) const;
    const std::string& labelOf(const JigPosition& jig) const;
    ExitStatus closingStatus() const;

    std::vector<Position> positions_;
    std::map<long, Frame> frames_;
    NumberDispenser numbers_;
    BatchSummary summary_;
    UnitRecorder recorder_;
    JigDisplay display_;
    QEventLoop loop_;
    QElapsedTimer clock_;
    long available_;
    long handedOut_ = 0;
    std::size_t labelWidth_ = 0;
    std::size_t deviceWidth_ = 0;
    bool stopping_ = false;
    bool interrupted_ = false;
    bool finished_ = false;
    std::optional<std::string> recordFailure_;
    std::set<long> unrecorded_;
};

} // namespace velmora::cli
