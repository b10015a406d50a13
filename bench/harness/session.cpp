#include "harness/session.h"

#include "support/monotonic_clock.h"

namespace velmora::bench {
namespace {
constexpr int kUnitStartMs = 5000;
constexpr int kUnitAnswerMs = 2000;
} // namespace

Session::Session(SessionPaths paths)
    : paths_(std::move(paths)), logReader_(paths_.workDir + "/unit.log") {}

Result<std::unique_ptr<LineReader>, std::string>
startSimulatedUnit(ChildProcess& unit, const std::vector<std::string>& arguments) {
    if (const Started started = unit.start(arguments); !started)
        return started.error();
    auto answers = std::make_unique<LineReader>(unit.outputFd());
    if (!answers->next(kUnitStartMs))
        return std::string("the simulated unit did not open its line");
    return answers;
}

Started Session::startUnit() {
    auto answers = startSimulatedUnit(unit_, {paths_.unit, "--link", paths_.workDir + "/com1",
                                              "--log", paths_.workDir + "/unit.log"});
    if (!answers)
        return answers.error();
    unitAnswers_ = std::move(*answers);
    return {};
}

Started Session::startProgram() {
    // The window keeps its history in the run's folder, never in the user's store.
    const std::vector<std::string> environment{"QT_QPA_PLATFORM=offscreen", "VELMORA_AUTOMATION=1",
                                               "VELMORA_COM1=" + paths_.workDir + "/com1",
                                               "XDG_DATA_HOME=" + paths_.workDir};
    spawnedMs_ = monotonicMs();
    if (const Started started = program_.start({paths_.program}, environment); !started)
        return started;
    events_ = std::make_unique<ProgramEvents>(program_.errorFd());
    return {};
}

Started Session::start() {
    if (const Started unit = startUnit(); !unit)
        return unit;
    return startProgram();
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
