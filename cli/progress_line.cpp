#include "cli/progress_line.h"

#include <unistd.h>

namespace velmora::cli {

ProgressLine::ProgressLine(std::FILE* progress, std::FILE* results)
    : progress_(progress), results_(results), inPlace_(::isatty(::fileno(progress)) == 1) {}

ProgressLine::~ProgressLine() {
    erase();
}

void ProgressLine::erase() {
    if (inPlace_ && !current_.empty()) {
        std::fputs("\r\033[K", progress_);
        std::fflush(progress_);
    }
}

void ProgressLine::clear() {
    erase();
    current_.clear();
}

void ProgressLine::show(const std::string& state) {
    if (state == current_)
        return;
    current_ = state;
    std::fputs(inPlace_ ? ("\r\033[K" + state).c_str() : (state + "\n").c_str(), progress_);
    std::fflush(progress_);
}

void ProgressLine::record(const std::string& line) {
    erase();
    std::fputs((line + "\n").c_str(), results_);
    std::fflush(results_);
    if (inPlace_ && !current_.empty()) {
        std::fputs(current_.c_str(), progress_);
        std::fflush(progress_);
    }
}

} // namespace velmora::cli
