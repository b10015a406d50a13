#include "line_peer.h"
#include "link/open_failure.h"
#include "link/serial_link.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/ioctl.h>
#include <unistd.h>

using velmora::Image;
using velmora::SerialLink;
using Bytes = std::vector<std::uint8_t>;

namespace {

// The bytes a careless line would eat or translate, then filler.
Bytes awkwardImage() {
    Bytes image{0x00, 0x11, 0x13, 0x0A, 0x0D, 0xFF, 0x7F, 0x03, 0x1C, 0x55, 0x56, 0xAA};
    while (image.size() < 96) {
        image.push_back(static_cast<std::uint8_t>(image.size() * 37));
    }
    return image;
}

struct Chunk {
    int count;
    std::uint8_t value;
    int pauseAfterMs;
};
using Chunks = std::vector<Chunk>;

} // namespace

Q_DECLARE_METATYPE(Chunks)

class SerialLinkTest : public QObject {
    Q_OBJECT

    QTimer* timer(const char* name) { return link_->findChild<QTimer*>(name); }

private slots:
    void init() {
        peer_ = std::make_unique<LinePeer>();
        QVERIFY(peer_->open());
        link_ = std::make_unique<SerialLink>();
        QVERIFY(link_->open(peer_->device()));
    }

    void timersAreTheProtocolOnes() {
        const std::tuple<const char*, int, bool> expected[] = {
            {"Timer1", 200, false}, {"Timer2", 150, true},        {"Timer3", 50, true},
            {"Timer4", 500, false}, {"ReadDeadline", 1000, true}, {"SilenceTimer", 1300, true}};
        for (const auto& [name, interval, singleShot] : expected) {
            QCOMPARE(timer(name)->interval(), interval);
            QCOMPARE(timer(name)->timerType(), Qt::PreciseTimer);
            QCOMPARE(timer(name)->isSingleShot(), singleShot);
            QVERIFY(!timer(name)->isActive());
        }
    }

