#pragma once

#include "support/number_text.h"
#include "values/result.h"

#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace velmora {

// The words of a command line after the program's (or the subcommand's) name: plain
// words in order, "--name value" options and "--name" switches, each checked against
// what the program takes.
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
    std::size_t mostPlainWords = std::numeric_limits<std::size_t>::max(); // 0: options only
};

// The arguments, or what is wrong with them (the option is the problem's field).
Result<Arguments> parseArguments(const std::vector<std::string>& words, const Accepted& accepted);

// Reads a program's options into its settings; an option not given keeps its setting.
// A value outside its limits is a problem that names the option and the limits:
// "--runs takes a whole number from 1 to 100, not \"0\"".
class OptionValues {
public:
    explicit OptionValues(const Arguments& arguments) : arguments_(arguments) {}

    template <typename Whole>
    void whole(const std::string& option, Whole& setting, long first, long last) {
        wholeOf(given(option), option, setting, first, last);
    }
    // The plain word at `index`, if given, called `name` in a problem ("POLLS").
    template <typename Whole>
    void wholeWord(std::size_t index, const std::string& name, Whole& setting, long first,
                   long last) {
        const auto& plain = arguments_.plain;
        wholeOf(index < plain.size() ? &plain[index] : nullptr, name, setting, first, last);
    }
    void decimal(const std::string& option, double& setting, double first, double last);
    void text(const std::string& option, std::string& setting);

    // A value that the program checks itself is wrong.
    void refuse(Problem problem) { problems_.push_back(std::move(problem)); }

    const Arguments& arguments() const { return arguments_; }
    const Problems& problems() const { return problems_; }

private:
    template <typename Whole>
    void wholeOf(const std::string* text, const std::string& name, Whole& setting, long first,
                 long last) {
        if (!text)
            return;
        if (const auto value = wholeNumber(*text, first, last))
            setting = static_cast<Whole>(*value);
        else
            refuse(name, "a whole number", std::to_string(first), std::to_string(last), *text);
    }
    const std::string* given(const std::string& option) const;
    void refuse(const std::string& option, const char* kind, const std::string& first,
                const std::string& last, const std::string& text);

    const Arguments& arguments_;
    Problems problems_;
};

// A program's settings from its command line, starting from `settings`: `read` takes
// each option into them through OptionValues. The settings, or every problem found.
template <typename Settings, typename Read>
Result<Settings> readOptions(const std::vector<std::string>& words, const Accepted& accepted,
                             Settings settings, Read read) {
    const Result<Arguments> arguments = parseArguments(words, accepted);
    if (!arguments)
        return arguments.problems();
    OptionValues values(*arguments);
    read(values, settings);
    if (!values.problems().empty())
        return values.problems();
    return settings;
}

// Prints "PROGRAM: problem" for each problem, then the usage if there is one, on
// standard error; returns the exit status for bad arguments, 2.
int refuseArguments(const char* program, const Problems& problems, const char* usage = "");

} // namespace velmora
