#include "exchange/unit_outcome.h"

#include <algorithm>
#include <array>

namespace velmora::exchange {
namespace {

struct OutcomeRow {
    UnitOutcome outcome;
    const char* word;
    ExitStatus status;
    std::optional<ExchangeOutcome> exchange; // the link's outcome that comes to this
};

constexpr std::array kOutcomes{
    OutcomeRow{UnitOutcome::Programmed, "programmed", ExitStatus::Done,
               ExchangeOutcome::Acknowledged},
    OutcomeRow{UnitOutcome::Verified, "verified", ExitStatus::Done, std::nullopt},
    OutcomeRow{UnitOutcome::VerifyFailed, "verify-failed", ExitStatus::Differs, std::nullopt},
    OutcomeRow{UnitOutcome::NoAnswer, "no-answer", ExitStatus::NoAnswer, ExchangeOutcome::NoAnswer},
    OutcomeRow{UnitOutcome::WrongAnswer, "wrong-answer", ExitStatus::NoAnswer,
               ExchangeOutcome::WrongAnswer},
    OutcomeRow{UnitOutcome::PortLost, "port-lost", ExitStatus::PortUnusable,
               ExchangeOutcome::PortLost},
    OutcomeRow{UnitOutcome::Interrupted, "interrupted", ExitStatus::Interrupted, std::nullopt},
    OutcomeRow{UnitOutcome::Spent, "spent", ExitStatus::Differs, std::nullopt},
    OutcomeRow{UnitOutcome::Read, "read", ExitStatus::Done, ExchangeOutcome::ImageReceived},
    OutcomeRow{UnitOutcome::Unloadable, "unloadable", ExitStatus::NoAnswer, std::nullopt},
};

const OutcomeRow& rowOf(UnitOutcome outcome) {
    return *std::find_if(kOutcomes.begin(), kOutcomes.end(),
                         [&](const OutcomeRow& row) { return row.outcome == outcome; });
}

} // namespace

const char* outcomeWord(UnitOutcome outcome) {
    return rowOf(outcome).word;
}

std::optional<UnitOutcome> outcomeNamed(std::string_view word) {
    const auto found = std::find_if(kOutcomes.begin(), kOutcomes.end(),
                                    [&](const OutcomeRow& row) { return word == row.word; });
    return found == kOutcomes.end() ? std::nullopt : std::optional(found->outcome);
}

ExitStatus exitStatusOf(UnitOutcome outcome) {
    return rowOf(outcome).status;
}

UnitOutcome outcomeOf(ExchangeOutcome exchange) {
    return std::find_if(kOutcomes.begin(), kOutcomes.end(),
                        [&](const OutcomeRow& row) { return row.exchange == exchange; })
        ->outcome;
}

} // namespace velmora::exchange
