#include "support/command_options.h"

#include <cstdio>

namespace velmora {

Result<Arguments> parseArguments(const std::vector<std::string>& words, const Accepted& accepted) {
    Arguments arguments;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || word[0] != '-') {
            if (arguments.plain.size() == accepted.mostPlainWords)
                return Problem{word, "unexpected argument \"" + word + "\""};
            arguments.plain.push_back(word);
            continue;
        }
        if (accepted.switches.contains(word)) {
            arguments.switches.insert(word);
            continue;
        }
        if (!accepted.options.contains(word))
            return Problem{word, "unknown option " + word};
        if (i + 1 == words.size())
            return Problem{word, word + " needs a value"};
        if (accepted.repeatable.contains(word)) {
            arguments.repeated[word].push_back(words[++i]);
            arguments.options.try_emplace(word, arguments.repeated[word].front());
            continue;
        }
        if (arguments.options.contains(word))
            return Problem{word, word + " given twice"};
        arguments.options[word] = words[++i];
    }
    return arguments;
}

void OptionValues::decimal(const std::string& option, double& setting, double first, double last) {
    const std::string* text = given(option);
    if (!text)
        return;
    if (const auto value = decimalNumber(*text, first, last))
        setting = *value;
    else
        refuse(option, "a number", shortestText(first), shortestText(last), *text);
}

void OptionValues::text(const std::string& option, std::string& setting) {
    if (const std::string* text = given(option))
        setting = *text;
}

const std::string* OptionValues::given(const std::string& option) const {
    const auto value = arguments_.options.find(option);
    return value == arguments_.options.end() ? nullptr : &value->second;
}

void OptionValues::refuse(const std::string& option, const char* kind, const std::string& first,
                          const std::string& last, const std::string& text) {
    problems_.push_back({option, option + " takes " + kind + " from " + first + " to " + last +
                                     ", not \"" + text + "\""});
}

int refuseArguments(const char* program, const Problems& problems, const char* usage) {
    for (const Problem& problem : problems)
        std::fprintf(stderr, "%s: %s\n", program, problem.message.c_str());
    std::fputs(usage, stderr);
    return 2;
}

} // namespace velmora
