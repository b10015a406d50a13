#include "harness/line_reader.h"

#include "support/monotonic_clock.h"

#include <poll.h>
#include <unistd.h>

namespace velmora::bench {

std::optional<std::string> LineReader::next(int timeoutMs) {
    const double deadline = monotonicMs() + timeoutMs;
    for (;;) {
        if (const auto end = pending_.find('\n'); end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        const double left = deadline - monotonicMs();
        if (ended_ || left < 0)
            return std::nullopt;
        pollfd watched{fd_, POLLIN, 0};
        if (::poll(&watched, 1, static_cast<int>(left) + 1) <= 0)
            continue;
        char buffer[4096];
        const ssize_t count = ::read(fd_, buffer, sizeof buffer);
        if (count <= 0)
            ended_ = true;
        else
            pending_.append(buffer, static_cast<std::size_t>(count));
    }
}

} // namespace velmora::bench
