#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "cli/unit_session.h"

#include <QString>

#include <chrono>
#include <memory>
#include <string>
#include <variant>

namespace velmora::cli {

inline constexpr std::chrono::milliseconds kDefaultTimeout{2000};

// The device a command talks to and how long it waits for each answer.
struct LineChoice {
    QString device;
    std::chrono::milliseconds timeout;
};

// From --port N or --device PATH and --timeout SECONDS.
std::variant<LineChoice, Failure> chooseLine(const Arguments& arguments);

// A session on the chosen device, or why the port could not be opened.
std::variant<std::unique_ptr<UnitSession>, Failure> openSession(const LineChoice& line);

// The failure for a trouble on the line; `exchange` names what went unanswered
// ("the programming frame").
Failure troubleFailure(LineTrouble trouble, const LineChoice& line, const std::string& exchange);

// Prints "velmora-cli: message" on standard error and gives the status back.
ExitStatus report(const Failure& failure);

} // namespace velmora::cli
