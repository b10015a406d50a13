#include "progfile/programming_file.h"
#include "protocol/config_image.h"
#include "simulated_unit.h"

#include <QSignalSpy>
#include <QTest>

using velmora::Background;

namespace {

struct RangeSetting {
    int k;
    const char* min;
    const char* max;
};
using RangeSettings = std::vector<RangeSetting>;

// A unit that holds this image from the start.
QString imageFile(const QTemporaryDir& folder, const velmora::Image& image) {
    const QString path = folder.filePath(QStringLiteral("unit.prg"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QByteArray::fromStdString(
            velmora::formatProgrammingFile(velmora::programmingFrame(image))));
    }
    return path;
}

velmora::Image readableImage() {
    velmora::ParameterSet unit;
    unit.txtnumero = "1234";
    unit.txtgruppo = "7";
    unit.txtcodatt = "99";
    unit.combotonoRow = 5;
    unit.option1 = false;
    unit.option2 = true;
    unit.txttx = "460.0000";
    unit.txtrx = "460.0000";
    unit.text2[3] = "100";
    unit.text3[3] = "200";
    return *velmora::encodeImage(unit);
}

bool onlyPolls(const std::vector<Bytes>& chunks) {
    return std::all_of(chunks.begin(), chunks.end(),
                       [](const Bytes& c) { return c == Bytes{0x55}; });
}

bool connected(Rig& rig) {
    return QTest::qWaitFor([&] { return rig.model.text("Label20") == "Connesso"; }, 800);
}

} // namespace

Q_DECLARE_METATYPE(RangeSettings)

class DeviceCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void programmaSendsTheFormAndShowsTheAcknowledgement() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        QVERIFY(connected(rig));
        rig.model.setCaption("Label19", "x", Background::Red);
        rig.controller.program();
        QVERIFY(!rig.timer("Timer1")->isActive());
        QVERIFY(rig.timer("Timer4")->isActive());
        QVERIFY(rig.model.enabled("Command5"));
        QCOMPARE(rig.model.text("Label19"), std::string());
        QCOMPARE(rig.model.background("Label19"), Background::ButtonFace);
        QVERIFY(rig.controller.txFrame());
        QCOMPARE(Bytes(rig.controller.txFrame()->begin(), rig.controller.txFrame()->end()),
                 framed(defaultImage()));

        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label19"), std::string("Programmato"), 600);
        QCOMPARE(rig.model.background("Label19"), Background::Green);
        QVERIFY(rig.timer("Timer1")->isActive());
        QVERIFY(rig.link.receiveBuffer().empty());

        // The frame went out in one write; polls before it, none inside it.
        auto chunks = rig.unit.chunks("rx");
        const auto frame = std::find(chunks.begin(), chunks.end(), framed(defaultImage()));
        QVERIFY(frame != chunks.end());
        QVERIFY(onlyPolls({chunks.begin(), frame}));
        QVERIFY(onlyPolls({frame + 1, chunks.end()}));
    }

    void unacknowledgedFrameLeavesTheStatusEmptyAndPollingResumes() {
        Rig rig({"--no-ack"});
        QVERIFY(rig.startOnPort1());
        rig.controller.program();
        QTest::qWait(300);
        QVERIFY(!rig.timer("Timer1")->isActive());
        QTRY_VERIFY_WITH_TIMEOUT(rig.timer("Timer1")->isActive(), 400); // Timer4, 500 ms
        QVERIFY(connected(rig));
        QCOMPARE(rig.model.text("Label19"), std::string());
    }

    void rangeCheck_data() {
        QTest::addColumn<RangeSettings>("ranges");
        QTest::addColumn<bool>("refused");
        QTest::newRow("all empty") << RangeSettings{} << false;
        QTest::newRow("5 to 5") << RangeSettings{{4, "5", "5"}} << false;
        QTest::newRow("0 to 5") << RangeSettings{{0, "0", "5"}} << true;
        QTest::newRow("5 to 0") << RangeSettings{{7, "5", "0"}} << true;
        QTest::newRow("5 to 4") << RangeSettings{{15, "5", "4"}} << true;
        QTest::newRow("first of two") << RangeSettings{{0, "0", "5"}, {2, "9", "1"}} << true;
        QTest::newRow("text values") << RangeSettings{{9, " 1 2", "12,9"}} << false;
    }
    void rangeCheck() {
        QFETCH(RangeSettings, ranges);
        QFETCH(bool, refused);
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.controller.program(); // a good frame first: a refusal must keep it
        const auto firstFrame = rig.controller.txFrame();
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label19"), std::string("Programmato"), 600);
        rig.model.setEnabled("Command5", false);
        for (const RangeSetting& range : ranges) {
            rig.model.setText("Text2(" + std::to_string(range.k) + ")", range.min);
            rig.model.setText("Text3(" + std::to_string(range.k) + ")", range.max);
        }
        const auto framesBefore = rig.unit.chunks("rx").size();
        rig.dialogs.events.clear();

        rig.controller.program();
        QCOMPARE(rig.model.text("Label19"), std::string());
        QVERIFY(!rig.timer("Timer1")->isActive());
        QVERIFY(rig.link.receiveBuffer().empty());
        QTest::qWait(60);
        const auto chunks = rig.unit.chunks("rx");
        const bool sent =
            !onlyPolls({chunks.begin() + static_cast<long>(framesBefore), chunks.end()});
        if (refused) {
            QCOMPARE(rig.dialogs.events,
                     QStringList({"beep", "notice Avviso: Errore nei Range REP"}));
            QVERIFY(!sent);
            QCOMPARE(rig.controller.txFrame(), firstFrame);
            QVERIFY(!rig.model.enabled("Command5"));
        } else {
            QVERIFY(rig.dialogs.events.isEmpty());
            QVERIFY(sent);
            QVERIFY(rig.model.enabled("Command5"));
        }
    }

    void valueTheImageCannotCarryIsNamedAndNothingSent() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.model.setText("Txtgruppo", "300");
        rig.controller.program();
        QCOMPARE(rig.dialogs.notices.size(), 1u);
        QCOMPARE(rig.dialogs.notices[0].title, QStringLiteral("Avviso"));
        QVERIFY(rig.dialogs.notices[0].text.contains(QStringLiteral("Gruppo")));
        QVERIFY(!rig.controller.txFrame());
        QVERIFY(!rig.model.enabled("Command5"));
        QTest::qWait(60);
        QVERIFY(onlyPolls(rig.unit.chunks("rx")));
    }

    void leggiFillsTheWindowFromTheUnit() {
        QTemporaryDir folder;
        Rig rig({"--image", imageFile(folder, readableImage())});
        QVERIFY(rig.startOnPort1());
        rig.model.setCaption("Label19", "Programmato", Background::Green);
        rig.controller.read();
        QVERIFY(!rig.timer("Timer1")->isActive());
        QCOMPARE(rig.model.text("Label19"), std::string());
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Txtnumero"), std::string("1234"), 600);
        QCOMPARE(rig.model.text("Txtgruppo"), std::string("7"));
        QCOMPARE(rig.model.text("Txtcodatt"), std::string("99"));
        QCOMPARE(rig.model.comboRow(), 5);
        QVERIFY(rig.model.value("Option2"));
        QVERIFY(!rig.model.value("Option1"));
        QCOMPARE(rig.model.text("Text2(3)"), std::string("100"));
        QCOMPARE(rig.model.text("Text3(3)"), std::string("200"));
        QCOMPARE(rig.model.text("Label19"), std::string());
        QVERIFY(!rig.model.imageLoading());
        QVERIFY(rig.timer("Timer1")->isActive());
        QVERIFY(rig.link.receiveBuffer().empty());
        const auto chunks = rig.unit.chunks("rx");
        QVERIFY(std::find(chunks.begin(), chunks.end(), framed(Bytes(96, 0x00))) != chunks.end());
    }

    void brokenRepliesLeaveTheWindowAlone_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("pause inside the reply") << "gap 70";
        QTest::newRow("reply cut short") << "short 40";
        QTest::newRow("no reply") << "silent on";
    }
    void brokenRepliesLeaveTheWindowAlone() {
        QFETCH(QString, fault);
        QTemporaryDir folder;
        Rig rig({"--image", imageFile(folder, readableImage())});
        QVERIFY(rig.startOnPort1());
        QVERIFY(rig.unit.control(fault));
        const QStringList before = windowState(rig.model);
        rig.controller.read();
        QTest::qWait(350);
        QCOMPARE(windowState(rig.model), before);
        QVERIFY(rig.link.receiveBuffer().empty());
        QVERIFY(!rig.timer("Timer1")->isActive()); // waits for Timer4 or a complete reply
        QCOMPARE(rig.model.text("Label19"), std::string());
    }

    void undecodableImageIsReportedAndTheWindowKept() {
        velmora::Image image = readableImage();
        velmora::imageByte(image, 8) = 40; // no tone has this code
        QTemporaryDir folder;
        Rig rig({"--image", imageFile(folder, image)});
        QVERIFY(rig.startOnPort1());
        const QStringList before = windowState(rig.model);
        rig.controller.read();
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label19"), std::string("Errore lettura"), 600);
        QCOMPARE(rig.model.background("Label19"), Background::Red);
        QCOMPARE(windowState(rig.model), before);
        QVERIFY(rig.timer("Timer1")->isActive());
        QVERIFY(rig.link.receiveBuffer().empty());
        QVERIFY(!rig.model.imageLoading());
    }

    void whatWasProgrammedReadsBack() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.model.setText("Txtnumero", "42");
        rig.model.setText("Text2(9)", "300");
        rig.model.setText("Text3(9)", "1200");
        rig.controller.program();
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Label19"), std::string("Programmato"), 600);
        rig.model.setText("Txtnumero", "77");
        rig.model.setText("Text3(9)", "5");
        rig.controller.read();
        QTRY_COMPARE_WITH_TIMEOUT(rig.model.text("Txtnumero"), std::string("42"), 600);
        QCOMPARE(rig.model.text("Text2(9)"), std::string("300"));
        QCOMPARE(rig.model.text("Text3(9)"), std::string("1200"));
    }
};

QTEST_MAIN(DeviceCommandsTest)
#include "device_commands_test.moc"