    // A poll every 200 ms, each judged alone: answered, unanswered, answered late; then
    // the silence after the last answer.
    void pollsAreJudgedOneByOne() {
        QSignalSpy status(link_.get(), &SerialLink::linkStatusChanged);
        QElapsedTimer clock;
        clock.start();
        link_->resumePolling();
        QCOMPARE(peer_->await(1), Bytes{0x55});
        const qint64 first = clock.elapsed();
        QVERIFY2(first >= 190 && first <= 300, qPrintable(QString::number(first)));
        peer_->write({0x56});
        QVERIFY(status.wait(100));
        QVERIFY(!timer("Timer2")->isActive());

        QCOMPARE(peer_->await(1), Bytes{0x55});
        const qint64 second = clock.elapsed();
        QVERIFY2(second - first >= 185 && second - first <= 260,
                 qPrintable(QString::number(second - first)));
        QVERIFY(status.wait(400));
        const qint64 judged = clock.elapsed() - second;
        QVERIFY2(judged >= 135 && judged <= 220, qPrintable(QString::number(judged)));
        peer_->write({0x56}); // 10 ms after the watchdog: green again
        QVERIFY(status.wait(100));

        // Polls held up by commands must not keep an old answer on show: 1.3 s after the
        // unit's last answer the link is reported down, polls or not.
        clock.restart();
        link_->stopPolling();
        QVERIFY(status.wait(1600));
        QVERIFY2(clock.elapsed() >= 1280 && clock.elapsed() <= 1380,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(status, (QList<QList<QVariant>>{{true}, {false}, {true}, {false}}));
    }

    void everyByteValueGoesOutUnchanged() {
        Bytes all(256);
        std::iota(all.begin(), all.end(), std::uint8_t{0});
        link_->send(all);
        QCOMPARE(peer_->await(256), all); // and comes in so: the read deadline's late image
    }

    void repliesAreCollectedUntilComplete_data() {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<int>("acknowledgements");
        QTest::addColumn<int>("images");
        QTest::newRow("30, 30, 36 with short gaps")
            << Chunks{{30, 1, 10}, {30, 2, 10}, {36, 3, 60}} << 0 << 1;
        QTest::newRow("40, a 120 ms pause, 56") << Chunks{{40, 1, 120}, {56, 2, 60}} << 0 << 0;
        QTest::newRow("96 U") << Chunks{{96, 0x55, 60}} << 1 << 0;
    }
    void repliesAreCollectedUntilComplete() {
        QFETCH(Chunks, chunks);
        QFETCH(int, acknowledgements);
        QFETCH(int, images);
        QSignalSpy acknowledged(link_.get(), &SerialLink::acknowledged);
        QSignalSpy received(link_.get(), &SerialLink::imageReceived);
        QSignalSpy status(link_.get(), &SerialLink::linkStatusChanged);
        link_->resumePolling();
        QCOMPARE(peer_->await(1), Bytes{0x55});
        for (const Chunk& chunk : chunks) {
            peer_->write(Bytes(static_cast<std::size_t>(chunk.count), chunk.value));
            QTest::qWait(5);
            QVERIFY(!timer("Timer2")->isActive());
            QTest::qWait(chunk.pauseAfterMs - 5);
        }
        QCOMPARE(acknowledged.size(), acknowledgements);
        QCOMPARE(received.size(), images);
        QVERIFY(status.isEmpty());
        QVERIFY(link_->receiveBuffer().empty());
        // Complete or dropped, the reply is over and the polls watch the unit again.
        QVERIFY(timer("Timer1")->isActive());
    }

    // A read has a second for its reply. Then it is reported unanswered and a poll goes
    // out at once; a reply that comes later is still taken (one in time ends the wait: the
    // window's read test).
    void readDeadline() {
        QSignalSpy unanswered(link_.get(), &SerialLink::readUnanswered);
        QSignalSpy images(link_.get(), &SerialLink::imageReceived);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(link_->sendReadRequest());
        const velmora::Frame request = velmora::readRequest();
        QCOMPARE(peer_->await(98), Bytes(request.begin(), request.end()));
        QVERIFY(unanswered.wait(1500));
        const qint64 overdue = clock.elapsed();
        QVERIFY2(overdue >= 995 && overdue <= 1080, qPrintable(QString::number(overdue)));
        QCOMPARE(peer_->await(1, 50), Bytes{0x55});
        QVERIFY(timer("Timer1")->isActive() && timer("Timer2")->isActive());
        peer_->write(awkwardImage());
        QVERIFY(images.wait(500));
        const auto image = images[0][0].value<Image>();
        QCOMPARE(Bytes(image.begin(), image.end()), awkwardImage());

        // "Programma" while a read waits ends that wait: the read is never reported
        // unanswered after it, and polls come back by the programming's rule alone (Timer4,
        // then the first poll 200 ms later).
        QVERIFY(link_->sendReadRequest());
        QTest::qWait(600);
        link_->holdForProgramming();
        QVERIFY(link_->sendProgramming(velmora::programmingFrame(Image{})));
        clock.restart();
        peer_->await(1000, 50); // the polls, the request and the frame
        QCOMPARE(peer_->await(1, 900), Bytes{0x55});
        QVERIFY2(clock.elapsed() >= 690, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(unanswered.size(), 1);
    }

    // Bytes of a reply that broke off less than 50 ms ago, or that wait unread, when a
    // frame goes out are no part of its answer: "Programma" empties `RxBuffer`, and an
    // awaited exchange also drops what waits in the input.
    void leftoversNeverJoinTheAnswer_data() {
        QTest::addColumn<bool>("awaited");
        QTest::newRow("Programma") << false;
        QTest::newRow("awaited exchange") << true;
    }
    void leftoversNeverJoinTheAnswer() {
        QFETCH(bool, awaited);
        QSignalSpy acknowledged(link_.get(), &SerialLink::acknowledged);
        peer_->write(Bytes(40, 0x41));
        QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 40u, 30);
        const velmora::Frame frame = velmora::programmingFrame(Image{});
        if (awaited) {
            peer_->write(Bytes(30, 0x42)); // on the line, not yet read
            const int fd = static_cast<int>(link_->findChild<QSerialPort*>("MSComm1")->handle());
            for (int waiting = 0, ms = 0; waiting < 30 && ms < 1000; ++ms, ::usleep(1000))
                ::ioctl(fd, FIONREAD, &waiting);
            QVERIFY(link_->programAndAwait(frame, std::chrono::milliseconds(500)));
        } else {
            link_->holdForProgramming();
            QVERIFY(link_->sendProgramming(frame));
        }
        QCOMPARE(peer_->await(98), Bytes(frame.begin(), frame.end()));
        peer_->write(Bytes(96, 0x55));
        QVERIFY(acknowledged.wait(100));
    }

    void lineErrorsTakeTheRecoveryPath() {
        QSignalSpy recovered(link_.get(), &SerialLink::recovered);
        auto* port = link_->findChild<QSerialPort*>("MSComm1");
        for (const auto error :
             {QSerialPort::ReadError, QSerialPort::WriteError,
              QSerialPort::UnsupportedOperationError, QSerialPort::UnknownError}) {
            link_->stopPolling();
            peer_->write(Bytes(10, 0x41));
            QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 10u, 40);
            emit port->errorOccurred(error);
            QVERIFY(link_->receiveBuffer().empty());
            QVERIFY(timer("Timer1")->isActive());
            QVERIFY(link_->isOpen());
        }
        QCOMPARE(recovered.size(), 4);
    }

