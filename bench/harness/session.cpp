#include "harness/session.h"

#include "support/monotonic_clock.h"

namespace velmora::bench {
namespace {
constexpr int kUnitStartMs = 5000;
constexpr int kUnitAnswerMs = 2000;
} // namespace

Session::Session(SessionPaths paths)
    : paths_(std::move(paths)), logReader_(paths_.workDir + "/unit.log") {}

bool Session::startUnit(std::string& error) {
    const std::vector<std::string> arguments{paths_.unit, "--link", paths_.workDir + "/com1",
                                             "--log", paths_.workDir + "/unit.log"};
    if (!unit_.start(arguments, {}, error))
        return false;
    unitAnswers_ = std::make_unique<LineReader>(unit_.outputFd());
    // Its first line names the line's device once the line is open.
    if (!unitAnswers_->next(kUnitStartMs)) {
        error = "the simulated unit did not open its line";
        return false;
    }
    return true;
}

bool Session::startProgram(std::string& error) {
    const std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen", "VELMORA_AUTOMATION=1",
                                               "VELMORA_COM1=" + paths_.workDir + "/com1"};
    spawnedMs_ = monotonicMs();
    if (!program_.start({paths_.program}, environment, error))
        return false;
    events_ = std::make_unique<ProgramEvents>(program_.errorFd());
    return true;
}

bool Session::controlUnit(const std::string& line) {
    if (!unit_.writeLine(line))
        return false;
    // The unit also names its line each time it opens it again; skip those lines.
    const double deadline = monotonicMs() + kUnitAnswerMs;
    for (double left = kUnitAnswerMs; left > 0; left = deadline - monotonicMs()) {
        const auto answer = unitAnswers_->next(static_cast<int>(left));
        if (!answer)
            return false;
        if (*answer == "ok" || answer->starts_with("error"))
            return *answer == "ok";
    }
    return false;
}

const std::vector<LogEntry>& Session::unitLog() {
    for (LogEntry& entry : logReader_.readNew())
        log_.push_back(std::move(entry));
    return log_;
}

} // namespace velmora::bench
