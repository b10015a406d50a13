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
// standard input, the next paced chunk and the next step of its presence script, and
// handles each as it comes. Runs until SIGINT or SIGTERM.
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
    void startPresenceStep(std::size_t index, double nowMs);
    void setPresent(bool present);
    std::optional<double> nextWakeMs() const;

    SimOptions options_;
    Image startImage_;
    UnitBehaviour unit_;
    ReplyPacer pacer_;
    PseudoTerminal line_;
    ByteLog log_;
    std::optional<double> reopenAtMs_;
    std::optional<double> scheduledHangupAtMs_;
    bool present_ = true;
    bool pollHeard_ = false; // with a bouncing connector, whether the last poll got through
    std::size_t presenceStep_ = 0;
    std::optional<double> presenceStepEndsMs_;
    std::string controlPending_;
    bool controlOpen_ = true;
};

} // namespace velmora::sim
