#include "cli/verb_arguments.h"

#include "cli/command_line.h"

#include <algorithm>
#include <sstream>

namespace velmora::cli {
namespace {

Accepted acceptedBy(const Verb& verb) {
    Accepted accepted;
    for (const VerbOption& option : verb.options) {
        const std::string name(option.name);
        if (option.takes == Takes::Switch)
            accepted.switches.insert(name);
        else
            accepted.options.insert(name);
        if (option.takes == Takes::Repeated)
            accepted.repeatable.insert(name);
    }
    return accepted;
}

bool within(const VerbOption& option, const std::string& value) {
    switch (option.takes) {
    case Takes::Switch:
    case Takes::Text:
    case Takes::Repeated:
        return true;
    case Takes::Whole:
        return wholeNumber(value, static_cast<long>(option.first), static_cast<long>(option.last))
            .has_value();
    case Takes::WholeList: {
        std::istringstream list(value);
        for (std::string word; std::getline(list, word, ',');)
            if (!wholeNumber(word, static_cast<long>(option.first), static_cast<long>(option.last)))
                return false;
        return true;
    }
    case Takes::Seconds:
        return secondsWithin(value, option.first, option.last).has_value();
    }
    return false;
}

// "--port takes a port number from 1 to 8, not "9"", with what the kind of value adds.
std::string refusal(const VerbOption& option, const std::string& value) {
    const char* added = option.takes == Takes::WholeList ? " separated by commas"
                        : option.takes == Takes::Seconds ? " (whole milliseconds)"
                                                         : "";
    return std::string(option.name) + " takes " + std::string(option.what) + " from " +
           shortestText(option.first) + " to " + shortestText(option.last) + added + ", not \"" +
           value + "\"";
}

} // namespace

Step<Arguments> checkArguments(const Verb& verb, const std::vector<std::string>& words) {
    Result<Arguments> parsed = parseArguments(words, acceptedBy(verb));
    if (!parsed)
        return badInput(describe(parsed.problems()));
    const Arguments& arguments = *parsed;
    for (const VerbOption& option : verb.options) {
        const auto given = arguments.options.find(std::string(option.name));
        if (given != arguments.options.end() && !within(option, given->second))
            return badInput(refusal(option, given->second));
    }
    const std::size_t plain = arguments.plain.size();
    const bool wordsFit = plain >= verb.fewestWords && plain <= verb.mostWords;
    const bool needsMet = std::all_of(verb.needs.begin(), verb.needs.end(), [&](const auto& group) {
        return std::any_of(group.begin(), group.end(), [&](std::string_view option) {
            return arguments.has(std::string(option));
        });
    });
    if (!wordsFit || !needsMet)
        return badInput(usageOf(verb));
    return std::move(parsed.value());
}

} // namespace velmora::cli
