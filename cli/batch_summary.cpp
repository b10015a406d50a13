#include "cli/batch_summary.h"

namespace velmora::cli {

std::string numberList(const std::set<long>& numbers) {
    std::string text;
    for (auto it = numbers.begin(); it != numbers.end();) {
        const long from = *it;
        long to = from;
        while (++it != numbers.end() && *it == to + 1)
            ++to;
        text += (text.empty() ? "" : ", ") + std::to_string(from);
        if (to != from)
            text += "-" + std::to_string(to);
    }
    return text;
}

BatchSummary::BatchSummary(long first, long count, std::set<long> alreadySent, std::string record)
    : first_(first), count_(count), alreadySent_(std::move(alreadySent)),
      record_(std::move(record)) {}

long BatchSummary::failed() const {
    long failed = 0;
    for (const UnitReport& unit : units_)
        failed += succeeded(unit.outcome) ? 0 : 1;
    return failed;
}

std::vector<std::string> BatchSummary::lines(const std::set<long>& notReached) const {
    std::set<long> verified;
    std::set<long> programmed;
    std::string spent;
    std::string freedAgain;
    for (const UnitReport& unit : units_) {
        if (unit.outcome == UnitOutcome::Verified)
            verified.insert(unit.number);
        else if (unit.outcome == UnitOutcome::Programmed)
            programmed.insert(unit.number);
        else {
            std::string& into = unit.frameSent ? spent : freedAgain;
            into += (into.empty() ? "" : ", ") + std::to_string(unit.number) + " (position " +
                    std::to_string(unit.position) + ", " + outcomeWord(unit.outcome) +
                    (unit.detail.empty() ? "" : ": " + unit.detail) + ")";
        }
    }
    const long handled = static_cast<long>(units_.size());
    std::vector<std::string> lines{"numbers " + std::to_string(first_) + "-" +
                                   std::to_string(first_ + count_ - 1) + ": " +
                                   std::to_string(handled) + " unit(s) handled, " +
                                   std::to_string(verified.size() + programmed.size()) +
                                   " programmed, " + std::to_string(failed()) + " failed"};
    const auto list = [&](const std::string& what, const std::string& numbers) {
        if (!numbers.empty())
            lines.push_back(what + ": " + numbers);
    };
    list("verified", numberList(verified));
    list("programmed", numberList(programmed));
    list("spent, units to check", spent);
    list("failed before the frame was sent", freedAgain);
    list("not reached", numberList(notReached));
    list("skipped, already sent by an earlier batch", numberList(alreadySent_));
    for (const UnitReport& unit : units_)
        if (unit.outcome == UnitOutcome::Interrupted)
            lines.push_back("interrupted: " + std::to_string(unit.number) + " at position " +
                            std::to_string(unit.position) +
                            (unit.frameSent ? ", frame sent: the unit may hold it, check it"
                                            : ", frame not sent"));
    if (!notReached.empty())
        lines.push_back("to go on, resume from " + std::to_string(*notReached.begin()) +
                        (record_.empty() ? "" : ": the same command with --resume " + record_));
    return lines;
}

} // namespace velmora::cli
