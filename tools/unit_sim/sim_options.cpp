#include "unit_sim/sim_options.h"

#include <array>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

namespace velmora::sim {
namespace {

struct FaultFlag {
    std::string_view flag;
    std::string_view control; // the control line it stands for; a value is appended
    bool takesValue;
};

constexpr std::array kFaultFlags{
    FaultFlag{"--silent", "silent on", false},   FaultFlag{"--no-ack", "noack on", false},
    FaultFlag{"--garbage", "garbage on", false}, FaultFlag{"--misstore", "misstore on", false},
    FaultFlag{"--short", "short ", true},        FaultFlag{"--gap", "gap ", true},
};

std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<ScheduledHangup> hangupSchedule(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto after = wholeNumber(text.substr(0, colon));
    const auto down = wholeNumber(text.substr(colon + 1));
    if (!after || !down) {
        return std::nullopt;
    }
    return ScheduledHangup{*after, *down};
}

std::optional<std::string> fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
    SimOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& flag = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        auto value = [&]() -> const std::string& { return arguments[++i]; };

        bool matchedFault = false;
        for (const FaultFlag& fault : kFaultFlags) {
            if (flag != fault.flag) {
                continue;
            }
            if (fault.takesValue && !hasValue) {
                return {std::nullopt, flag + " needs a value"};
            }
            const std::string line =
                std::string(fault.control) + (fault.takesValue ? value() : std::string{});
            const ControlOutcome outcome = applyControl(options.faults, line);
            if (!outcome.accepted) {
                return {std::nullopt, outcome.error};
            }
            matchedFault = true;
        }
        if (matchedFault) {
            continue;
        }
        if (!hasValue) {
            return {std::nullopt, "unknown or incomplete option: " + flag};
        }
        if (flag == "--link") {
            options.linkPath = value();
        } else if (flag == "--image") {
            options.imagePath = value();
        } else if (flag == "--log") {
            options.logPath = value();
        } else if (flag == "--chunk-ms") {
            const auto ms = wholeNumber(value());
            if (!ms || *ms < 1) {
                return {std::nullopt, "--chunk-ms needs a whole number of milliseconds"};
            }
            options.chunkMs = *ms;
        } else if (flag == "--presence" || flag == "--presence-file") {
            const std::string& given = value();
            const auto text = flag == "--presence" ? std::optional{given} : fileText(given);
            if (!text) {
                return {std::nullopt, "cannot read " + given};
            }
            auto steps = parsePresence(*text);
            if (!steps) {
                return {std::nullopt, flag + ": " + describe(steps.problems())};
            }
            options.presence = std::move(*steps);
        } else if (flag == "--hangup") {
            options.hangup = hangupSchedule(value());
            if (!options.hangup) {
                return {std::nullopt, "--hangup needs AFTER_MS:DOWN_MS"};
            }
        } else {
            return {std::nullopt, "unknown option: " + flag};
        }
    }
    return {options, {}};
}

} // namespace velmora::sim
