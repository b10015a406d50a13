#include "cli/command_line.h"

#include <charconv>
#include <cmath>

namespace velmora::cli {

std::variant<Arguments, std::string> parseArguments(const std::vector<std::string>& words,
                                                    const Accepted& accepted) {
    Arguments arguments;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() < 2 || word[0] != '-') {
            arguments.plain.push_back(word);
            continue;
        }
        if (accepted.switches.contains(word)) {
            arguments.switches.insert(word);
            continue;
        }
        if (!accepted.options.contains(word))
            return "unknown option " + word;
        if (i + 1 == words.size())
            return word + " needs a value";
        if (accepted.repeatable.contains(word)) {
            arguments.repeated[word].push_back(words[++i]);
            arguments.options.try_emplace(word, arguments.repeated[word].front());
            continue;
        }
        if (arguments.options.contains(word))
            return word + " given twice";
        arguments.options[word] = words[++i];
    }
    return arguments;
}

std::optional<long> wholeNumber(const std::string& text, long first, long last) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text[0] == '-' || error != std::errc{} || stop != end || value < first ||
        value > last)
        return std::nullopt;
    return value;
}

std::optional<std::chrono::milliseconds> seconds(const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc{} || stop != end || !(value <= kLongestSeconds))
        return std::nullopt;
    const std::chrono::milliseconds wait(std::lround(value * 1000));
    if (wait < kShortestWait)
        return std::nullopt;
    return wait;
}

} // namespace velmora::cli
