#pragma once

#include "link/open_failure.h"
#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "protocol/reply_handling.h"
#include "values/result.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

namespace velmora {

// Opens `device` by its device file, so that every name of one device shares its lock,
// at the line's fixed settings: 9600 baud, 8 data bits, no parity, 1 stop bit, no flow
// control. A device that another program's lock file holds is not even opened.
Result<void, OpenFailure> openSerialLine(QSerialPort& port, const QString& device);

// How an awaited exchange ended.
enum class ExchangeOutcome {
    Acknowledged,  // 96 "U" came back
    ImageReceived, // a 96-byte image came back
    WrongAnswer,   // the other of the two, not the one the frame asks for
    NoAnswer,      // nothing complete within the time allowed
    PortLost,      // the device vanished during the exchange
};

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
//
// The exchanges come in two kinds. The window's ("Programma", "Leggi") send and return:
// every complete reply is reported whenever it comes, whichever command it answers, and
// polling resumes as the timers above say. An awaited exchange (the command line's)
// keeps the polls off from its frame to its end and reports exactly one outcome.
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

    // Opens the device at the line's settings (see openSerialLine) and drops whatever
    // already waits in its input queue.
    Result<void, OpenFailure> open(const QString& device);
    bool isOpen() const { return port_.isOpen(); }
    const QString& device() const { return device_; }

    // One write, nothing added, no waiting. False while the port is closed (nothing is
    // sent then) or when it refuses the bytes.
    bool send(std::span<const std::uint8_t> bytes);
    void stopPolling() { poll_.stop(); }
    // Starts Timer1 unless it already runs: a running poll keeps its cadence.
    void resumePolling();
    // One poll at once, judged by Timer2 like any other, and Timer1 started anew from it:
    // the next poll of the cadence is a whole interval later. Nothing while the port is
    // closed.
    void pollNow();
    void clearReceiveBuffer() { replies_.clear(); }
    const Bytes& receiveBuffer() const { return replies_.buffer(); }

    // "Programma" before its checks: polls stop, a read still awaited is no longer what
    // the operator waits for, and `RxBuffer` is emptied.
    void holdForProgramming();
    // The programming frame in one write; from then on Timer4 resumes polling. False,
    // and Timer4 as it was, when the frame did not go out.
    bool sendProgramming(const Frame& frame);
    // "Leggi": polls stop and the read request goes out; its reply is due within
    // kReadDeadlineMs. False when the request did not go out.
    bool sendReadRequest();

    // An awaited exchange: polls stop, whatever waits in the input belongs to nobody and
    // is dropped, the frame goes out, and exchangeEnded() tells how it ended, an
    // acknowledgement or image that comes after `timeout` being no answer. Polls stay off
    // afterwards until resumePolling(). Gives whether the port was open, that is whether
    // the unit may have taken the frame.
    bool programAndAwait(const Frame& frame, std::chrono::milliseconds timeout);
    bool readAndAwait(std::chrono::milliseconds timeout);
    // Ends the exchange under way without an outcome; polls stay off.
    void abandonExchange();
    bool awaiting() const { return awaited_.has_value(); }

signals:
    void linkStatusChanged(bool connected);
    void acknowledged();
    void imageReceived(const velmora::Image& image);
    // A read got no whole reply in time; polling has resumed.
    void readUnanswered();
    // The awaited exchange is over; `image` is what came back when one did.
    void exchangeEnded(velmora::ExchangeOutcome outcome, const velmora::Image& image);
    // The recovery path ran: a partial reply was dropped and polling restarted.
    void recovered();
    void portLost(const QString& reason);
    void portBack();

private:
    bool startAwaited(ChunkKind expected, const Frame& frame, std::chrono::milliseconds timeout);
    void endExchange(ExchangeOutcome outcome, const Image& image = {});
    // Drops every byte waiting in the port's input queue, in the driver and in the
    // serial layer, and empties `RxBuffer`.
    void discardWaitingInput();
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
    Result<void, OpenFailure> openPort();
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
    QTimer exchangeDeadline_;
    // The answer an awaited exchange is due: ChunkKind::Acknowledgement or ChunkKind::Image.
    std::optional<ChunkKind> awaited_;
    bool opening_ = false;
    QElapsedTimer errorBurstClock_;
    int errorsInBurst_ = 0;
};

} // namespace velmora
