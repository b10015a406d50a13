#pragma once

#include "unit_sim/byte_log.h"
#include "unit_sim/pseudo_terminal.h"
#include "unit_sim/reply_pacer.h"
#include "unit_sim/sim_options.h"
#include "unit_sim/unit_behaviour.h"

#include <optional>
#include <string>

namespace velmora::sim {

// The simulated unit's one thread: waits for bytes from the line, control lines on
// standard input and the next paced chunk, and handles each as it comes. Runs until
// SIGINT or SIGTERM.
class SimLoop {
public:
    SimLoop(SimOptions options, const Image& image);
    int run();

private:
    bool openLine();
    void hangUp(int downMs);
    void readLine();
    void readControl();
    void handleControl(const std::string& line);
    void sendDueBytes();
    std::optional<double> nextWakeMs() const;

    SimOptions options_;
    UnitBehaviour unit_;
    ReplyPacer pacer_;
    PseudoTerminal line_;
    ByteLog log_;
    std::optional<double> reopenAtMs_;
    std::optional<double> scheduledHangupAtMs_;
    std::string controlPending_;
    bool controlOpen_ = true;
};

double monotonicMs();

} // namespace velmora::sim
