#pragma once

#include <optional>
#include <string>

namespace velmora::bench {

// Whole lines from a pipe, waiting at most a given time for the next one.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}

    // The next line without its line end; none when nothing came in time or the
    // writer has gone.
    std::optional<std::string> next(int timeoutMs);
    bool ended() const { return ended_; }

private:
    int fd_;
    std::string pending_;
    bool ended_ = false;
};

} // namespace velmora::bench
