#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace velmora::cli {

// The words after the subcommand: plain arguments in order, "--name value" options and
// "--name" switches, each checked against what the subcommand takes.
struct Arguments {
    std::vector<std::string> plain;
    std::map<std::string, std::string> options;
    std::set<std::string> switches;
    // Every value of an option that may be given more than once, in order.
    std::map<std::string, std::vector<std::string>> repeated = {};

    bool has(const std::string& option) const {
        return options.contains(option) || switches.contains(option);
    }
};

struct Accepted {
    std::set<std::string> options;         // take a value: "-o", "--port"
    std::set<std::string> switches;        // stand alone: "--json", "--verify"
    std::set<std::string> repeatable = {}; // options that may come more than once
};

// The arguments, or a sentence saying what is wrong with them.
std::variant<Arguments, std::string> parseArguments(const std::vector<std::string>& words,
                                                    const Accepted& accepted);

// A whole number from first to last, no sign, blank or fraction.
std::optional<long> wholeNumber(const std::string& text, long first, long last);

// Seconds with an optional fraction ("2", "0.5"), read without the locale, from 1 ms
// (after rounding to whole milliseconds) to an hour.
inline constexpr std::chrono::milliseconds kShortestWait{1};
inline constexpr double kLongestSeconds = 3600;
std::optional<std::chrono::milliseconds> seconds(const std::string& text);

} // namespace velmora::cli
