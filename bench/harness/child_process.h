#pragma once

#include "values/result.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace velmora::bench {

// Done, or a sentence saying why not.
using Started = Result<void, std::string>;

// A started program with its standard input writable and its standard output and
// error readable through pipes. Stopped (SIGTERM, then SIGKILL) when destroyed.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // `environment` entries ("NAME=value") are added to this process's environment.
    Started start(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& environment = {});

    pid_t pid() const { return pid_; }
    int outputFd() const { return output_; }
    int errorFd() const { return error_; }
    bool writeLine(const std::string& line);

    // Still running; otherwise how it ended is in exitDescription().
    bool running();
    const std::string& exitDescription() const { return ended_; }
    // Asks it to end and waits up to `graceMs` before killing it.
    void stop(int graceMs = 3000);

private:
    void reap(int status);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int error_ = -1;
    std::string ended_;
};

} // namespace velmora::bench
