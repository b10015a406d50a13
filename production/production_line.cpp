#include "production/production_line.h"

#include "production/production_record.h"

#include <algorithm>
#include <charconv>

namespace velmora::production {
namespace {

std::string oneDecimal(double value) {
    char text[32];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return error == std::errc{} ? std::string(text, end) : std::string("?");
}

constexpr std::size_t kNumberWidth = 4;
// A store that has not answered for this long is reported as not answering.
constexpr qint64 kStoreSilentMs = 2000;
// After Ctrl-C, how long the batch waits for the store to take the last outcomes.
constexpr int kGraceMs = 5000;
// How soon an outcome the store could not take is offered again.
constexpr int kRetryMs = 1000;

// What the store keeps of a unit's attempt.
store::Outcome outcomeOf(const UnitReport& unit) {
    const char* state = unit.outcome == UnitOutcome::Verified     ? store::kVerified
                        : unit.outcome == UnitOutcome::Programmed ? store::kProgrammed
                        : unit.frameSent                          ? store::kToCheck
                                                                  : store::kFree;
    return {state, outcomeWord(unit.outcome), unit.detail, unit.frameSent, hexOf(unit.image)};
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width > text.size() ? width - text.size() : 0, ' ');
}

std::string resultText(const UnitReport& unit) {
    if (unit.outcome == UnitOutcome::Verified)
        return "programmed and verified";
    if (unit.outcome == UnitOutcome::Programmed)
        return "programmed";
    std::string text = std::string("FAILED, ") + outcomeWord(unit.outcome);
    if (!unit.detail.empty())
        text += ": " + unit.detail;
    return text + (unit.frameSent ? "; the number is spent: set the unit aside and check it"
                                  : "; its frame was not sent, the number stays free");
}

} // namespace

ProductionLine::ProductionLine(std::vector<Position> positions, std::map<long, Frame> frames,
                               LineStore store, BatchSummary summary, UnitRecorder mirror)
    : positions_(std::move(positions)), frames_(std::move(frames)), store_(std::move(store)),
      summary_(std::move(summary)), mirror_(std::move(mirror)),
      display_(stderr, stdout, positions_.size()) {
    for (Position& position : positions_) {
        labelWidth_ = std::max(labelWidth_, position.label.size());
        deviceWidth_ = std::max(deviceWidth_, position.jig->device().toStdString().size());
        JigPosition* jig = position.jig.get();
        connect(jig, &JigPosition::unitArrived, this, &ProductionLine::unitArrived);
        connect(jig, &JigPosition::unitFinished, this, &ProductionLine::unitFinished);
        connect(jig, &JigPosition::stateChanged, this, &ProductionLine::showPosition);
    }
    storeWatch_.setInterval(500);
    connect(&storeWatch_, &QTimer::timeout, this, &ProductionLine::watchStore);
    grace_.setSingleShot(true);
    grace_.setInterval(kGraceMs);
    connect(&grace_, &QTimer::timeout, this, &ProductionLine::endIfDone);
}

ExitStatus ProductionLine::run() {
    clock_.start();
    storeWatch_.start();
    for (Position& position : positions_)
        position.jig->start();
    showTotal();
    endIfDone();
    if (!finished_)
        loop_.exec();
    display_.close();
    for (const std::string& line : summary_.lines(freeLeft_, exhausted_))
        display_.result(line);
    if (!unrecorded_.empty()) {
        std::string doubt;
        for (const auto& [number, unit] : unrecorded_)
            doubt += (doubt.empty() ? "" : ", ") + std::to_string(number) + " (" +
                     labelOf(*positions_[static_cast<std::size_t>(unit.position - 1)].jig) + ", " +
                     outcomeWord(unit.outcome) + ")";
        display_.result("in doubt, the store does not have their outcome (they stay \"sent\" "
                        "and become \"to check\" when this station starts again): " +
                        doubt);
    }
    if (!waiting_.empty())
        display_.result("a number asked for when the store stopped answering may be on record "
                        "as sent to this station; it becomes \"to check\" when the station "
                        "starts again");
    if (!unmirrored_.empty())
        display_.result("missing from the CSV copy: " + numberList(unmirrored_));
    const ExitStatus status = closingStatus();
    if (storeTrouble_ && status != ExitStatus::Interrupted)
        std::fprintf(stderr, "velmora-cli: the batch stopped: %s\n", storeTrouble_->c_str());
    else if (mirrorFailure_)
        std::fprintf(stderr, "velmora-cli: the CSV copy stopped: %s\n", mirrorFailure_->c_str());
    else if (status == ExitStatus::PortUnusable)
        std::fputs("velmora-cli: the batch stopped: every position lost its adapter\n", stderr);
    return status;
}