    // A line that keeps failing without a pause is treated as gone, not recovered
    // again and again.
    void anEndlessStreamOfErrorsLosesThePort() {
        QSignalSpy recovered(link_.get(), &SerialLink::recovered);
        QSignalSpy lost(link_.get(), &SerialLink::portLost);
        auto* port = link_->findChild<QSerialPort*>("MSComm1");
        for (int i = 0; i < 1000 && port->isOpen(); ++i) {
            emit port->errorOccurred(QSerialPort::ReadError);
        }
        QCOMPARE(lost.size(), 1);
        QVERIFY(!link_->isOpen());
        QCOMPARE(recovered.size(), SerialLink::kErrorBurstLimit);
        QTRY_VERIFY_WITH_TIMEOUT(link_->isOpen(), 2000);
    }

    // A hung-up line is looked for again every half second, so polling is back within a
    // second of the unit's return wherever in the retry cycle the return falls. Bytes
    // queued before the port opens were sent to some earlier program: 96 "U" left from a
    // timed-out programming are no acknowledgement for this one.
    void pollingResumesWithinASecondOfTheLinesReturn() {
        QTemporaryDir folder;
        const std::string path = folder.filePath("com1").toStdString();
        velmora::sim::PseudoTerminal line;
        QVERIFY(line.open() && velmora::sim::pointLink(path, line.slavePath()));
        SerialLink serial;
        QVERIFY(serial.open(QString::fromStdString(path)));
        serial.resumePolling();
        QSignalSpy lost(&serial, &SerialLink::portLost);
        QSignalSpy acknowledged(&serial, &SerialLink::acknowledged);
        for (const int downMs : {120, 370, 620, 870}) {
            // As a unit that hangs up does: while the line is down the link leads nowhere,
            // or its freed number could lead to another program's line meanwhile.
            QFile::remove(QString::fromStdString(path));
            line.close();
            QTRY_COMPARE_WITH_TIMEOUT(lost.size(), 1, 1000);
            lost.clear();
            QTest::qWait(downMs);
            QVERIFY(line.open() && velmora::sim::pointLink(path, line.slavePath()));
            const Bytes stale(96, 0x55); // waiting before the port opens again
            QCOMPARE(::write(line.masterFd(), stale.data(), stale.size()), 96);
            QElapsedTimer back;
            back.start();
            std::uint8_t byte = 0;
            while (::read(line.masterFd(), &byte, 1) != 1 && back.elapsed() < 2000) {
                QTest::qWait(1);
            }
            QCOMPARE(byte, std::uint8_t{0x55});
            QVERIFY2(back.elapsed() < 1000, qPrintable(QString::number(back.elapsed())));
        }
        QVERIFY(acknowledged.isEmpty());
    }

    // Each reason an open fails gets its own sentence, told from the device file; the
    // system's text goes to the details.
    void openFailuresTellTheTruth() {
        using velmora::OpenProblem;
        QTemporaryDir folder;
        const QString plain = folder.filePath("unit.prg");
        QFile(plain).open(QIODevice::WriteOnly);
        QDir(folder.path()).mkdir("folder");
        // A free line whose lock file, in the form other serial programs write, names a
        // running process.
        LinePeer lockedPeer;
        QVERIFY(lockedPeer.open());
        // Kept in a private lock folder: a lock left behind by a failed run harms no later
        // test that gets the same pseudo-terminal number.
        QTemporaryDir locks;
        qputenv("VELMORA_LOCK_FOLDER", locks.path().toUtf8());
        const QString lockFile =
            locks.filePath("LCK.." + lockedPeer.device().mid(5).replace('/', '_'));
        QFile lock(lockFile);
        QVERIFY(lock.open(QIODevice::WriteOnly) && lock.write("         1\n") == 11);
        lock.close();
        const std::tuple<QString, OpenProblem, QString> cases[] = {
            {folder.filePath("ttyUSB9"), OpenProblem::Missing, "il dispositivo non esiste"},
            {plain, OpenProblem::NotSerial, "non è una porta seriale"},
            {folder.filePath("folder"), OpenProblem::NotSerial, "non è una porta seriale"},
            {"/dev/null", OpenProblem::NotSerial, "non è una porta seriale"},
            {peer_->device(), OpenProblem::InUse, "porta già in uso"},
            {lockedPeer.device(), OpenProblem::InUse, "PID 1, file di blocco " + lockFile + ")"},
        };
        for (const auto& [device, problem, says] : cases) {
            SerialLink second;
            const auto opened = second.open(device);
            QVERIFY2(!opened, qPrintable(device));
            const velmora::OpenFailure* failure = &opened.error();
            QVERIFY2(failure->problem == problem && failure->sentence.contains(says) &&
                         failure->sentence.contains(device) && !failure->detail.isEmpty(),
                     qPrintable(failure->sentence));
        }
        QVERIFY(QFile::exists(lockFile));
    }

private:
    std::unique_ptr<LinePeer> peer_;
    std::unique_ptr<SerialLink> link_;
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "serial_link_test.moc"
