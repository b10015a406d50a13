#pragma once

#include "unit_sim/pseudo_terminal.h"

#include <QElapsedTimer>
#include <QTest>

#include <cstdint>
#include <unistd.h>
#include <vector>

// The unit's end of a pseudo-terminal, driven byte by byte by a test.
class LinePeer {
public:
    bool open() { return line_.open().ok(); }
    QString device() const { return QString::fromStdString(line_.slavePath()); }
    void write(const std::vector<std::uint8_t>& bytes) {
        QCOMPARE(::write(line_.masterFd(), bytes.data(), bytes.size()),
                 static_cast<ssize_t>(bytes.size()));
    }

    // Runs the event loop until `count` bytes arrived or the time is up.
    std::vector<std::uint8_t> await(std::size_t count, int timeoutMs = 1000) {
        std::vector<std::uint8_t> bytes;
        QElapsedTimer clock;
        clock.start();
        std::uint8_t buffer[512];
        while (bytes.size() < count && clock.elapsed() < timeoutMs) {
            QTest::qWait(1);
            for (ssize_t n; (n = ::read(line_.masterFd(), buffer, sizeof buffer)) > 0;) {
                bytes.insert(bytes.end(), buffer, buffer + n);
            }
        }
        return bytes;
    }

private:
    velmora::sim::PseudoTerminal line_;
};
