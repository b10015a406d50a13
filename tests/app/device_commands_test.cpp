#include "dialogs_and_rig.h"
#include "progfile/programming_file_saving.h"

#include <QSignalSpy>
#include <QTest>

#include <ctime>

using velmora::Background;

namespace {

// Options that start the unit holding number 1234, tone row 5 (its code then replaced
// by `toneByte`), 460 MHz both ways and range 4 from 100 to 200.
QStringList unitHolding(const QTemporaryDir& folder, int toneByte) {
    velmora::ParameterSet unit;
    unit.peripheralNumber = "1234";
    unit.toneRow = 5;
    unit.transmitFrequency = unit.receiveFrequency = "460.0000";
    unit.rangeMinimum[3] = "100";
    unit.rangeMaximum[3] = "200";
    velmora::Image image = *velmora::encodeImage(unit);
    velmora::imageByte(image, 8) = static_cast<std::uint8_t>(toneByte);
    const QString path = folder.filePath("unit.prg");
    velmora::saveProgrammingFile(path.toStdString(), velmora::programmingFrame(image));
    return {"--image", path};
}

} // namespace

class DeviceCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void programmaSendsTheFormAndShowsTheAcknowledgement() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        QVERIFY(rig.shows("Label20"_control, "Connesso"));
        rig.model.setCaption("Label19"_control, "x", Background::Red);
        rig.controller.runCommand("Command1");
        QVERIFY(!rig.timer("Timer1")->isActive() && rig.timer("Timer4")->isActive());
        QVERIFY(rig.model.enabled("Command5"_control));
        QCOMPARE(rig.model.text("Label19"_control), "");
        QCOMPARE(rig.model.background("Label19"_control), Background::ButtonFace);
        QCOMPARE(Bytes(rig.controller.txFrame()->begin(), rig.controller.txFrame()->end()),
                 defaultFrame());

        QVERIFY(rig.shows("Label19"_control, "Programmato"));
        QCOMPARE(rig.model.background("Label19"_control), Background::Green);
        QVERIFY(rig.timer("Timer1")->isActive());
        // Timer4 now resumes polling every 500 ms: the running poll keeps its 200 ms
        // cadence (restarting it on each resume stretches a gap to 300 ms or more).
        QTest::qWait(2500);
        const auto timed = rig.unit.timedChunks("rx");
        const std::vector<Bytes> chunks = rig.unit.received(); // the same log, read again
        // The frame in one write, nothing but polls around it.
        const auto frame = std::find(chunks.begin(), chunks.end(), defaultFrame());
        QVERIFY(frame != chunks.end());
        QVERIFY(onlyPolls({chunks.begin(), frame}) && onlyPolls({frame + 1, chunks.end()}));
        const auto firstPoll = timed.begin() + (frame - chunks.begin()) + 1;
        QVERIFY2(timed.end() - firstPoll >= 9, "polling stopped after the acknowledgement");
        for (auto poll = firstPoll + 1; poll < timed.end(); ++poll) {
            const double gap = poll->ms - (poll - 1)->ms;
            QVERIFY2(gap < 300, qPrintable(QStringLiteral("%1 ms between two polls").arg(gap)));
        }
    }

    // A refused range pair (the pairs' rules, and an accepted pair, are the core's) and
    // a value the image cannot carry: nothing sent, the last frame kept, the operator told.
    void refusedFormsSendNothing() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.controller.program();
        const auto firstFrame = rig.controller.txFrame();
        QVERIFY(rig.shows("Label19"_control, "Programmato"));
        rig.model.setEnabled("Command5"_control, false);
        rig.model.setText("Text2(0)"_control, "0");
        rig.model.setText("Text3(0)"_control, "5");
        const auto chunksBefore = rig.unit.received().size();
        rig.controller.program();
        QCOMPARE(rig.model.text("Label19"_control), "");
        QVERIFY(!rig.timer("Timer1")->isActive());
        QCOMPARE(rig.dialogs.events,
                 QStringList({"prompt", "beep", "notice Avviso: Errore nei Range REP"}));
        rig.model.setText("Text3(0)"_control, "0");
        rig.model.setText("Txtgruppo"_control, "300");
        rig.controller.program();
        QCOMPARE(rig.dialogs.events.size(), 4);
        QVERIFY(rig.dialogs.events[3].startsWith("notice Avviso: ") &&
                rig.dialogs.events[3].contains("Gruppo"));
        QTest::qWait(60);
        QVERIFY(onlyPolls(rig.unit.received(), chunksBefore) &&
                !rig.model.enabled("Command5"_control));
        QCOMPARE(rig.controller.txFrame(), firstFrame);
    }

    // A whole reply fills the window; a read without a whole reply within a second (the
    // link's test, with a reply that breaks off) or one that does not decode leaves it as
    // it was and is reported.
    void leggi_data() {
        QTest::addColumn<int>("toneByte");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<std::string>("status");
        QTest::newRow("whole reply") << 5 << false << std::string();
        QTest::newRow("no answer") << 5 << true << std::string("Errore lettura");
        QTest::newRow("no tone 40") << 40 << false << std::string("Errore lettura");
    }
    void leggi() {
        QFETCH(int, toneByte);
        QFETCH(bool, silent);
        QFETCH(std::string, status);
        const bool decodes = !silent && status.empty();
        QTemporaryDir folder;
        Rig rig(unitHolding(folder, toneByte));
        QVERIFY(rig.startOnPort1());
        QVERIFY(rig.shows("Label20"_control, "Connesso"));
        QVERIFY(!silent || rig.unit.control("silent on"));
        rig.model.setCaption("Label19"_control, "Programmato", Background::Green);
        const QStringList before = windowState(rig.model);
        QSignalSpy unanswered(&rig.link, &velmora::SerialLink::readUnanswered);
        QSignalSpy images(&rig.link, &velmora::SerialLink::imageReceived);
        rig.controller.runCommand("Command4");
        QVERIFY(!rig.timer("Timer1")->isActive());
        QCOMPARE(rig.model.text("Label19"_control), "");
        if (!silent) {
            QVERIFY(images.wait(500));
            QVERIFY(!rig.timer("ReadDeadline")->isActive());
        } else {
            QVERIFY(unanswered.wait(1500)); // after a second: the link's test
            QVERIFY(rig.shows("Label20"_control, "Sconnesso", 400));
        }
        if (decodes) {
            QCOMPARE(rig.model.text("Txtnumero"_control), "1234");
            QCOMPARE(rig.model.comboRow(), 6);
            QVERIFY(rig.model.value("Option2"_control) && !rig.model.value("Option1"_control));
            QCOMPARE(rig.model.text("Text2(3)"_control) + "-" + rig.model.text("Text3(3)"_control),
                     "100-200");
        } else {
            QCOMPARE(windowState(rig.model), before);
        }
        QCOMPARE(rig.model.text("Label19"_control), status);
        QCOMPARE(rig.model.background("Label19"_control),
                 status.empty() ? Background::ButtonFace : Background::Red);
        QVERIFY(rig.link.receiveBuffer().empty() && !rig.model.imageLoading());
        QVERIFY(rig.timer("Timer1")->isActive());
    }

    // With the adapter gone the link shows it and waits without spinning; a command
    // neither sends nor pretends: the frame is not kept, "Salva file" stays as it was, and
    // the operator is told. Back on line, without a question asked, it works.
    void commandsOnALostPortSaySo() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.controller.program();
        const auto frameSent = rig.controller.txFrame();
        QVERIFY(rig.shows("Label19"_control, "Programmato"));
        rig.model.setEnabled("Command5"_control, false);
        // The link status at the loss, at every report while the port is away, and at its
        // return: "Sconnesso" from the first moment to the last.
        std::vector<std::string> shownAway;
        bool away = false;
        const auto note = [&] {
            if (away)
                shownAway.push_back(rig.model.text("Label20"_control));
        };
        connect(&rig.link, &velmora::SerialLink::linkStatusChanged, this, note);
        connect(&rig.link, &velmora::SerialLink::portLost, this, [&] {
            away = true;
            note();
        });
        connect(&rig.link, &velmora::SerialLink::portBack, this, [&] {
            note();
            away = false;
        });
        QVERIFY(rig.shows("Label20"_control, "Connesso"));
        QVERIFY(rig.unit.control("hangup 1500"));
        QTRY_VERIFY_WITH_TIMEOUT(!rig.link.isOpen(), 500);
        QCOMPARE(rig.model.background("Label20"_control), Background::Red);
        rig.model.setText("Txtnumero"_control, "77");
        const auto chunksBefore = rig.unit.received().size();
        for (const auto command : {&velmora::Controller::program, &velmora::Controller::read}) {
            rig.model.setCaption("Label19"_control, "", Background::ButtonFace);
            (rig.controller.*command)();
            QCOMPARE(rig.model.text("Label19"_control), "Porta non disponibile");
            QCOMPARE(rig.model.background("Label19"_control), Background::Red);
            QCOMPARE(rig.controller.txFrame(), frameSent);
            QVERIFY(!rig.model.enabled("Command5"_control));
            QVERIFY(!rig.timer("ReadDeadline")->isActive());
        }
        const QStringList asked = rig.dialogs.events;
        const std::clock_t cpuBefore = std::clock(); // the whole program's processor time
        QTest::qWait(1000);
        QVERIFY2(double(std::clock() - cpuBefore) / CLOCKS_PER_SEC < 0.15,
                 "a lost port must not spin");
        QVERIFY(!rig.link.isOpen());
        QTRY_VERIFY_WITH_TIMEOUT(rig.link.isOpen(), 1500);
        QVERIFY(shownAway.size() >= 2);
        QCOMPARE(shownAway, std::vector<std::string>(shownAway.size(), "Sconnesso"));
        QCOMPARE(rig.unit.received().size(), chunksBefore);
        QVERIFY(rig.shows("Label20"_control, "Connesso"));
        QCOMPARE(rig.dialogs.events, asked);
        rig.controller.program();
        QVERIFY(rig.shows("Label19"_control, "Programmato"));
        QVERIFY(rig.model.enabled("Command5"_control));
        QCOMPARE(velmora::imageByte(velmora::imageOfFrame(*rig.controller.txFrame()), 4), 7);
    }
};

QTEST_MAIN(DeviceCommandsTest)
#include "device_commands_test.moc"
