#include "link/serial_link.h"

#include "link/device_lock.h"
#include "link/device_naming.h"
#include "protocol/frames.h"

namespace velmora {
namespace {

void prepare(QTimer& timer, const char* name, int intervalMs, bool singleShot) {
    timer.setObjectName(QString::fromLatin1(name));
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(intervalMs);
    timer.setSingleShot(singleShot);
}

} // namespace

SerialLink::SerialLink(QObject* parent) : QObject(parent), port_(this) {
    port_.setObjectName(QStringLiteral("MSComm1"));
    // Timer2 and Timer3 stop themselves on their tick; Timer1 and Timer4 tick on.
    prepare(poll_, "Timer1", kPollMs, false);
    prepare(watchdog_, "Timer2", kWatchdogMs, true);
    prepare(receiveGap_, "Timer3", kReceiveGapMs, true);
    prepare(pollResume_, "Timer4", kPollResumeMs, false);
    prepare(reopen_, "ReopenTimer", kReopenMs, false);
    prepare(readDeadline_, "ReadDeadline", kReadDeadlineMs, true);
    prepare(silence_, "SilenceTimer", kSilenceLimitMs, true);
    prepare(exchangeDeadline_, "ExchangeDeadline", 0, true);
    for (QTimer* timer : {&poll_, &watchdog_, &receiveGap_, &pollResume_, &reopen_, &readDeadline_,
                          &silence_, &exchangeDeadline_}) {
        timer->setParent(this);
    }

    connect(&poll_, &QTimer::timeout, this, &SerialLink::pollTick);
    connect(&watchdog_, &QTimer::timeout, this, &SerialLink::watchdogTick);
    connect(&receiveGap_, &QTimer::timeout, this, &SerialLink::receiveGapTick);
    connect(&pollResume_, &QTimer::timeout, this, &SerialLink::resumePolling);
    connect(&reopen_, &QTimer::timeout, this, &SerialLink::tryReopen);
    connect(&readDeadline_, &QTimer::timeout, this, &SerialLink::readDeadlineTick);
    connect(&silence_, &QTimer::timeout, this, [this] { emit linkStatusChanged(false); });
    connect(&exchangeDeadline_, &QTimer::timeout, this,
            [this] { endExchange(ExchangeOutcome::NoAnswer); });
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::dataArrived);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::portError);
}

Result<void, OpenFailure> openSerialLine(QSerialPort& port, const QString& device) {
    // The serial layer takes over a lock file that holds only a PID, the form other
    // serial programs write, even while that program runs; so it is asked first.
    if (lockHolder(device)) {
        return lockedByAnotherProgram(device);
    }
    port.setPortName(canonicalDevice(device));
    const bool opened =
        port.open(QIODevice::ReadWrite) && port.setBaudRate(QSerialPort::Baud9600) &&
        port.setDataBits(QSerialPort::Data8) && port.setParity(QSerialPort::NoParity) &&
        port.setStopBits(QSerialPort::OneStop) && port.setFlowControl(QSerialPort::NoFlowControl);
    if (opened) {
        return {};
    }
    OpenFailure failure = describeOpenFailure(device, port.error(), port.errorString());
    if (port.isOpen()) {
        port.close();
    }
    return failure;
}

Result<void, OpenFailure> SerialLink::open(const QString& device) {
    device_ = device;
    return openPort();
}

Result<void, OpenFailure> SerialLink::openPort() {
    // Errors raised while opening are the open's result, not line notifications.
    opening_ = true;
    Result<void, OpenFailure> opened = openSerialLine(port_, device_);
    // An acknowledgement or image still queued from an earlier run answers nothing
    // this program asked; once the line is set, flush the driver's input queue.
    if (opened) {
        port_.clear(QSerialPort::Input);
    }
    opening_ = false;
    return opened;
}

bool SerialLink::send(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen()) {
        return false;
    }
    const qint64 written =
        port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    // Hand the bytes to the driver now rather than on the next loop pass, so that the
    // poll cadence holds.
    port_.flush();
    return written == static_cast<qint64>(bytes.size());
}

void SerialLink::holdForProgramming() {
    poll_.stop();
    readDeadline_.stop();
    replies_.clear();
}

bool SerialLink::sendProgramming(const Frame& frame) {
    if (!send(frame)) {
        return false;
    }
    pollResume_.start();
    return true;
}

bool SerialLink::sendReadRequest() {
    poll_.stop();
    if (!send(readRequest())) {
        return false;
    }
    readDeadline_.start();
    return true;
}

bool SerialLink::programAndAwait(const Frame& frame, std::chrono::milliseconds timeout) {
    return startAwaited(ChunkKind::Acknowledgement, frame, timeout);
}

bool SerialLink::readAndAwait(std::chrono::milliseconds timeout) {
    return startAwaited(ChunkKind::Image, readRequest(), timeout);
}

