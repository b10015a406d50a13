#include "production/jig_display.h"

#include "store/production_store.h"

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace velmora::production {
namespace {

constexpr std::size_t kDefaultWidth = 80;

// A line wider than the terminal wraps, and the cursor would no longer find the top
// of the block.
std::size_t terminalWidth([[maybe_unused]] std::FILE* stream) {
#ifndef Q_OS_WIN
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
        return size.ws_col - 1;
#endif
    return kDefaultWidth - 1;
}

bool isTerminal(std::FILE* stream) {
#ifdef Q_OS_WIN
    return ::_isatty(::_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) == 1;
#endif
}

} // namespace

std::string localTimestamp() {
    return store::storeTimestamp();
}

JigDisplay::JigDisplay(std::FILE* progress, std::FILE* results, std::size_t positions)
    : progress_(progress), results_(results), inPlace_(isTerminal(progress)),
      width_(inPlace_ ? terminalWidth(progress) : 0), lines_(positions), events_(positions) {}

JigDisplay::~JigDisplay() {
    close();
}

void JigDisplay::erase() {
    if (drawn_ == 0)
        return;
    std::fprintf(progress_, "\033[%dF\033[J", drawn_);
    drawn_ = 0;
}

void JigDisplay::draw() {
    std::string block;
    for (const std::string& line : lines_)
        block += "\033[2K" + line.substr(0, width_) + "\n";
    block += "\033[2K" + total_.substr(0, width_) + "\n";
    std::fputs(block.c_str(), progress_);
    std::fflush(progress_);
    drawn_ = static_cast<int>(lines_.size()) + 1;
}

void JigDisplay::show(std::size_t position, const std::string& line, const std::string& event) {
    if (inPlace_) {
        if (lines_[position] == line)
            return;
        lines_[position] = line;
        erase();
        draw();
        return;
    }
    if (events_[position] == event)
        return;
    events_[position] = event;
    std::fprintf(progress_, "%s %s\n", localTimestamp().c_str(), event.c_str());
    std::fflush(progress_);
}

void JigDisplay::showTotal(const std::string& total) {
    if (!inPlace_ || total == total_)
        return;
    total_ = total;
    erase();
    draw();
}

void JigDisplay::result(const std::string& line) {
    erase();
    std::fprintf(results_, "%s\n", line.c_str());
    std::fflush(results_);
    if (inPlace_)
        draw();
}

void JigDisplay::close() {
    erase();
    std::fflush(progress_);
    inPlace_ = false;
    lines_.assign(lines_.size(), {});
}

} // namespace velmora::production
