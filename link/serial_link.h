#pragma once

#include "link/open_failure.h"
#include "protocol/config_image.h"
#include "protocol/reply_handling.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

// The one serial line to the unit and its supervision, all on the event thread:
//   Timer1 (200 ms) sends the poll "U" and arms Timer2;
//   Timer2 (150 ms) reports the link down when no "V" came back;
//   Timer3 (50 ms)  drops a reply that stopped arriving;
//   Timer4 (500 ms) once started by a programming, resumes polling for good.
// Every received chunk goes to `RxBuffer` (the core's ReplyAssembler); a complete reply
// is reported and polling resumed, and so is a partial one that Timer3 drops. Any port
// notification other than data takes the recovery path. A vanished device (adapter
// pulled, line hung up) closes the port and is looked for again every half second until
// it is back, so that polling resumes within a second of the unit's return (the retry
// plus the first poll interval). Whatever waits in the input queue when the port opens
// was sent before this program listened and is discarded.
//
// Two limits keep the link status honest while commands pause the polls: a read gets a
// second for its reply, then it is reported unanswered and polling resumes at once; and
// the link is reported down once the unit has given no answer (a "V" or a whole reply)
// for 1.3 s, however the polls were held up.
class SerialLink : public QObject {
    Q_OBJECT

public:
    static constexpr int kPollMs = 200;
    static constexpr int kWatchdogMs = 150;
    static constexpr int kReceiveGapMs = 50;
    static constexpr int kPollResumeMs = 500;
    // More errors than this within the window, and the line counts as gone.
    static constexpr int kErrorBurstLimit = 20;
    static constexpr int kErrorBurstWindowMs = 100;
    static constexpr int kReopenMs = 500;
    // The read request and the reply take about 102 + 100 ms on the line.
    static constexpr int kReadDeadlineMs = 1000;
    // Longer than the longest quiet spell of a healthy unit: a poll answered just before
    // a read that gets no reply, then the read's deadline and the poll it sends.
    static constexpr int kSilenceLimitMs = 1300;

    explicit SerialLink(QObject* parent = nullptr);

    // Opens the device at 9600 baud, 8N1, no flow control; on failure the sentence
    // for the operator.
    std::optional<QString> open(const QString& device);
    // The same, on failure the sentence and the system's own text apart.
    std::optional<OpenFailure> openOrExplain(const QString& device);
    bool isOpen() const { return port_.isOpen(); }
    const QString& device() const { return device_; }

    // One write, nothing added, no waiting. False while the port is closed (nothing is
    // sent then) or when it refuses the bytes.
    bool send(std::span<const std::uint8_t> bytes);
    void stopPolling() { poll_.stop(); }
    // Starts Timer1 unless it already runs: a running poll keeps its cadence.
    void resumePolling();
    void startPollResumeTimer() { pollResume_.start(); }
    // A read request went out: its reply is due within kReadDeadlineMs.
    void startReadDeadline() { readDeadline_.start(); }
    void cancelReadDeadline() { readDeadline_.stop(); }
    void clearReceiveBuffer() { replies_.clear(); }
    // Clears `RxBuffer` and drops every byte waiting in the port's input queue, in the
    // driver and in the serial layer: what was there answers nothing sent from now on.
    void discardWaitingInput();
    const Bytes& receiveBuffer() const { return replies_.buffer(); }

signals:
    void linkStatusChanged(bool connected);
    void acknowledged();
    void imageReceived(const velmora::Image& image);
    // A read got no whole reply in time; polling has resumed.
    void readUnanswered();
    // The recovery path ran: a partial reply was dropped and polling restarted.
    void recovered();
    void portLost(const QString& reason);
    void portBack();

private:
    void pollTick();
    void watchdogTick();
    void receiveGapTick();
    void readDeadlineTick();
    void replyCompleted();
    void dataArrived();
    void portError(QSerialPort::SerialPortError error);
    void recover();
    void loseDevice();
    void tryReopen();
    bool openPort();
    bool inErrorBurst();

    QSerialPort port_;
    QString device_;
    ReplyAssembler replies_;
    QTimer poll_;
    QTimer watchdog_;
    QTimer receiveGap_;
    QTimer pollResume_;
    QTimer reopen_;
    QTimer readDeadline_;
    QTimer silence_;
    bool opening_ = false;
    QElapsedTimer errorBurstClock_;
    int errorsInBurst_ = 0;
};

} // namespace velmora