bool SerialLink::startAwaited(ChunkKind expected, const Frame& frame,
                              std::chrono::milliseconds timeout) {
    poll_.stop();
    discardWaitingInput();
    awaited_ = expected;
    const bool reachable = port_.isOpen();
    send(frame);
    exchangeDeadline_.start(timeout);
    return reachable;
}

void SerialLink::abandonExchange() {
    awaited_.reset();
    exchangeDeadline_.stop();
    poll_.stop();
}

// Whatever the end, nothing collected so far belongs to the next exchange.
void SerialLink::endExchange(ExchangeOutcome outcome, const Image& image) {
    abandonExchange();
    receiveGap_.stop();
    replies_.clear();
    emit exchangeEnded(outcome, image);
}

void SerialLink::discardWaitingInput() {
    if (port_.isOpen()) {
        port_.clear(QSerialPort::Input);
    }
    receiveGap_.stop();
    replies_.clear();
}

void SerialLink::resumePolling() {
    if (port_.isOpen() && !poll_.isActive()) {
        poll_.start();
    }
}

void SerialLink::pollNow() {
    if (!port_.isOpen()) {
        return;
    }
    poll_.start();
    pollTick();
}

void SerialLink::pollTick() {
    const std::uint8_t poll = kPollByte;
    send({&poll, 1});
    watchdog_.start();
}

void SerialLink::watchdogTick() {
    emit linkStatusChanged(false);
}

// A reply that broke off answers nothing; the polls go on watching the unit.
void SerialLink::receiveGapTick() {
    replies_.clear();
    if (!awaited_) {
        resumePolling();
    }
}

// Polling resumes with a poll at once, unless a late reply is arriving, so that a unit
// gone quiet shows as such within the silence limit.
void SerialLink::readDeadlineTick() {
    emit readUnanswered();
    if (port_.isOpen() && replies_.buffer().empty() && !poll_.isActive()) {
        pollTick();
    }
    resumePolling();
}

void SerialLink::replyCompleted() {
    receiveGap_.stop();
    readDeadline_.stop();
    silence_.start();
}

void SerialLink::dataArrived() {
    const QByteArray chunk = port_.readAll();
    if (chunk.isEmpty()) {
        return;
    }
    const ChunkOutcome outcome =
        replies_.append({reinterpret_cast<const std::uint8_t*>(chunk.constData()),
                         static_cast<std::size_t>(chunk.size())});
    if (outcome.kind == ChunkKind::ConnectReply) {
        watchdog_.stop();
        silence_.start();
        emit linkStatusChanged(true);
        return;
    }
    receiveGap_.start();
    poll_.stop();
    watchdog_.stop();
    switch (outcome.kind) {
    case ChunkKind::Collecting:
        return;
    case ChunkKind::Acknowledgement:
        replyCompleted();
        emit acknowledged();
        if (awaited_) {
            endExchange(*awaited_ == outcome.kind ? ExchangeOutcome::Acknowledged
                                                  : ExchangeOutcome::WrongAnswer);
            return;
        }
        resumePolling();
        return;
    case ChunkKind::Image:
        replyCompleted();
        emit imageReceived(outcome.image);
        if (awaited_) {
            endExchange(*awaited_ == outcome.kind ? ExchangeOutcome::ImageReceived
                                                  : ExchangeOutcome::WrongAnswer,
                        outcome.image);
            return;
        }
        resumePolling();
        replies_.clear();
        return;
    case ChunkKind::ConnectReply:
        return;
    }
}

void SerialLink::portError(QSerialPort::SerialPortError error) {
    if (opening_ || error == QSerialPort::NoError || error == QSerialPort::TimeoutError) {
        return;
    }
    if (error == QSerialPort::ResourceError || inErrorBurst()) {
        loseDevice();
        return;
    }
    port_.clearError();
    recover();
}

// A line that reports error after error with no pause between them is as good as
// gone: recovering each time would only spin the processor and flood the window.
bool SerialLink::inErrorBurst() {
    if (!errorBurstClock_.isValid() || errorBurstClock_.elapsed() > kErrorBurstWindowMs) {
        errorBurstClock_.start();
        errorsInBurst_ = 0;
    }
    return ++errorsInBurst_ > kErrorBurstLimit;
}

// An awaited exchange keeps the polls off: its answer is lost, but its time runs on.
void SerialLink::recover() {
    if (!awaited_) {
        resumePolling();
    }
    replies_.clear();
    emit recovered();
}

void SerialLink::loseDevice() {
    const QString reason = port_.errorString();
    port_.clearError();
    port_.close();
    poll_.stop();
    watchdog_.stop();
    receiveGap_.stop();
    silence_.stop();
    replies_.clear();
    emit linkStatusChanged(false);
    if (awaited_) {
        endExchange(ExchangeOutcome::PortLost);
    }
    emit portLost(reason);
    reopen_.start();
}

void SerialLink::tryReopen() {
    if (!openPort().ok()) {
        return;
    }
    reopen_.stop();
    emit portBack();
    resumePolling();
}

} // namespace velmora
