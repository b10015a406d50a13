#include "harness/process_stats.h"

#include "support/number_text.h"

#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

namespace velmora::bench {
namespace {

std::optional<long> statusField(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    // "VmRSS:	   12345 kB"
    for (std::string line; std::getline(status, line);) {
        if (!line.starts_with(field + ":"))
            continue;
        const std::size_t digits = line.find_first_not_of(" \t", field.size() + 1);
        const std::size_t end = line.find(' ', digits);
        if (digits == std::string::npos || end == std::string::npos)
            return std::nullopt;
        return wholeNumber(std::string_view(line).substr(digits, end - digits), 0,
                           std::numeric_limits<long>::max());
    }
    return std::nullopt;
}

} // namespace

std::optional<double> processorMs(pid_t pid) {
    std::error_code error;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    double totalNs = 0;
    bool any = false;
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double runNs = 0;
        if (schedstat >> runNs) {
            totalNs += runNs;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return totalNs / 1e6;
}

std::optional<long> residentKb(pid_t pid) {
    return statusField(pid, "VmRSS");
}

std::optional<long> peakResidentKb(pid_t pid) {
    return statusField(pid, "VmHWM");
}

} // namespace velmora::bench
