#include "unit_sim/presence_script.h"

#include "support/number_text.h"

namespace velmora::sim {
namespace {

constexpr int kLongestStepMs = 86'400'000;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

Result<PresenceStep> stepOf(std::string_view text) {
    const auto blank = text.find_first_of(" \t");
    const std::string_view word = text.substr(0, blank);
    PresenceStep step;
    if (word == "absent")
        step.present = false;
    else if (word != "present")
        return Problem{std::string(text), "\"" + std::string(text) +
                                              "\": a step is present or absent, then milliseconds"};
    if (blank == std::string_view::npos)
        return step;
    const std::string_view length = trimmed(text.substr(blank));
    const auto ms = wholeNumber(length, 0, kLongestStepMs);
    if (!ms)
        return Problem{std::string(text), "\"" + std::string(text) +
                                              "\": the length is whole milliseconds up to a day"};
    step.ms = static_cast<int>(*ms);
    return step;
}

} // namespace

Result<std::vector<PresenceStep>> parsePresence(std::string_view text) {
    std::vector<PresenceStep> steps;
    bool comment = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\n';
        if (c != ',' && c != '\n' && c != '#')
            continue;
        const std::string_view part = trimmed(text.substr(start, i - start));
        if (!comment && !part.empty()) {
            if (!steps.empty() && !steps.back().ms)
                return Problem{std::string(part),
                               "only the last step may go without its milliseconds"};
            const Result<PresenceStep> step = stepOf(part);
            if (!step)
                return step.problems();
            steps.push_back(*step);
        }
        if (c == '#')
            comment = true;
        else if (c == '\n')
            comment = false;
        start = i + 1;
    }
    if (steps.empty())
        return Problem{std::string(text),
                       "no steps: give present or absent, each with its milliseconds"};
    return steps;
}

} // namespace velmora::sim
