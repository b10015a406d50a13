#include "exchange/interruption.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#ifndef Q_OS_WIN
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace velmora::exchange {

#ifdef Q_OS_WIN

Interruption::Interruption(QObject* parent) : QObject(parent) {}
Interruption::~Interruption() = default;
bool Interruption::requested() const {
    return false;
}
int Interruption::signalNumber() const {
    return 0;
}

#else

namespace {

constexpr std::array kCaughtSignals{SIGINT, SIGTERM, SIGHUP};

// Shared with the handler, which may touch nothing else.
int wakeSockets[2] = {-1, -1};
volatile std::sig_atomic_t firstSignal = 0;

extern "C" void onSignal(int number) {
    const int savedErrno = errno;
    if (firstSignal == 0)
        firstSignal = number;
    const char byte = 1;
    // A full socket already holds a wake-up; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(wakeSockets[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

Interruption::Interruption(QObject* parent) : QObject(parent) {
    firstSignal = 0;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, wakeSockets) != 0)
        return; // without a socket pair the signals keep their default: the program ends
    notifier_ = new QSocketNotifier(wakeSockets[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &Interruption::drain);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kCaughtSignals.size(); ++i) {
        sigaction(kCaughtSignals[i], nullptr, &previous_[i]);
        if (previous_[i].sa_handler != SIG_IGN)
            sigaction(kCaughtSignals[i], &action, nullptr);
    }
}

Interruption::~Interruption() {
    if (notifier_ == nullptr)
        return;
    for (std::size_t i = 0; i < kCaughtSignals.size(); ++i)
        sigaction(kCaughtSignals[i], &previous_[i], nullptr);
    delete notifier_;
    for (int& socket : wakeSockets) {
        ::close(socket);
        socket = -1;
    }
}

bool Interruption::requested() const {
    return firstSignal != 0;
}

int Interruption::signalNumber() const {
    return firstSignal;
}

void Interruption::drain() {
    char bytes[64];
    while (::read(wakeSockets[0], bytes, sizeof bytes) > 0) {
    }
    if (delivered_ || firstSignal == 0)
        return;
    delivered_ = true;
    emit interrupted(firstSignal);
}

#endif

} // namespace velmora::exchange
