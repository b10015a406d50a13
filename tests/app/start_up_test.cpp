#include "simulated_unit.h"

#include <QSignalSpy>
#include <QTest>

using velmora::Background;

namespace {

using Answers = std::vector<std::optional<QString>>;

// Only the expected port leads to the unit; any other opens nothing.
void mapOnlyPort(int port, const QString& device) {
    for (int n = 1; n <= 8; ++n) {
        const QByteArray name = "VELMORA_COM" + QByteArray::number(n);
        qputenv(name.constData(),
                n == port ? device.toUtf8() : "/nonexistent/velmora-com" + QByteArray::number(n));
    }
}

} // namespace

Q_DECLARE_METATYPE(Answers)

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void promptRepeatsUntilAPortFromOneToEight_data() {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<int>("port");
        QTest::newRow("refusals, then 1")
            << Answers{"0", "9", "", "abc", std::nullopt, "8.6", "0.9", "-1", "1"} << 1;
        QTest::newRow("8") << Answers{"8"} << 8;
        QTest::newRow("8.4 rounds down") << Answers{"8.4"} << 8;
        QTest::newRow("1.5 rounds to even") << Answers{"1.5"} << 2;
        QTest::newRow("2.5 rounds to even") << Answers{"2.5"} << 2;
        QTest::newRow("7.5 rounds to even") << Answers{"7.5"} << 8;
        QTest::newRow("blank first") << Answers{" 3"} << 3;
        QTest::newRow("letters after") << Answers{"3abc"} << 3;
        QTest::newRow("comma ends the number") << Answers{"4,9"} << 4;
    }
    void promptRepeatsUntilAPortFromOneToEight() {
        QFETCH(Answers, answers);
        QFETCH(int, port);
        Rig rig;
        QVERIFY(rig.unit.running());
        mapOnlyPort(port, rig.unit.link());
        rig.dialogs.portAnswers.assign(answers.begin(), answers.end());
        try {
            rig.controller.startUp();
        } catch (const ScriptExhausted&) {
            QFAIL(qPrintable("asked again after: " + rig.dialogs.events.join(", ")));
        }
        QVERIFY(rig.link.isOpen());
        QCOMPARE(rig.link.device(), rig.unit.link());
        QCOMPARE(rig.dialogs.count("prompt"), static_cast<int>(answers.size()));
        QCOMPARE(rig.dialogs.count("beep"), static_cast<int>(answers.size()) - 1);
        QVERIFY(rig.dialogs.notices.empty());
        // Each refusal beeps before the prompt comes back.
        for (qsizetype i = 1; i < rig.dialogs.events.size(); i += 2) {
            QCOMPARE(rig.dialogs.events[i], QStringLiteral("beep"));
        }
    }

    void startUpLeavesTheWindowPollingOnVhfWithNotone() {
        Rig rig;
        rig.model.setComboRow(3);
        QVERIFY(rig.startOnPort1());
        QCOMPARE(rig.model.text("txttx"), std::string("160.0000"));
        QCOMPARE(rig.model.text("txtrx"), std::string("160.0000"));
        QVERIFY(rig.model.value("Option1"));
        QVERIFY(!rig.model.value("Option2"));
        QCOMPARE(rig.model.comboRow(), 0);
        QVERIFY(rig.link.receiveBuffer().empty());
        QVERIFY(rig.timer("Timer1")->isActive());
        QVERIFY(!rig.timer("Timer4")->isActive());
        QCOMPARE(rig.model.text("Label20"), std::string("Sconnesso"));
        QVERIFY(!rig.model.enabled("Command5"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label20"), std::string("Connesso"), 600);
        QCOMPARE(rig.model.background("Label20"), Background::Green);
    }

    void portThatWillNotOpenIsNamedAndAskedAgain() {
        Rig rig;
        qputenv("VELMORA_COM2", "/nonexistent/ttyVELMORA");
        qputenv("VELMORA_COM1", rig.unit.link().toUtf8());
        rig.dialogs.portAnswers = {QStringLiteral("2"), QStringLiteral("1")};
        rig.controller.startUp();
        QVERIFY(rig.link.isOpen());
        QCOMPARE(rig.dialogs.events.size(), 3);
        QCOMPARE(rig.dialogs.events[0], QStringLiteral("prompt"));
        QVERIFY(rig.dialogs.events[1].startsWith(QStringLiteral("notice Selezione seriale: ")));
        QVERIFY(rig.dialogs.events[1].contains(QStringLiteral("/nonexistent/ttyVELMORA")));
        QCOMPARE(rig.dialogs.events[2], QStringLiteral("prompt"));
    }

    void linkStatusFollowsTheUnit() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label20"), std::string("Connesso"), 600);
        QVERIFY(rig.unit.control(QStringLiteral("silent on")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label20"), std::string("Sconnesso"), 400);
        QCOMPARE(rig.model.background("Label20"), Background::Red);
        QVERIFY(rig.unit.control(QStringLiteral("silent off")));
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label20"), std::string("Connesso"), 400);

        // One poll every 200 ms, each a lone "U".
        const auto polls = rig.unit.chunks("rx");
        QVERIFY2(polls.size() >= 3, qPrintable(QString::number(polls.size())));
        for (const Bytes& poll : polls) {
            QCOMPARE(poll, Bytes{0x55});
        }
    }

    void hungUpUnitIsReopenedWhenItComesBack() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label20"), std::string("Connesso"), 600);
        QVERIFY(rig.unit.control(QStringLiteral("hangup 1200")));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.link.isOpen(), 500);
        QCOMPARE(rig.model.text("Label20"), std::string("Sconnesso"));
        QCOMPARE(rig.model.background("Label20"), Background::Red);
        QTRY_VERIFY_WITH_TIMEOUT(rig.link.isOpen(), 2500);
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label20"), std::string("Connesso"), 600);
        QVERIFY(rig.dialogs.notices.empty());
    }

    void lineErrorClearsImageLoadingAndResumesPolling() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.controller.read(); // stops polling
        QVERIFY(!rig.timer("Timer1")->isActive());
        rig.model.setImageLoading(true);
        emit rig.link.findChild<QSerialPort*>("MSComm1")->errorOccurred(QSerialPort::ReadError);
        QVERIFY(!rig.model.imageLoading());
        QVERIFY(rig.timer("Timer1")->isActive());
        QVERIFY(rig.link.receiveBuffer().empty());
    }
};

QTEST_MAIN(StartUpTest)
#include "start_up_test.moc"
