#pragma once

#include "harness/line_reader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::bench {

// One line "velmora-event MS WHAT [DETAIL]" that the program writes on its standard
// error when it runs under automation.
struct ProgramEvent {
    double ms;
    std::string what;
    std::string detail;
};

std::optional<ProgramEvent> parseProgramEvent(std::string_view line);

// The program's standard error, read as events; other lines are kept for diagnosis.
class ProgramEvents {
public:
    explicit ProgramEvents(int fd) : reader_(fd) {}

    // Reads until the event `what` comes, at most `timeoutMs`; every event read on the
    // way is kept.
    std::optional<ProgramEvent> waitFor(std::string_view what, int timeoutMs);
    // Reads whatever comes for `ms`, so the program never blocks on a full pipe.
    void pump(int ms);

    const std::vector<ProgramEvent>& seen() const { return seen_; }
    const std::vector<std::string>& otherLines() const { return other_; }

private:
    std::optional<ProgramEvent> readOne(int timeoutMs);

    LineReader reader_;
    std::vector<ProgramEvent> seen_;
    std::vector<std::string> other_;
};

} // namespace velmora::bench
