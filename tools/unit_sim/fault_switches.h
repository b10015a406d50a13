#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::sim {

// The faults the simulated unit can show, switched by command-line flags at start and
// by the same words on its control channel while it runs:
//   silent on|off     answers nothing
//   noack on|off      takes programming frames but sends no acknowledgement
//   short N           sends only the first N bytes of a 96-byte reply (0: whole reply)
//   gap MS            pauses MS milliseconds in the middle of a 96-byte reply (0: none)
//   garbage on|off    sends as many pseudo-random bytes instead of each reply
//   misstore on|off   acknowledges a programming frame but keeps another image
//   bounce on|off     a connector that bounces: answers every other poll only
//   hangup MS         closes the line now and opens it again MS milliseconds later
struct FaultSwitches {
    bool silent = false;
    bool noAcknowledgement = false;
    int shortReplyBytes = 0;
    int gapMs = 0;
    bool garbage = false;
    bool misstore = false;
    bool bounce = false;
};

// The largest number a switch or a hang-up takes (bytes or milliseconds).
inline constexpr int kLargestSwitchNumber = 600000;

struct ControlOutcome {
    bool accepted = false;
    std::optional<int> hangupMs; // a hang-up asked for, with its length
    std::string error;
};

// Applies one control line ("short 40") to the switches.
ControlOutcome applyControl(FaultSwitches& faults, std::string_view line);

} // namespace velmora::sim
