#include "cli/unit_outcome.h"

namespace velmora::cli {

const char* outcomeWord(UnitOutcome outcome) {
    switch (outcome) {
    case UnitOutcome::Programmed:
        return "programmed";
    case UnitOutcome::Verified:
        return "verified";
    case UnitOutcome::VerifyFailed:
        return "verify-failed";
    case UnitOutcome::NoAnswer:
        return "no-answer";
    case UnitOutcome::WrongAnswer:
        return "wrong-answer";
    case UnitOutcome::PortLost:
        return "port-lost";
    case UnitOutcome::Interrupted:
        break;
    }
    return "interrupted";
}

} // namespace velmora::cli
