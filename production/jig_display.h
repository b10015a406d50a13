#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace velmora::production {

// What the operator of a jig sees. On a terminal: one line per position, rewritten in
// place with its current state only, and a total line under them. Elsewhere (a log, a
// test): one line per event, stamped with the local time and its offset. Results go to
// their own stream as lines that stay.
class JigDisplay {
public:
    JigDisplay(std::FILE* progress, std::FILE* results, std::size_t positions);
    ~JigDisplay();
    JigDisplay(const JigDisplay&) = delete;
    JigDisplay& operator=(const JigDisplay&) = delete;

    // The position's line on a terminal; `event` is the plain line, printed only when
    // it differs from the position's last one.
    void show(std::size_t position, const std::string& line, const std::string& event);
    void showTotal(const std::string& total);
    // A line that stays, printed above the positions, which are then drawn again.
    void result(const std::string& line);
    // Takes the positions' lines away for good.
    void close();

    bool inPlace() const { return inPlace_; }

private:
    void erase();
    void draw();

    std::FILE* progress_;
    std::FILE* results_;
    bool inPlace_;
    std::size_t width_;
    std::vector<std::string> lines_;
    std::vector<std::string> events_;
    std::string total_;
    int drawn_ = 0;
};

// "2026-12-07T09:15:02.125+01:00"
std::string localTimestamp();

} // namespace velmora::production
