#pragma once

#include <cstdio>
#include <string>

namespace velmora::cli {

// The one line that tells the operator what a batch is doing. On a terminal it is
// rewritten in place; elsewhere (a log, a test) each new state is one line. Results
// go to their own stream and never overwrite the progress line.
class ProgressLine {
public:
    ProgressLine(std::FILE* progress, std::FILE* results);
    ~ProgressLine();

    void show(const std::string& state);
    // A line that stays: printed above the progress line, which is then drawn again.
    void record(const std::string& line);
    // Takes the progress line away, for good or until the next show().
    void clear();

private:
    void erase();

    std::FILE* progress_;
    std::FILE* results_;
    bool inPlace_;
    std::string current_;
};

} // namespace velmora::cli
