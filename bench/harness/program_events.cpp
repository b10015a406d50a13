#include "harness/program_events.h"

#include "support/monotonic_clock.h"

#include <charconv>
#include <chrono>
#include <thread>

namespace velmora::bench {

namespace {
constexpr std::string_view kPrefix = "velmora-event ";
constexpr std::size_t kOtherLinesKept = 200;
} // namespace

std::optional<ProgramEvent> parseProgramEvent(std::string_view line) {
    if (!line.starts_with(kPrefix))
        return std::nullopt;
    line.remove_prefix(kPrefix.size());
    ProgramEvent event{};
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), event.ms);
    if (error != std::errc{} || end == line.data() + line.size() || *end != ' ')
        return std::nullopt;
    line.remove_prefix(static_cast<std::size_t>(end - line.data()) + 1);
    const auto blank = line.find(' ');
    event.what = std::string(line.substr(0, blank));
    if (blank != std::string_view::npos)
        event.detail = std::string(line.substr(blank + 1));
    if (event.what.empty())
        return std::nullopt;
    return event;
}

std::optional<ProgramEvent> ProgramEvents::readOne(int timeoutMs) {
    const double deadline = monotonicMs() + timeoutMs;
    for (;;) {
        const double left = deadline - monotonicMs();
        const auto line = reader_.next(left > 0 ? static_cast<int>(left) : 0);
        if (!line)
            return std::nullopt;
        if (auto event = parseProgramEvent(*line)) {
            seen_.push_back(*event);
            return event;
        }
        if (other_.size() < kOtherLinesKept)
            other_.push_back(*line);
    }
}

std::optional<ProgramEvent> ProgramEvents::waitFor(std::string_view what, int timeoutMs) {
    const double deadline = monotonicMs() + timeoutMs;
    for (;;) {
        const double left = deadline - monotonicMs();
        if (left < 0)
            return std::nullopt;
        const auto event = readOne(static_cast<int>(left));
        if (!event)
            return std::nullopt;
        if (event->what == what)
            return event;
    }
}

void ProgramEvents::pump(int ms) {
    const double deadline = monotonicMs() + ms;
    for (double left = ms; left > 0; left = deadline - monotonicMs()) {
        if (!readOne(static_cast<int>(left)) && reader_.ended()) {
            // Nothing more will come; the caller still wants its time to pass.
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(left));
            return;
        }
    }
}

} // namespace velmora::bench
