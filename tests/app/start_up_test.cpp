#include "dialogs_and_rig.h"
#include "tests/link/line_peer.h"

#include <QDir>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using velmora::Background;
using Answers = std::vector<std::optional<QString>>;

namespace {

// Only the expected port leads to the unit.
void mapOnlyPort(int port, const QString& device) {
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = "VELMORA_COM" + QByteArray::number(n);
        qputenv(name.constData(),
                n == port ? device.toUtf8() : "/nonexistent/com" + QByteArray::number(n));
    }
}

} // namespace

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void promptRepeatsUntilAPortFromOneToEight_data() {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<int>("port");
        QTest::newRow("refusals, then 1")
            << Answers{"0", "9", "", "abc", std::nullopt, "8.6", "0.9", "1"} << 1;
        QTest::newRow("8.4") << Answers{"8.4"} << 8;
        QTest::newRow("2.5 to even") << Answers{"2.5"} << 2;
    }
    void promptRepeatsUntilAPortFromOneToEight() {
        QFETCH(Answers, answers);
        QFETCH(int, port);
        Rig rig;
        mapOnlyPort(port, rig.unit.link());
        rig.dialogs.portAnswers.assign(answers.begin(), answers.end());
        try {
            rig.controller.startUp();
        } catch (const ScriptExhausted&) {
            QFAIL(qPrintable("asked again after: " + rig.dialogs.events.join(", ")));
        }
        QCOMPARE(rig.link.device(), rig.unit.link());
        // Each refused answer beeps and asks again.
        const QStringList prompts(static_cast<qsizetype>(answers.size()), "prompt");
        QCOMPARE(rig.dialogs.events.join(' '), prompts.join(" beep "));
    }

    void startUpEndsPollingOnVhfWithNotone() {
        Rig rig;
        rig.model.setComboRow(3);
        QVERIFY(rig.startOnPort1());
        QVERIFY(rig.model.value("Option1"_control) && !rig.model.value("Option2"_control));
        QCOMPARE(rig.model.comboRow(), 0);
        QVERIFY(rig.timer("Timer1")->isActive() && !rig.timer("Timer4")->isActive());
        QCOMPARE(rig.model.text("Label20"_control), "Sconnesso");
        QVERIFY(rig.shows("Label20"_control, "Connesso"));
        QCOMPARE(rig.model.background("Label20"_control), Background::Green);
        // The recovery path of a line error also ends an image loading.
        rig.model.setImageLoading(true);
        emit rig.link.findChild<QSerialPort*>("MSComm1")->errorOccurred(QSerialPort::ReadError);
        QVERIFY(!rig.model.imageLoading());
    }

    void portThatWillNotOpenIsNamedAndAskedAgain() {
        Rig rig;
        mapOnlyPort(1, rig.unit.link());
        // Port 3 is left to the map, which is broken: a folder under its name.
        qunsetenv("VELMORA_COM3");
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath("velmora/velmora.conf"));
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        rig.dialogs.portAnswers = {"3", "2", "1"};
        rig.controller.startUp();
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(rig.dialogs.events.size(), 5);
        QCOMPARE(rig.dialogs.events[1],
                 "notice Selezione seriale: Impossibile aprire la porta 3: il file delle porte \"" +
                     config.path() +
                     "/velmora/velmora.conf\" è una cartella, non un file. "
                     "Correggere o rimuovere quel file (velmora-cli ports mostra "
                     "la mappa), oppure indicare il dispositivo con VELMORA_COM3.");
        QCOMPARE(rig.link.device(), rig.unit.link());
        rig.dialogs.events.remove(0, 2);
        QVERIFY(rig.dialogs.events[1].startsWith("notice Selezione seriale: "));
        QVERIFY(rig.dialogs.events[1].contains("/nonexistent/com2: il dispositivo non esiste"));
        // The fix that exists is named: the ports there are and how to map one.
        QVERIFY(rig.dialogs.events[1].contains("velmora-cli ports map 2 "));
        QVERIFY(!rig.dialogs.events[1].contains("VELMORA_COM"));
        QVERIFY(!rig.dialogs.lastDetail.isEmpty());
        QCOMPARE(rig.dialogs.events[2], "prompt");
    }

    // Replies this program did not ask for since the port opened change nothing in the
    // window (what waits before the port opens is the link's to discard): at start-up,
    // and once the port is lost and opened again, the late acknowledgement of a frame
    // sent before the loss.
    void staleRepliesAreNobodys() {
        LinePeer line;
        QVERIFY(line.open());
        mapOnlyPort(1, line.device());
        velmora::FormModel model;
        velmora::SerialLink link;
        ScriptedDialogs dialogs;
        velmora::Controller controller{model, link, dialogs};
        dialogs.portAnswers = {"1"};
        QSignalSpy acknowledged(&link, &velmora::SerialLink::acknowledged);
        QSignalSpy images(&link, &velmora::SerialLink::imageReceived);
        controller.startUp();
        QCOMPARE(line.await(1), Bytes{0x55}); // the first poll: the line has been read
        const QStringList before = windowState(model);
        line.write(Bytes(96, 0x55));
        QVERIFY(acknowledged.wait(500));
        velmora::ParameterSet other;
        other.peripheralNumber = "4321";
        const velmora::Image image = *velmora::encodeImage(other);
        line.write(Bytes(image.begin(), image.end()));
        QVERIFY(images.wait(500));
        QCOMPARE(acknowledged.size(), 1);
        QCOMPARE(model.text("Label19"_control), "");
        QCOMPARE(windowState(model), before);

        controller.program();
        QSignalSpy back(&link, &velmora::SerialLink::portBack);
        emit link.findChild<QSerialPort*>("MSComm1")->errorOccurred(QSerialPort::ResourceError);
        QVERIFY(back.wait(1000));
        line.write(Bytes(96, 0x55));
        QVERIFY(acknowledged.wait(500));
        QCOMPARE(model.text("Label19"_control), "");
    }
};

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
