#include "production/batch_summary.h"

namespace velmora::production {

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

BatchSummary::BatchSummary(std::string job, long first, long last)
    : job_(std::move(job)), first_(first), last_(last) {}

long BatchSummary::failed() const {
    long failed = 0;
    for (const UnitReport& unit : units_)
        failed += succeeded(unit.outcome) ? 0 : 1;
    return failed;
}

std::vector<std::string> BatchSummary::lines(std::optional<long> freeLeft, bool exhausted) const {
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
    std::vector<std::string> lines{"job " + job_ + ", numbers " + std::to_string(first_) + "-" +
                                   std::to_string(last_) + ": " + std::to_string(handled) +
                                   " unit(s) handled, " +
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
    for (const UnitReport& unit : units_)
        if (unit.outcome == UnitOutcome::Interrupted)
            lines.push_back("interrupted: " + std::to_string(unit.number) + " at position " +
                            std::to_string(unit.position) +
                            (unit.frameSent ? ", frame sent: the unit may hold it, check it"
                                            : ", frame not sent"));
    if (!exhausted)
        lines.push_back((freeLeft ? std::to_string(*freeLeft) + " number(s) of the job still free"
                                  : std::string("the job was not used up")) +
                        "; to go on, run the batch again: the store hands out the free ones");
    return lines;
}

} // namespace velmora::production
