#include "unit_sim/sim_options.h"

#include "support/command_options.h"

#include <array>
#include <fstream>
#include <sstream>
#include <string_view>

namespace velmora::sim {
namespace {

struct FaultOption {
    std::string_view option;
    std::string_view control; // the control line it stands for; a number is appended
    bool takesNumber;
};

constexpr std::array kFaultOptions{
    FaultOption{"--silent", "silent on", false},   FaultOption{"--no-ack", "noack on", false},
    FaultOption{"--garbage", "garbage on", false}, FaultOption{"--misstore", "misstore on", false},
    FaultOption{"--short", "short ", true},        FaultOption{"--gap", "gap ", true},
    FaultOption{"--bounce", "bounce on", false},
};

// Hang-ups and how long the line stays down: whole milliseconds up to a day.
constexpr long kLongestHangupMs = 86'400'000;

const Accepted& accepted() {
    static const Accepted kAccepted = [] {
        Accepted accepted{{"--link", "--image", "--log", "--chunk-ms", "--hangup", "--presence",
                           "--presence-file"},
                          {},
                          {},
                          0};
        for (const FaultOption& fault : kFaultOptions)
            (fault.takesNumber ? accepted.options : accepted.switches).emplace(fault.option);
        return accepted;
    }();
    return kAccepted;
}

void readFaults(OptionValues& values, FaultSwitches& faults) {
    for (const FaultOption& fault : kFaultOptions) {
        const std::string option(fault.option);
        int number = -1;
        values.whole(option, number, 0, kLargestSwitchNumber);
        if (values.arguments().switches.contains(option))
            applyControl(faults, fault.control);
        else if (number >= 0)
            applyControl(faults, std::string(fault.control) + std::to_string(number));
    }
}

void readHangup(OptionValues& values, std::optional<ScheduledHangup>& hangup) {
    const auto given = values.arguments().options.find("--hangup");
    if (given == values.arguments().options.end())
        return;
    const std::string& text = given->second;
    const auto colon = text.find(':');
    const auto after = wholeNumber(std::string_view(text).substr(0, colon), 0, kLongestHangupMs);
    const auto down =
        colon == std::string::npos
            ? std::nullopt
            : wholeNumber(std::string_view(text).substr(colon + 1), 0, kLongestHangupMs);
    if (after && down)
        hangup = ScheduledHangup{static_cast<int>(*after), static_cast<int>(*down)};
    else
        values.refuse(
            {"--hangup", "--hangup takes AFTER_MS:DOWN_MS, whole milliseconds from 0 to " +
                             std::to_string(kLongestHangupMs) + ", not \"" + text + "\""});
}

std::optional<std::string> fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void readPresence(OptionValues& values, std::vector<PresenceStep>& presence) {
    const Arguments& arguments = values.arguments();
    const bool inline_ = arguments.has("--presence");
    const std::string option = inline_ ? "--presence" : "--presence-file";
    if (!arguments.has(option))
        return;
    if (inline_ && arguments.has("--presence-file"))
        return values.refuse({option, "give either --presence or --presence-file"});
    const std::string& given = arguments.options.at(option);
    const auto text = inline_ ? std::optional{given} : fileText(given);
    if (!text)
        return values.refuse({option, option + ": cannot read " + given});
    auto steps = parsePresence(*text);
    if (!steps)
        return values.refuse({option, option + ": " + describe(steps.problems())});
    presence = std::move(*steps);
}

} // namespace

Result<SimOptions> parseOptions(const std::vector<std::string>& words) {
    return readOptions(words, accepted(), SimOptions{},
                       [](OptionValues& values, SimOptions& options) {
                           values.text("--link", options.linkPath);
                           values.text("--image", options.imagePath);
                           values.text("--log", options.logPath);
                           values.whole("--chunk-ms", options.chunkMs, 1, 60000);
                           readFaults(values, options.faults);
                           readHangup(values, options.hangup);
                           readPresence(values, options.presence);
                       });
}

} // namespace velmora::sim
