#pragma once

#include "exchange/failure.h"
#include "link/serial_link.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmora::exchange {

// How one attempt at a unit ended: the command line's commands, the batch's summary and
// the production record all speak of it in these words (see kOutcomes).
enum class UnitOutcome {
    Programmed,   // "programmed": acknowledged; no read-back asked for
    Verified,     // "verified": acknowledged and read back byte for byte
    VerifyFailed, // "verify-failed": acknowledged, but the unit holds something else
    NoAnswer,     // "no-answer": no complete answer within the time-out
    WrongAnswer,  // "wrong-answer": an image where the acknowledgement was due, or the reverse
    PortLost,     // "port-lost": the adapter vanished during the exchange
    Interrupted,  // "interrupted": Ctrl-C or a termination request during the exchange
    Spent,        // "spent": the number went to a unit that may hold it; never reuse it
    Read,         // "read": the unit was read; the image is what it holds
    Unloadable,   // "unloadable": the unit answered a read with bytes the window refuses
};

// "verified", "no-answer": the word the record and the summary use.
const char* outcomeWord(UnitOutcome outcome);
// The outcome this word names, if any.
std::optional<UnitOutcome> outcomeNamed(std::string_view word);
// The command line's exit status for an attempt that ended so.
ExitStatus exitStatusOf(UnitOutcome outcome);
// What an exchange on the link comes to.
UnitOutcome outcomeOf(ExchangeOutcome exchange);

// The unit holds the configuration that was meant for it.
inline bool succeeded(UnitOutcome outcome) {
    return outcome == UnitOutcome::Programmed || outcome == UnitOutcome::Verified;
}

} // namespace velmora::exchange
