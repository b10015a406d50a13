#include "line_peer.h"
#include "link/open_failure.h"
#include "link/port_mapping.h"
#include "link/serial_link.h"
#include "unit_sim/pseudo_terminal.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

using velmora::Image;
using velmora::SerialLink;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes repeated(std::size_t count, std::uint8_t value) {
    return Bytes(count, value);
}

Bytes slice(const Bytes& bytes, std::size_t from, std::size_t count) {
    return Bytes(bytes.begin() + static_cast<long>(from),
                 bytes.begin() + static_cast<long>(from + count));
}

// An image that holds the bytes a careless line would eat or translate.
Bytes awkwardImage() {
    Bytes image{0x00, 0x11, 0x13, 0x0A, 0x0D, 0xFF, 0x7F, 0x03, 0x1C, 0x55, 0x56, 0xAA};
    while (image.size() < 96) {
        image.push_back(static_cast<std::uint8_t>(image.size() * 37));
    }
    return image;
}

QTimer* timer(SerialLink& link, const char* name) {
    return link.findChild<QTimer*>(name);
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

class SerialLinkTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        peer_ = std::make_unique<LinePeer>();
        QVERIFY(peer_->open());
        link_ = std::make_unique<SerialLink>();
        const auto failure = link_->open(peer_->device());
        QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    }
    void cleanup() {
        link_.reset();
        peer_.reset();
    }

    void timersAreTheProtocolOnes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("singleShot");
        QTest::newRow("poll") << "Timer1" << 200 << false;
        QTest::newRow("watchdog") << "Timer2" << 150 << true;
        QTest::newRow("receive gap") << "Timer3" << 50 << true;
        QTest::newRow("poll resume") << "Timer4" << 500 << false;
    }
    void timersAreTheProtocolOnes() {
        QFETCH(QString, name);
        QFETCH(int, interval);
        QFETCH(bool, singleShot);
        QTimer* t = link_->findChild<QTimer*>(name);
        QVERIFY(t);
        QCOMPARE(t->interval(), interval);
        QCOMPARE(t->timerType(), Qt::PreciseTimer);
        QCOMPARE(t->isSingleShot(), singleShot);
        QVERIFY(!t->isActive());
    }

    void pollsEvery200msAndJudgesEachAnswer() {
        QSignalSpy status(link_.get(), &SerialLink::linkStatusChanged);
        QElapsedTimer clock;
        clock.start();
        link_->resumePolling();
        QCOMPARE(peer_->await(1), Bytes{0x55});
        const qint64 firstPoll = clock.elapsed();
        QVERIFY2(firstPoll >= 190 && firstPoll <= 260, qPrintable(QString::number(firstPoll)));
        peer_->write({0x56});
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 1, 100);
        QCOMPARE(status.takeFirst().at(0).toBool(), true);
        QVERIFY(!timer(*link_, "Timer2")->isActive());
        QVERIFY(timer(*link_, "Timer1")->isActive());

        QCOMPARE(peer_->await(1), Bytes{0x55}); // left unanswered
        const qint64 secondPoll = clock.elapsed();
        QVERIFY2(secondPoll - firstPoll >= 190 && secondPoll - firstPoll <= 230,
                 qPrintable(QString::number(secondPoll - firstPoll)));
        QVERIFY(status.wait(400));
        const qint64 judged = clock.elapsed() - secondPoll;
        QCOMPARE(status.takeFirst().at(0).toBool(), false);
        QVERIFY2(judged >= 135 && judged <= 190, qPrintable(QString::number(judged)));
    }

    void lateConnectReplyShowsRedThenGreen() {
        QSignalSpy status(link_.get(), &SerialLink::linkStatusChanged);
        link_->resumePolling();
        QCOMPARE(peer_->await(1), Bytes{0x55});
        QVERIFY(status.wait(300));
        peer_->write({0x56});
        QTRY_COMPARE_WITH_TIMEOUT(status.count(), 2, 100);
        QCOMPARE(status.at(0).at(0).toBool(), false);
        QCOMPARE(status.at(1).at(0).toBool(), true);
    }

    void everyByteValuePassesBothWays() {
        Bytes all(256);
        for (int value = 0; value < 256; ++value) {
            all[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(value);
        }
        link_->send(all);
        QCOMPARE(peer_->await(256), all);

        QSignalSpy images(link_.get(), &SerialLink::imageReceived);
        peer_->write(awkwardImage());
        QVERIFY(images.wait(500));
        const auto image = images.at(0).at(0).value<Image>();
        QCOMPARE(Bytes(image.begin(), image.end()), awkwardImage());
    }

    void chunkedImageIsTakenOnceWhenComplete() {
        QSignalSpy images(link_.get(), &SerialLink::imageReceived);
        const Bytes image = awkwardImage();
        peer_->write(slice(image, 0, 30));
        QTest::qWait(20);
        peer_->write(slice(image, 30, 30));
        QTest::qWait(20);
        QCOMPARE(images.count(), 0);
        QCOMPARE(link_->receiveBuffer().size(), 60u);
        QVERIFY(!timer(*link_, "Timer1")->isActive());
        peer_->write(slice(image, 60, 36));
        QTRY_COMPARE_WITH_TIMEOUT(images.count(), 1, 200);
        QTest::qWait(80);
        QCOMPARE(images.count(), 1);
        QVERIFY(link_->receiveBuffer().empty());
        QVERIFY(timer(*link_, "Timer1")->isActive());
        QVERIFY(!timer(*link_, "Timer3")->isActive());
    }

    void replyWithALongPauseIsDropped() {
        QSignalSpy images(link_.get(), &SerialLink::imageReceived);
        const Bytes image = awkwardImage();
        peer_->write(slice(image, 0, 40));
        QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 40u, 30);
        QTRY_VERIFY_WITH_TIMEOUT(link_->receiveBuffer().empty(), 70);
        QTest::qWait(10);
        peer_->write(slice(image, 40, 56));
        QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 56u, 30);
        QTRY_VERIFY_WITH_TIMEOUT(link_->receiveBuffer().empty(), 70);
        QCOMPARE(images.count(), 0);
        QVERIFY(!timer(*link_, "Timer1")->isActive()); // polling stays paused
    }

    void completeReplies_data() {
        QTest::addColumn<Bytes>("reply");
        QTest::addColumn<int>("acknowledgements");
        QTest::addColumn<int>("images");
        QTest::newRow("96 U acknowledge") << repeated(96, 0x55) << 1 << 0;
        QTest::newRow("97 U are an image") << repeated(97, 0x55) << 0 << 1;
        QTest::newRow("96 V are an image") << repeated(96, 0x56) << 0 << 1;
        QTest::newRow("95 U wait") << repeated(95, 0x55) << 0 << 0;
    }
    void completeReplies() {
        QFETCH(Bytes, reply);
        QFETCH(int, acknowledgements);
        QFETCH(int, images);
        QSignalSpy acknowledged(link_.get(), &SerialLink::acknowledged);
        QSignalSpy received(link_.get(), &SerialLink::imageReceived);
        peer_->write(reply);
        QTest::qWait(30);
        QCOMPARE(acknowledged.count(), acknowledgements);
        QCOMPARE(received.count(), images);
        QCOMPARE(timer(*link_, "Timer1")->isActive(), acknowledgements + images > 0);
        QCOMPARE(link_->receiveBuffer().empty(), acknowledgements + images > 0);
    }

    void connectReplyOnlyAloneIntoAnEmptyBuffer() {
        QSignalSpy status(link_.get(), &SerialLink::linkStatusChanged);
        link_->resumePolling();
        QCOMPARE(peer_->await(1), Bytes{0x55});
        peer_->write({0x56, 0x56});
        QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 2u, 50);
        QVERIFY(!timer(*link_, "Timer1")->isActive());
        QVERIFY(!timer(*link_, "Timer2")->isActive());
        QTest::qWait(10);
        peer_->write({0x56});
        QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 3u, 50);
        QTRY_VERIFY_WITH_TIMEOUT(link_->receiveBuffer().empty(), 80);
        QCOMPARE(status.count(), 0);
    }

    void lineErrorsTakeTheRecoveryPath_data() {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::newRow("read") << QSerialPort::ReadError;
        QTest::newRow("write") << QSerialPort::WriteError;
        QTest::newRow("unsupported") << QSerialPort::UnsupportedOperationError;
        QTest::newRow("unknown") << QSerialPort::UnknownError;
    }
    void lineErrorsTakeTheRecoveryPath() {
        QFETCH(QSerialPort::SerialPortError, error);
        QSignalSpy recovered(link_.get(), &SerialLink::recovered);
        peer_->write(repeated(10, 0x41));
        QTRY_COMPARE_WITH_TIMEOUT(link_->receiveBuffer().size(), 10u, 50);
        QVERIFY(!timer(*link_, "Timer1")->isActive());
        auto* port = link_->findChild<QSerialPort*>("MSComm1");
        QVERIFY(port);
        emit port->errorOccurred(error);
        QCOMPARE(recovered.count(), 1);
        QVERIFY(link_->receiveBuffer().empty());
        QVERIFY(timer(*link_, "Timer1")->isActive());
        QVERIFY(link_->isOpen());
    }

    void vanishedDeviceIsLookedForUntilItIsBack() {
        QTemporaryDir folder;
        const QString device = folder.filePath("com1");
        std::string error;
        QVERIFY(
            velmora::sim::pointLink(device.toStdString(), peer_->device().toStdString(), error));
        link_ = std::make_unique<SerialLink>();
        QVERIFY(!link_->open(device));
        QSignalSpy lost(link_.get(), &SerialLink::portLost);
        QSignalSpy back(link_.get(), &SerialLink::portBack);
        QSignalSpy status(link_.get(), &SerialLink::linkStatusChanged);
        link_->resumePolling();
        QCOMPARE(peer_->await(1), Bytes{0x55});

        peer_->hangUp();
        QVERIFY(lost.wait(500));
        QVERIFY(!link_->isOpen());
        QVERIFY(!status.isEmpty());
        QCOMPARE(status.last().at(0).toBool(), false);
        const double cpuBefore = cpuSeconds();
        QTest::qWait(1200); // a retry or two against a device that is not there
        QVERIFY2(cpuSeconds() - cpuBefore < 0.15, "the lost port must not spin");
        QCOMPARE(lost.count(), 1);
        QCOMPARE(back.count(), 0);

        LinePeer returned;
        QVERIFY(returned.open());
        QVERIFY(
            velmora::sim::pointLink(device.toStdString(), returned.device().toStdString(), error));
        QVERIFY(back.wait(1500));
        QVERIFY(link_->isOpen());
        QCOMPARE(returned.await(1, 400), Bytes{0x55});
        returned.write({0x56});
        QTRY_COMPARE_WITH_TIMEOUT(status.last().at(0).toBool(), true, 100);
    }

    void sendingOnAClosedPortDoesNothing() {
        SerialLink closed;
        closed.send(repeated(3, 0x55));
        closed.resumePolling();
        QVERIFY(!timer(closed, "Timer1")->isActive());
    }

    void portNumbersMapToDevices_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QString>("device");
        QTest::newRow("chosen") << 3 << QByteArray("/dev/ttyUSB0") << "/dev/ttyUSB0";
        QTest::newRow("first") << 1 << QByteArray() << "/dev/ttyS0";
        QTest::newRow("last") << 8 << QByteArray() << "/dev/ttyS7";
    }
    void portNumbersMapToDevices() {
        QFETCH(int, port);
        QFETCH(QByteArray, environment);
        QFETCH(QString, device);
        const QByteArray variable = "VELMORA_COM" + QByteArray::number(port);
        if (environment.isEmpty()) {
            qunsetenv(variable.constData());
        } else {
            qputenv(variable.constData(), environment);
        }
        QCOMPARE(velmora::deviceForPort(port), device);
        qunsetenv(variable.constData());
    }

    void openFailureNamesTheDeviceAndTheReason() {
        SerialLink link;
        const auto missing = link.open(QStringLiteral("/nonexistent/ttyVELMORA"));
        QVERIFY(missing);
        QVERIFY(missing->contains(QStringLiteral("/nonexistent/ttyVELMORA")));
        QVERIFY(!link.isOpen());

        QTemporaryDir folder;
        const QString device = folder.filePath("ttyUSB9");
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const group* owner = getgrnam("dialout");
        const gid_t gid = owner ? owner->gr_gid : getgid();
        QVERIFY(chown(QFile::encodeName(device).constData(), static_cast<uid_t>(-1), gid) == 0);
        const QString groupName = owner ? QStringLiteral("dialout") : velmora::owningGroup(device);
        QCOMPARE(velmora::owningGroup(device), groupName);
        const QString text = velmora::describeOpenFailure(device, QSerialPort::PermissionError,
                                                          QStringLiteral("Permission denied"));
        QVERIFY(text.contains(device));
        QVERIFY(text.contains(QStringLiteral("Permission denied")));
        QVERIFY(text.contains(QStringLiteral("\"%1\"").arg(groupName)));
    }

private:
    std::unique_ptr<LinePeer> peer_;
    std::unique_ptr<SerialLink> link_;
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "serial_link_test.moc"
