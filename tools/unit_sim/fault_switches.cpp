#include "unit_sim/fault_switches.h"

#include "support/number_text.h"

#include <array>

namespace velmora::sim {
namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::optional<bool> onOff(std::string_view word) {
    if (word == "on") {
        return true;
    }
    if (word == "off") {
        return false;
    }
    return std::nullopt;
}

struct FlagSwitch {
    std::string_view name;
    bool FaultSwitches::*member;
};

struct NumberSwitch {
    std::string_view name;
    int FaultSwitches::*member;
};

constexpr std::array kFlagSwitches{
    FlagSwitch{"silent", &FaultSwitches::silent},
    FlagSwitch{"noack", &FaultSwitches::noAcknowledgement},
    FlagSwitch{"garbage", &FaultSwitches::garbage},
    FlagSwitch{"misstore", &FaultSwitches::misstore},
    FlagSwitch{"bounce", &FaultSwitches::bounce},
};

constexpr std::array kNumberSwitches{
    NumberSwitch{"short", &FaultSwitches::shortReplyBytes},
    NumberSwitch{"gap", &FaultSwitches::gapMs},
};

} // namespace

ControlOutcome applyControl(FaultSwitches& faults, std::string_view line) {
    line = trimmed(line);
    const auto blank = line.find(' ');
    const std::string_view word = line.substr(0, blank);
    const std::string_view argument =
        blank == std::string_view::npos ? std::string_view{} : trimmed(line.substr(blank));

    for (const FlagSwitch& flag : kFlagSwitches) {
        if (word == flag.name) {
            const auto state = argument.empty() ? std::optional<bool>{true} : onOff(argument);
            if (!state) {
                return {false, std::nullopt, std::string(word) + ": expected on or off"};
            }
            faults.*flag.member = *state;
            return {true, std::nullopt, {}};
        }
    }
    const auto number = wholeNumber(argument, 0, kLargestSwitchNumber);
    for (const NumberSwitch& setting : kNumberSwitches) {
        if (word == setting.name) {
            if (!number) {
                return {false, std::nullopt,
                        std::string(word) + ": expected a whole number from 0 to " +
                            std::to_string(kLargestSwitchNumber)};
            }
            faults.*setting.member = *number;
            return {true, std::nullopt, {}};
        }
    }
    if (word == "hangup") {
        if (!number) {
            return {false, std::nullopt,
                    "hangup: expected whole milliseconds from 0 to " +
                        std::to_string(kLargestSwitchNumber)};
        }
        return {true, number, {}};
    }
    return {false, std::nullopt, "unknown command: " + std::string(word)};
}

} // namespace velmora::sim
