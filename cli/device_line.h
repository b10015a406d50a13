#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/unit_session.h"

#include <QString>

#include <chrono>
#include <memory>
#include <string>

namespace velmora::cli {

inline constexpr std::chrono::milliseconds kDefaultTimeout{2000};

// The device a command talks to and how long it waits for each answer.
struct LineChoice {
    QString device;
    std::chrono::milliseconds timeout;
    int port = 0; // the port number it came from; 0 for --device
};

// The chosen device with a session open on it.
struct OpenLine {
    LineChoice choice;
    std::unique_ptr<UnitSession> session;
};

// From --port N or --device PATH and --timeout SECONDS: the session, ending its exchange
// on `interruption`, or why the choice is wrong or the port could not be opened.
Step<OpenLine> openLine(const Arguments& arguments, const Interruption& interruption);

// The failure for an exchange that ended with no-answer, wrong-answer, port-lost or
// interrupted; `exchange` names what went unanswered ("the programming frame").
Failure troubleFailure(UnitOutcome trouble, const LineChoice& line, const std::string& exchange);

// Prints "velmora-cli: message" on standard error and gives the status back.
ExitStatus report(const Failure& failure);

} // namespace velmora::cli