ExitStatus ProductionLine::closingStatus() const {
    if (interrupted_)
        return ExitStatus::Interrupted;
    if (!unrecorded_.empty() || mirrorFailure_)
        return ExitStatus::RecordFailed;
    if (!exhausted_)
        return ExitStatus::PortUnusable;
    return summary_.failed() > 0 ? ExitStatus::Differs : ExitStatus::Done;
}

void ProductionLine::interrupt() {
    interrupted_ = true;
    grace_.start();
    stopAll();
}

void ProductionLine::stopAll() {
    stopping_ = true;
    for (Position& position : positions_)
        position.jig->stop();
    endIfDone();
}

void ProductionLine::unitArrived(JigPosition* jig) {
    if (stopping_ || exhausted_) {
        jig->stop();
        endIfDone();
        return;
    }
    // One question to the store at a time per position: a number, or the last outcome.
    if (waiting_.contains(jig))
        return;
    waiting_[jig] = clock_.elapsed();
    const store::Taker taker{store_.station, labelOf(*jig), store_.operatorName,
                             jig->device().toStdString()};
    store_.thread->askNumber(store_.job, taker, this,
                             [this, jig](store::StoreResult<std::optional<store::Taken>> answer) {
                                 taken(jig, answer);
                             });
}

void ProductionLine::taken(JigPosition* jig,
                           const store::StoreResult<std::optional<store::Taken>>& answer) {
    waiting_.erase(jig);
    if (!answer) {
        // The position asks again when the unit answers its next polls.
        storeFailed(answer.error().message);
        endIfDone();
        return;
    }
    storeAnswered();
    if (!*answer) {
        exhausted_ = true;
        freeLeft_ = 0;
        for (Position& position : positions_)
            if (!position.jig->busy())
                position.jig->stop();
        endIfDone();
        return;
    }
    const store::Taken number = **answer;
    freeLeft_ = number.freeLeft;
    if (stopping_ || !jig->takesNumber()) {
        // No frame left for it: the number goes back to the job.
        UnitReport unused;
        unused.position = jig->position();
        unused.number = number.number;
        unused.outcome = UnitOutcome::Interrupted;
        postOutcome(jig, unused);
        return;
    }
    jig->program(number.number, ++handedOut_, frames_.at(number.number));
    if (number.freeLeft == 0)
        exhausted_ = true;
}

void ProductionLine::unitFinished(JigPosition* jig, const UnitReport& report) {
    summary_.add(report);
    display_.result("[" + std::to_string(report.ordinal) + "/" +
                    std::to_string(store_.freeAtStart) + "] " + labelOf(*jig) + " " +
                    std::to_string(report.number) + ": " + resultText(report));
    postOutcome(jig, report);
    showTotal();
}

// The position takes no other unit until the store has this outcome.
void ProductionLine::postOutcome(JigPosition* jig, const UnitReport& report) {
    unrecorded_[report.number] = report;
    waiting_.try_emplace(jig, clock_.elapsed());
    store_.thread->askOutcome(store_.job, {report.number, outcomeOf(report)}, this,
                              [this, jig, report](store::StoreResult<void> answer) {
                                  outcomeRecorded(jig, report, answer);
                              });
}

