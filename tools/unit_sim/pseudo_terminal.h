#pragma once

#include "values/result.h"

#include <string>

namespace velmora::sim {

// The unit's end of the line: the master side of a pseudo-terminal, both sides raw
// (no echo, no translation, every byte value passes) at 9600 baud 8N1. The unit keeps
// its own handle on the slave side so that the master stays quiet while no program
// has the slave open.
class PseudoTerminal {
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;
    ~PseudoTerminal() { close(); }

    Status open();
    // Hangs the line up: the program on the slave side reads end of line.
    void close();

    bool isOpen() const { return masterFd_ >= 0; }
    int masterFd() const { return masterFd_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int masterFd_ = -1;
    int slaveFd_ = -1;
    std::string slavePath_;
};

// Makes linkPath a symbolic link to target, replacing what was there in one step.
Status pointLink(const std::string& linkPath, const std::string& target);

} // namespace velmora::sim
