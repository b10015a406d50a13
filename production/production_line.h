#pragma once

#include "exchange/failure.h"
#include "production/batch_summary.h"
#include "production/jig_display.h"
#include "production/jig_position.h"
#include "store/store_thread.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::production {

using exchange::ExitStatus;
using exchange::Step;

// Keeps a copy of every attempt (the --log CSV), or says why the row could not be kept.
using UnitRecorder = std::function<Step<void>(const UnitReport&)>;

// Where the line's numbers come from: a job of the production store, taken by this
// station and operator through the store's own thread.
struct LineStore {
    store::StoreThread* thread;
    std::string job;
    std::string station;
    std::string operatorName;
    long freeAtStart = 0; // the units this batch may program at most, for its counters
};

// A batch on every position of the jig at once, on the one event loop: each unit that
// arrives at a position takes the lowest free number of the job, committed as sent
// before its frame leaves; each outcome is committed before its position takes another
// unit. When the store cannot be written the positions finish their exchanges and take
// no new unit until it answers again. The batch ends once the job has no free number
// and no unit is in the middle of an exchange.
class ProductionLine : public QObject {
    Q_OBJECT

public:
    struct Position {
        std::string label; // "port 3", "position 2"
        std::unique_ptr<JigPosition> jig;
    };

    ProductionLine(std::vector<Position> positions, std::map<long, Frame> frames, LineStore store,
                   BatchSummary summary, UnitRecorder mirror);

    ExitStatus run();
    // Ctrl-C: every position stops, units in the middle of an exchange are recorded as
    // interrupted, and the batch ends with its summary once the store has their outcome,
    // or after a grace time, naming every number whose outcome is not on record.
    void interrupt();
    // Work posted to the store is still unanswered (after Ctrl-C on a frozen server).
    bool storeBusy() const { return !waiting_.empty(); }

private:
    void unitArrived(JigPosition* jig);
    void taken(JigPosition* jig, const store::StoreResult<std::optional<store::Taken>>& answer);
    void unitFinished(JigPosition* jig, const UnitReport& report);
    void postOutcome(JigPosition* jig, const UnitReport& report);
    void outcomeRecorded(JigPosition* jig, const UnitReport& report,
                         const store::StoreResult<void>& answer);
    void storeFailed(const std::string& why);
    void storeAnswered();
    void watchStore();
    void showPosition(JigPosition* jig);
    void showTotal();
    void stopAll();
    void endIfDone();
    const std::string& labelOf(const JigPosition& jig) const;
    ExitStatus closingStatus() const;

    std::vector<Position> positions_;
    std::map<long, Frame> frames_;
    LineStore store_;
    BatchSummary summary_;
    UnitRecorder mirror_;
    JigDisplay display_;
    QEventLoop loop_;
    QElapsedTimer clock_;
    QTimer storeWatch_;
    QTimer grace_;
    // Positions waiting for the store (a number or an outcome), since when.
    std::map<JigPosition*, qint64> waiting_;
    // Numbers whose outcome the store does not have yet.
    std::map<long, UnitReport> unrecorded_;
    std::optional<long> freeLeft_;
    long handedOut_ = 0;
    std::size_t labelWidth_ = 0;
    std::size_t deviceWidth_ = 0;
    bool stopping_ = false;
    bool interrupted_ = false;
    bool exhausted_ = false;
    bool finished_ = false;
    std::optional<std::string> storeTrouble_;
    std::optional<std::string> mirrorFailure_;
    std::set<long> unmirrored_;
};

} // namespace velmora::production
