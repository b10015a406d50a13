#include "progfile/programming_file.h"
#include "protocol/config_image.h"
#include "simulated_unit.h"

#include <QTest>

namespace {

// One file line as the unit's programming files hold it: blank, value, blank, CR LF.
std::string fileLine(int value) {
    return " " + std::to_string(value) + " \r\n";
}

std::string linesOf(const Bytes& frame) {
    std::string text;
    for (const std::uint8_t byte : frame) {
        text += fileLine(byte);
    }
    return text;
}

std::string commasOf(const Bytes& frame) {
    std::string text;
    for (const std::uint8_t byte : frame) {
        text += (text.empty() ? "" : ",") + std::to_string(byte);
    }
    return text + "\r\n";
}

Bytes importedFrame() {
    velmora::ParameterSet form;
    form.txtnumero = "0042";
    form.txtcodatt = "99";
    form.text2[1] = "7";
    form.text3[1] = "9";
    const velmora::Frame frame = velmora::programmingFrame(*velmora::encodeImage(form));
    return Bytes(frame.begin(), frame.end());
}

Bytes withImageByte(int n, std::uint8_t value) {
    Bytes frame = importedFrame();
    frame[static_cast<std::size_t>(n)] = value;
    return frame;
}

QString writeFile(const QTemporaryDir& folder, const std::string& content) {
    const QString path = folder.filePath(QStringLiteral("in.prg"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(content.data(), static_cast<qint64>(content.size()));
    }
    return path;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void saveWritesTheFrameAsSentByteForByte() {
        Rig rig;
        rig.controller.program();
        rig.model.setText("Txtnumero", "77"); // after the programming: not in the file
        rig.dialogs.saveAnswer = rig.unit.folder() + "/a.prg";
        rig.controller.saveFile();
        const QByteArray expected = QByteArray::fromStdString(linesOf(framed(defaultImage())));
        QCOMPARE(contentOf(rig.dialogs.saveAnswer), expected);
        QVERIFY(expected.startsWith(" 170 \r\n 0 \r\n"));
        QVERIFY(expected.endsWith(" 0 \r\n 85 \r\n"));
        QVERIFY(!rig.model.enabled("Command5"));
        QVERIFY(rig.dialogs.notices.empty());
        QCOMPARE(rig.dialogs.events, QStringList{"save "});
    }

    void failedSaveIsReportedAndCanBeRetried() {
        Rig rig;
        rig.controller.program();
        rig.dialogs.saveAnswer = rig.unit.folder() + "/missing/a.prg";
        rig.controller.saveFile();
        QCOMPARE(rig.dialogs.events.last(),
                 QStringLiteral("notice Avviso: Errore nel salvataggio del file"));
        QVERIFY(rig.model.enabled("Command5"));
        QVERIFY(!QFile::exists(rig.dialogs.saveAnswer));
    }

    void cancelledDialogsChangeNothing() {
        Rig rig;
        rig.controller.program();
        const QStringList before = windowState(rig.model);
        rig.controller.saveFile();
        rig.controller.importFile();
        QCOMPARE(windowState(rig.model), before);
        QVERIFY(rig.dialogs.notices.empty());
        QVERIFY(rig.controller.lastFileName().isEmpty());
    }

    void bothDialogsOfferTheLastNameChosen() {
        Rig rig;
        QTemporaryDir folder;
        rig.controller.program();
        rig.dialogs.saveAnswer = folder.filePath("a.prg");
        rig.controller.saveFile();
        rig.dialogs.importAnswer = rig.dialogs.saveAnswer;
        rig.controller.importFile();
        rig.dialogs.importAnswer = folder.filePath("b.prg");
        rig.controller.importFile();
        rig.controller.program();
        rig.controller.saveFile();
        const QStringList offered =
            rig.dialogs.events.filter(QRegularExpression("^(save|import) "));
        QCOMPARE(offered, QStringList({"save ", "import " + folder.filePath("a.prg"),
                                       "import " + folder.filePath("a.prg"),
                                       "save " + folder.filePath("b.prg")}));
    }

    void goodFilesImport_data() {
        QTest::addColumn<std::string>("content");
        const Bytes frame = importedFrame();
        QTest::newRow("one value a line") << linesOf(importedFrame());
        QTest::newRow("all on one line") << commasOf(importedFrame());
        QTest::newRow("markers zero") << linesOf(withImageByte(97, 0)).replace(0, 7, fileLine(0));
        QTest::newRow("more than 98") << linesOf(importedFrame()) + "1,2,junk\r\n";
        QTest::newRow("mixed, fraction")
            << commasOf(Bytes(frame.begin(), frame.begin() + 50)) +
                   linesOf(Bytes(frame.begin() + 50, frame.end())).replace(0, 5, " 0.4 \r\n");
    }
    void goodFilesImport() {
        QFETCH(std::string, content);
        Rig rig;
        QTemporaryDir folder;
        rig.controller.program();
        rig.dialogs.importAnswer = writeFile(folder, content);
        const auto frameBefore = rig.controller.txFrame();
        rig.controller.importFile();
        QVERIFY2(rig.dialogs.notices.empty(), qPrintable(rig.dialogs.events.join('\n')));
        QCOMPARE(rig.model.text("Txtnumero"), std::string("42"));
        QCOMPARE(rig.model.text("Txtcodatt"), std::string("99"));
        QCOMPARE(rig.model.text("Text2(1)"), std::string("7"));
        QCOMPARE(rig.model.text("Text3(1)"), std::string("9"));
        QCOMPARE(rig.controller.txFrame(), frameBefore);
        QVERIFY(rig.model.enabled("Command5"));
        QVERIFY(rig.link.receiveBuffer().empty());
    }

    void brokenFilesLeaveTheWindowAsItWas_data() {
        QTest::addColumn<std::string>("content");
        std::string lines = linesOf(importedFrame());
        QTest::newRow("value 256") << std::string(lines).replace(lines.find(" 99 "), 4, " 256 ");
        QTest::newRow("value -1") << std::string(lines).replace(lines.find(" 99 "), 4, " -1 ");
        QTest::newRow("a word") << std::string(lines).replace(lines.find(" 99 "), 4, " zz ");
        QTest::newRow("97 values") << lines.substr(0, lines.rfind(" 85 "));
        QTest::newRow("empty file") << std::string();
        QTest::newRow("tone code 40") << linesOf(withImageByte(8, 40));
        QTest::newRow("peripheral 40000") << linesOf(withImageByte(1, 40));
        QTest::newRow("range high byte 128") << linesOf(withImageByte(34, 128));
    }
    void brokenFilesLeaveTheWindowAsItWas() {
        QFETCH(std::string, content);
        Rig rig;
        QTemporaryDir folder;
        rig.model.setValue("Check1", true);
        rig.model.setText("Txtnumero", "5");
        rig.model.setValue("Optbatt(2)", true);
        rig.dialogs.importAnswer = writeFile(folder, content);
        const QStringList before = windowState(rig.model);
        rig.controller.importFile();
        QCOMPARE(windowState(rig.model), before);
        QCOMPARE(rig.dialogs.events.last(), QStringLiteral("notice Avviso: File non valido"));
        QVERIFY(!rig.dialogs.notices.back().detail.isEmpty());
        QVERIFY(!rig.controller.txFrame());
        QVERIFY(!rig.model.enabled("Command5"));
    }

    void missingFileIsRefused() {
        Rig rig;
        rig.dialogs.importAnswer = rig.unit.folder() + "/none.prg";
        rig.controller.importFile();
        QCOMPARE(rig.dialogs.events.last(), QStringLiteral("notice Avviso: File non valido"));
    }

    void importEmptiesTheReceiveBuffer_data() {
        QTest::addColumn<std::string>("content");
        QTest::newRow("good") << linesOf(importedFrame());
        QTest::newRow("bad") << std::string("1\r\n");
    }
    void importEmptiesTheReceiveBuffer() {
        QFETCH(std::string, content);
        Rig rig;
        QTemporaryDir folder;
        QVERIFY(rig.startOnPort1());
        QVERIFY(rig.unit.control("short 40"));
        rig.controller.read();
        QVERIFY(QTest::qWaitFor([&] { return !rig.link.receiveBuffer().empty(); }, 500));
        rig.dialogs.importAnswer = writeFile(folder, content);
        rig.controller.importFile();
        QVERIFY(rig.link.receiveBuffer().empty());
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
