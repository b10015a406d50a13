#include "cli/unit_outcome.h"

#include <algorithm>
#include <array>

namespace velmora::cli {
namespace {

struct OutcomeRow {
    UnitOutcome outcome;
    const char* word;
    bool unitTookFrame; // the word alone says a unit may hold the number
    ExitStatus status;
    std::optional<ExchangeOutcome> exchange; // the link's outcome that comes to this
};

constexpr std::array kOutcomes{
    OutcomeRow{UnitOutcome::Programmed, "programmed", true, ExitStatus::Done,
               ExchangeOutcome::Acknowledged},
    OutcomeRow{UnitOutcome::Verified, "verified", true, ExitStatus::Done, std::nullopt},
    OutcomeRow{UnitOutcome::VerifyFailed, "verify-failed", true, ExitStatus::Differs, std::nullopt},
    OutcomeRow{UnitOutcome::NoAnswer, "no-answer", false, ExitStatus::NoAnswer,
               ExchangeOutcome::NoAnswer},
    OutcomeRow{UnitOutcome::WrongAnswer, "wrong-answer", false, ExitStatus::NoAnswer,
               ExchangeOutcome::WrongAnswer},
    OutcomeRow{UnitOutcome::PortLost, "port-lost", false, ExitStatus::PortUnusable,
               ExchangeOutcome::PortLost},
    OutcomeRow{UnitOutcome::Interrupted, "interrupted", false, ExitStatus::Interrupted,
               std::nullopt},
    OutcomeRow{UnitOutcome::Spent, "spent", true, ExitStatus::Differs, std::nullopt},
    OutcomeRow{UnitOutcome::Read, "read", false, ExitStatus::Done, ExchangeOutcome::ImageReceived},
    OutcomeRow{UnitOutcome::Unloadable, "unloadable", false, ExitStatus::NoAnswer, std::nullopt},
};

const OutcomeRow& rowOf(UnitOutcome outcome) {
    return *std::find_if(kOutcomes.begin(), kOutcomes.end(),
                         [&](const OutcomeRow& row) { return row.outcome == outcome; });
}

} // namespace

const char* outcomeWord(UnitOutcome outcome) {
    return rowOf(outcome).word;
}

bool unitTookFrame(std::string_view word) {
    return std::any_of(kOutcomes.begin(), kOutcomes.end(), [&](const OutcomeRow& row) {
        return row.unitTookFrame && word == row.word;
    });
}

ExitStatus exitStatusOf(UnitOutcome outcome) {
    return rowOf(outcome).status;
}

UnitOutcome outcomeOf(ExchangeOutcome exchange) {
    return std::find_if(kOutcomes.begin(), kOutcomes.end(),
                        [&](const OutcomeRow& row) { return row.exchange == exchange; })
        ->outcome;
}

} // namespace velmora::cli
