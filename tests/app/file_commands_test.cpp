#include "simulated_unit.h"

#include <QTest>

namespace {

std::string linesOf(const Bytes& frame) {
    std::string text;
    for (const std::uint8_t byte : frame) {
        text += " " + std::to_string(byte) + " \r\n";
    }
    return text;
}

std::string commasOf(const Bytes& frame) {
    std::string text = std::to_string(frame[0]);
    for (std::size_t i = 1; i < frame.size(); ++i) {
        text += "," + std::to_string(frame[i]);
    }
    return text;
}

// The default frame with one byte changed; image byte n sits at frame offset n.
Bytes frameWith(std::size_t offset, std::uint8_t value) {
    Bytes frame = defaultFrame();
    frame[offset] = value;
    return frame;
}

QString fileHolding(const QString& folder, const std::string& content) {
    QFile file(folder + "/in.prg");
    file.open(QIODevice::WriteOnly);
    file.write(content.data(), static_cast<qint64>(content.size()));
    return file.fileName();
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void saveWritesTheFrameAsSentAndOffersTheNameAgain() {
        Rig rig;
        const QString saved = rig.unit.folder() + "/a.prg";
        rig.controller.program();
        rig.model.setText("Txtnumero", "77"); // after the programming: not in the file
        rig.dialogs.saveAnswer = rig.unit.folder() + "/missing/a.prg";
        rig.controller.saveFile();
        QCOMPARE(rig.dialogs.events.last(), "notice Avviso: Errore nel salvataggio del file");
        QVERIFY(rig.model.enabled("Command5"));
        rig.dialogs.saveAnswer = saved;
        rig.controller.saveFile();
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), linesOf(defaultFrame()));
        QVERIFY(!rig.model.enabled("Command5"));
        rig.controller.importFile(); // cancelled: nothing changes
        QCOMPARE(rig.model.text("Txtnumero"), "77");
        QCOMPARE(rig.dialogs.events,
                 QStringList({"save ", "notice Avviso: Errore nel salvataggio del file",
                              "save " + rig.unit.folder() + "/missing/a.prg", "import " + saved}));
    }

    void filesImport_data() {
        QTest::addColumn<std::string>("content");
        QTest::addColumn<std::string>("activationCode"); // empty: refused
        const std::string lines = linesOf(frameWith(24, 99));
        QTest::newRow("as saved") << lines << std::string("99");
        QTest::newRow("all on one line") << commasOf(frameWith(24, 99)) << std::string("99");
        QTest::newRow("markers 0")
            << linesOf(frameWith(97, 0)).replace(0, 7, " 0 \r\n") << std::string("24");
        QTest::newRow("99 values") << lines + " 7 \r\n" << std::string("99");
        QTest::newRow("halves to even")
            << std::string(lines).replace(lines.find(" 99 "), 4, "98.5") << std::string("98");
        QTest::newRow("value 256")
            << std::string(lines).replace(lines.find(" 99 "), 4, " 256") << std::string();
        QTest::newRow("value -1") << std::string(lines).replace(lines.find(" 99 "), 4, " -1 ")
                                  << std::string();
        QTest::newRow("a word") << std::string(lines).replace(lines.find(" 99 "), 4, " zz ")
                                << std::string();
        QTest::newRow("97 values") << lines.substr(0, lines.rfind(" 85 ")) << std::string();
        QTest::newRow("empty") << std::string() << std::string();
        QTest::newRow("tone code 40") << linesOf(frameWith(8, 40)) << std::string();
        QTest::newRow("peripheral 40000") << linesOf(frameWith(1, 40)) << std::string();
        QTest::newRow("range high byte 128") << linesOf(frameWith(34, 128)) << std::string();
    }
    void filesImport() {
        QFETCH(std::string, content);
        QFETCH(std::string, activationCode);
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.model.setValue("Check1", true);
        rig.model.setValue("Optbatt(2)", true);
        rig.controller.program();
        const auto frameBefore = rig.controller.txFrame();
        QVERIFY(rig.unit.control("short 40")); // a partial reply in `RxBuffer`
        rig.controller.read();
        QVERIFY(QTest::qWaitFor([&] { return !rig.link.receiveBuffer().empty(); }, 500));
        const QStringList before = windowState(rig.model);

        rig.dialogs.importAnswer = fileHolding(rig.unit.folder(), content);
        rig.controller.importFile();
        QVERIFY(rig.link.receiveBuffer().empty());
        QCOMPARE(rig.controller.txFrame(), frameBefore);
        QVERIFY(rig.model.enabled("Command5"));
        if (activationCode.empty()) {
            QCOMPARE(windowState(rig.model), before);
            QCOMPARE(rig.dialogs.events.last(), "notice Avviso: File non valido");
            QVERIFY(!rig.dialogs.lastDetail.isEmpty());
        } else {
            QCOMPARE(rig.dialogs.events.last(), "import ");
            QCOMPARE(rig.model.text("Txtcodatt"), activationCode);
            QCOMPARE(rig.model.text("Txtnumero"), "1");
            QVERIFY(!rig.model.value("Check1"));
        }
    }

    void missingFileIsRefused() {
        Rig rig;
        rig.dialogs.importAnswer = rig.unit.folder() + "/none.prg";
        rig.controller.importFile();
        QCOMPARE(rig.dialogs.events.last(), "notice Avviso: File non valido");
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
