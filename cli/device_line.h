#pragma once

#include "cli/command_line.h"
#include "cli/exit_status.h"
#include "exchange/unit_session.h"

#include <QString>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace velmora::cli {

using exchange::ExchangeResult;
using exchange::ExchangeStep;
using exchange::Interruption;
using exchange::UnitOutcome;
using exchange::UnitSession;

inline constexpr std::chrono::milliseconds kDefaultTimeout{2000};

// A line a command talks to: "--port 2" or the n-th "--device PATH".
struct LinePlace {
    std::string label; // "port 2", "position 3"
    QString device;
    int port = 0; // the port number it came from; 0 for --device
};

// The lines named by --port N or by --device PATH, or for a command that takes
// `several`, by --port N,N... or --device repeated; in the order given, each device
// named once, the port numbers already within their limits. Or why they cannot be used.
Step<std::vector<LinePlace>> linePlaces(const Arguments& arguments, bool several);

// A port number named as a plain word ("ports map 2 ..."): 1 to 8, or bad input.
Step<int> portNumberOf(const std::string& word);

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

// A device that could not be opened, with the mapping advice when its port number
// leads nowhere.
Failure openFailure(const OpenFailure& failure, int port);

// The failure for an exchange sequence that ended without its success: the unit, what
// went wrong in the engine's words, and what it means for the unit when interrupted.
Failure exchangeFailure(const ExchangeResult& result, const QString& device);

} // namespace velmora::cli
