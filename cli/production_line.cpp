#include "cli/production_line.h"

#include <algorithm>
#include <charconv>

namespace velmora::cli {
namespace {

std::string oneDecimal(double value) {
    char text[32];
    const auto [end, error] =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
    return error == std::errc{} ? std::string(text, end) : std::string("?");
}

constexpr std::size_t kNumberWidth = 4;

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
                               NumberDispenser numbers, BatchSummary summary, UnitRecorder recorder)
    : positions_(std::move(positions)), frames_(std::move(frames)), numbers_(std::move(numbers)),
      summary_(std::move(summary)), recorder_(std::move(recorder)),
      display_(stderr, stdout, positions_.size()), available_(numbers_.freeCount()) {
    for (Position& position : positions_) {
        labelWidth_ = std::max(labelWidth_, position.label.size());
        deviceWidth_ = std::max(deviceWidth_, position.jig->device().toStdString().size());
        JigPosition* jig = position.jig.get();
        connect(jig, &JigPosition::unitArrived, this, &ProductionLine::unitArrived);
        connect(jig, &JigPosition::unitFinished, this, &ProductionLine::unitFinished);
        connect(jig, &JigPosition::stateChanged, this, &ProductionLine::showPosition);
    }
}

ExitStatus ProductionLine::run() {
    clock_.start();
    for (Position& position : positions_)
        position.jig->start();
    showTotal();
    endIfDone();
    if (!finished_)
        loop_.exec();
    display_.close();
    for (const std::string& line : summary_.lines(numbers_.freeNumbers()))
        display_.result(line);
    if (!unrecorded_.empty())
        display_.result("missing from the record, note them by hand: " + numberList(unrecorded_));
    const ExitStatus status = closingStatus();
    if (recordFailure_)
        std::fprintf(stderr, "velmora-cli: the batch stopped: %s\n", recordFailure_->c_str());
    else if (status == ExitStatus::PortUnusable)
        std::fputs("velmora-cli: the batch stopped: every position lost its adapter\n", stderr);
    return status;
}

ExitStatus ProductionLine::closingStatus() const {
    if (interrupted_)
        return ExitStatus::Interrupted;
    if (recordFailure_)
        return ExitStatus::RecordFailed;
    if (!numbers_.empty())
        return ExitStatus::PortUnusable;
    return summary_.failed() > 0 ? ExitStatus::Differs : ExitStatus::Done;
}

void ProductionLine::interrupt() {
    interrupted_ = true;
    stopAll();
}

void ProductionLine::stopAll() {
    stopping_ = true;
    for (Position& position : positions_)
        position.jig->stop();
    endIfDone();
}

void ProductionLine::unitArrived(JigPosition* jig) {
    const std::optional<long> number = stopping_ ? std::nullopt : numbers_.take();
    if (!number) {
        jig->stop();
        endIfDone();
        return;
    }
    jig->program(*number, ++handedOut_, frames_.at(*number));
}

void ProductionLine::unitFinished(JigPosition* jig, const UnitReport& report) {
    summary_.add(report);
    if (!report.frameSent)
        numbers_.giveBack(report.number);
    display_.result("[" + std::to_string(report.ordinal) + "/" + std::to_string(available_) + "] " +
                    labelOf(*jig) + " " + std::to_string(report.number) + ": " +
                    resultText(report));
    // No unit may go unrecorded: a row that cannot be kept stops the batch here,
    // before any position takes another unit.
    if (const Step<void> recorded = recorder_(report); !recorded) {
        unrecorded_.insert(report.number);
        if (!recordFailure_) {
            recordFailure_ = recorded.error().message;
            stopAll();
        }
    }
    showTotal();
}

const std::string& ProductionLine::labelOf(const JigPosition& jig) const {
    return positions_[static_cast<std::size_t>(jig.position() - 1)].label;
}

std::string ProductionLine::stateText(const JigPosition& jig) const {
    const std::optional<UnitReport>& unit = jig.unit();
    switch (jig.state()) {
    case JigPosition::State::Waiting:
        return "waiting for a unit";
    case JigPosition::State::Programming:
        return "programming";
    case JigPosition::State::Verifying:
        return "verifying";
    case JigPosition::State::TakeAway:
        if (!unit)
            return "take the unit away";
        if (succeeded(unit->outcome))
            return "done, take the unit away";
        return std::string("FAILED (") + outcomeWord(unit->outcome) + "), take the unit away" +
               (unit->frameSent
                    ? " and set it aside to check: it may hold " + std::to_string(unit->number)
                    : "");
    case JigPosition::State::Lost:
        return "adapter lost, waiting for it to come back";
    case JigPosition::State::Stopped:
        break;
    }
    if (interrupted_)
        return "stopped";
    return recordFailure_ ? "stopped, the record cannot be written" : "no numbers left, stopped";
}

void ProductionLine::showPosition(JigPosition* jig) {
    const std::string state = stateText(*jig);
    const std::optional<UnitReport>& unit = jig->unit();
    // The counter and the number belong to the unit the state is about.
    const bool aboutUnit = unit && jig->state() != JigPosition::State::Waiting &&
                           jig->state() != JigPosition::State::Stopped &&
                           !(jig->state() == JigPosition::State::Lost && !jig->busy() &&
                             unit->outcome != UnitOutcome::PortLost);
    const std::string number = aboutUnit ? std::to_string(unit->number) : "-";
    std::string line = padded(labelOf(*jig), labelWidth_) + "  " +
                       padded(jig->device().toStdString(), deviceWidth_) + "  " +
                       padded(number, kNumberWidth) + "  " + state;
    std::string event = labelOf(*jig) + (aboutUnit ? " " + number : "") + ": " + state;
    if (aboutUnit)
        event =
            "[" + std::to_string(unit->ordinal) + "/" + std::to_string(available_) + "] " + event;
    display_.show(static_cast<std::size_t>(jig->position() - 1), line, event);
    showTotal();
    endIfDone();
}

void ProductionLine::showTotal() {
    const long handled = static_cast<long>(summary_.units().size());
    const double minutes = static_cast<double>(clock_.elapsed()) / 60000.0;
    display_.showTotal(std::to_string(available_) + " numbers: " + std::to_string(handled) +
                       " unit(s) handled, " + std::to_string(summary_.failed()) + " failed, " +
                       std::to_string(numbers_.freeCount()) + " left; " +
                       oneDecimal(minutes > 0 ? static_cast<double>(handled) / minutes : 0.0) +
                       " units/min");
}

void ProductionLine::endIfDone() {
    if (finished_)
        return;
    const auto busy = [](const Position& p) { return p.jig->busy(); };
    const auto out = [](const Position& p) {
        return p.jig->state() == JigPosition::State::Lost ||
               p.jig->state() == JigPosition::State::Stopped;
    };
    if (std::any_of(positions_.begin(), positions_.end(), busy))
        return;
    if (!stopping_ && !numbers_.empty() && !std::all_of(positions_.begin(), positions_.end(), out))
        return;
    if (!stopping_) {
        stopping_ = true;
        for (Position& position : positions_)
            position.jig->stop();
    }
    finished_ = true;
    loop_.quit();
}

} // namespace velmora::cli
