#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace velmora::exchange {

// Ctrl-C (SIGINT), a termination request (SIGTERM) and a closed terminal (SIGHUP) as an
// event on the event thread, so that a command can end its work in order: close its
// ports, write its record, print its summary, exit with ExitStatus::Interrupted.
//
// The signal handler only writes one byte into a socket pair; a QSocketNotifier turns it
// into interrupted() on the next pass of whichever event loop runs (nested loops
// included). After the first signal the later ones are taken and dropped while the
// program winds down. A signal that was ignored when the object was made (a job started
// with nohup) stays ignored. At most one Interruption lives at a time; the handlers that
// were there before come back when it is destroyed. Needs a QCoreApplication.
//
// POSIX signals only: on Windows none is caught and Ctrl-C keeps the console's default.
class Interruption : public QObject {
    Q_OBJECT

public:
    explicit Interruption(QObject* parent = nullptr);
    ~Interruption() override;
    Interruption(const Interruption&) = delete;
    Interruption& operator=(const Interruption&) = delete;

    // True from the moment a signal arrived, even before interrupted() was delivered, so
    // that a command can check it right before it sends a frame.
    bool requested() const;
    // The first signal that arrived (SIGINT, SIGTERM or SIGHUP); 0 while none did.
    int signalNumber() const;

signals:
    // Once, for the first signal.
    void interrupted(int signalNumber);

private:
#ifndef Q_OS_WIN
    void drain();

    QSocketNotifier* notifier_ = nullptr;
    bool delivered_ = false;
    struct sigaction previous_[3]{};
#endif
};

} // namespace velmora::exchange
