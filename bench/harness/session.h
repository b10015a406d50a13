#pragma once

#include "harness/child_process.h"
#include "harness/program_events.h"
#include "harness/unit_log.h"

#include <memory>
#include <string>
#include <vector>

namespace velmora::bench {

struct SessionPaths {
    std::string program; // build/velmora
    std::string unit;    // build/velmora-unit-sim
    std::string workDir; // the unit's line link and log go here
};

// The real program, headless, against the simulated unit at 9600 baud pacing: the
// unit's line is the program's port 1, the program answers its port prompt with 1
// and reports its events under automation.
// Starts a simulated unit and waits until it names its line, which it does once the
// line is open; its answers to control lines then come through the reader returned.
Result<std::unique_ptr<LineReader>, std::string>
startSimulatedUnit(ChildProcess& unit, const std::vector<std::string>& arguments);

class Session {
public:
    explicit Session(SessionPaths paths);

    Started startUnit();
    // `spawnedMs` is when the program was started, on the events' clock.
    Started startProgram();
    // The unit, then the program.
    Started start();
    double spawnedMs() const { return spawnedMs_; }

    void click(const std::string& button) { program_.writeLine("click " + button); }
    // A control line for the unit ("silent on", "hangup 800"); true once it said "ok".
    bool controlUnit(const std::string& line);

    ProgramEvents& events() { return *events_; }
    // Every log entry of the unit so far.
    const std::vector<LogEntry>& unitLog();

    ChildProcess& program() { return program_; }
    ChildProcess& unit() { return unit_; }
    void stopProgram() { program_.stop(); }

private:
    SessionPaths paths_;
    ChildProcess unit_;
    ChildProcess program_;
    std::unique_ptr<LineReader> unitAnswers_;
    std::unique_ptr<ProgramEvents> events_;
    UnitLogReader logReader_;
    std::vector<LogEntry> log_;
    double spawnedMs_ = 0;
};

} // namespace velmora::bench