void ProductionLine::outcomeRecorded(JigPosition* jig, const UnitReport& report,
                                     const store::StoreResult<void>& answer) {
    if (!answer && !answer.error().refused) {
        storeFailed(answer.error().message);
        if (!finished_)
            QTimer::singleShot(kRetryMs, this, [this, jig, report] {
                if (!finished_)
                    postOutcome(jig, report);
            });
        endIfDone();
        return;
    }
    waiting_.erase(jig);
    if (answer) {
        storeAnswered();
        unrecorded_.erase(report.number);
    } else {
        display_.result("the store refused the outcome of " + std::to_string(report.number) + ": " +
                        answer.error().message);
    }
    if (report.ordinal > 0 && mirror_) {
        if (const Step<void> copied = mirror_(report); !copied) {
            unmirrored_.insert(report.number);
            mirrorFailure_ = copied.error().message;
        }
    }
    endIfDone();
}

void ProductionLine::storeFailed(const std::string& why) {
    if (storeTrouble_ == why)
        return;
    storeTrouble_ = why;
    display_.result("the store cannot be written: " + why +
                    "; the positions finish their units and take no new one until it answers");
    showTotal();
}

void ProductionLine::storeAnswered() {
    if (!storeTrouble_)
        return;
    storeTrouble_.reset();
    display_.result("the store answers again; the batch goes on");
    showTotal();
}

void ProductionLine::watchStore() {
    qint64 oldest = clock_.elapsed();
    for (const auto& [jig, since] : waiting_)
        oldest = std::min(oldest, since);
    if (clock_.elapsed() - oldest > kStoreSilentMs)
        storeFailed("the store has not answered for " +
                    std::to_string((clock_.elapsed() - oldest) / 1000) + " s");
}

const std::string& ProductionLine::labelOf(const JigPosition& jig) const {
    return positions_[static_cast<std::size_t>(jig.position() - 1)].label;
}

void ProductionLine::showPosition(JigPosition* jig) {
    // Which numbers are left is the line's to say.
    const bool noneLeft =
        jig->state() == JigPosition::State::Stopped && exhausted_ && !interrupted_;
    const std::string state = (noneLeft ? "no numbers left, " : "") + jig->stateText();
    const std::optional<UnitReport>& unit = jig->unit();
    // The counter and the number belong to the unit the state is about.
    const bool aboutUnit = jig->aboutUnit();
    const std::string number = aboutUnit ? std::to_string(unit->number) : "-";
    std::string line = padded(labelOf(*jig), labelWidth_) + "  " +
                       padded(jig->device().toStdString(), deviceWidth_) + "  " +
                       padded(number, kNumberWidth) + "  " + state;
    std::string event = labelOf(*jig) + (aboutUnit ? " " + number : "") + ": " + state;
    if (aboutUnit)
        event = "[" + std::to_string(unit->ordinal) + "/" + std::to_string(store_.freeAtStart) +
                "] " + event;
    display_.show(static_cast<std::size_t>(jig->position() - 1), line, event);
    showTotal();
    endIfDone();
}

void ProductionLine::showTotal() {
    const long handled = static_cast<long>(summary_.units().size());
    const double minutes = static_cast<double>(clock_.elapsed()) / 60000.0;
    std::string total = "job " + store_.job + ": " + std::to_string(handled) +
                        " unit(s) handled, " + std::to_string(summary_.failed()) + " failed";
    if (freeLeft_)
        total += ", " + std::to_string(*freeLeft_) + " left";
    total += "; " + oneDecimal(minutes > 0 ? static_cast<double>(handled) / minutes : 0.0) +
             " units/min";
    if (storeTrouble_)
        total += "; waiting for the store";
    display_.showTotal(total);
}

void ProductionLine::endIfDone() {
    if (finished_)
        return;
    const auto busy = [](const Position& p) { return p.jig->busy(); };
    const auto out = [](const Position& p) { return p.jig->out(); };
    if (std::any_of(positions_.begin(), positions_.end(), busy))
        return;
    // Outcomes go to the store before the batch ends; after Ctrl-C only for a while.
    if (!waiting_.empty() && !(interrupted_ && !grace_.isActive()))
        return;
    if (!stopping_ && !exhausted_ && !std::all_of(positions_.begin(), positions_.end(), out))
        return;
    if (!stopping_) {
        stopping_ = true;
        for (Position& position : positions_)
            position.jig->stop();
    }
    finished_ = true;
    loop_.quit();
}

} // namespace velmora::production
