#include "dialogs_and_rig.h"
#include "progfile/programming_file.h"

#include <QTest>

#include <fstream>

namespace {

std::string fileOf(const Bytes& bytes) {
    velmora::Frame frame{};
    std::copy(bytes.begin(), bytes.end(), frame.begin());
    return velmora::formatProgrammingFile(frame);
}

// The default frame as a file, with the activation code (image byte 24) set to 99.
std::string savedFile() {
    Bytes frame = defaultFrame();
    frame[24] = 99;
    return fileOf(frame);
}

// The saved file with the first `from` in it replaced by `to`.
std::string savedWith(const std::string& from, const std::string& to) {
    std::string file = savedFile();
    return file.replace(file.find(from), from.size(), to);
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void saveWritesTheFrameAsSentAndOffersTheNameAgain() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        const QString saved = rig.unit.folder() + "/a.prg";
        rig.controller.program();
        rig.model.setText("Txtnumero"_control, "77"); // after the programming: not in the file
        rig.dialogs.saveAnswer = rig.unit.folder() + "/missing/a.prg";
        rig.controller.saveFile();
        QVERIFY(rig.model.enabled("Command5"_control));
        QVERIFY2(rig.dialogs.lastDetail.contains("cartella inesistente"),
                 qPrintable(rig.dialogs.lastDetail));
        rig.dialogs.saveAnswer = saved;
        rig.controller.runCommand("Command5");
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().toStdString(), fileOf(defaultFrame()));
        QVERIFY(!rig.model.enabled("Command5"_control));
        rig.controller.runCommand("Command6"); // cancelled: nothing changes
        QCOMPARE(rig.model.text("Txtnumero"_control), "77");
        QCOMPARE(rig.dialogs.events,
                 QStringList({"prompt", "save ", "notice Avviso: Errore nel salvataggio del file",
                              "save " + rig.unit.folder() + "/missing/a.prg", "import " + saved}));
        rig.dialogs.importAnswer = rig.unit.folder() + "/none.prg";
        rig.controller.importFile();
        QCOMPARE(rig.dialogs.events.last(), "notice Avviso: File non valido");
    }

    // The file's own rules are the core's; here: what an import does to the window, for a
    // file refused as text and one refused as an image.
    void filesImport_data() {
        QTest::addColumn<std::string>("content");
        QTest::addColumn<std::string>("activationCode"); // empty: refused
        QTest::newRow("as saved") << savedFile() << std::string("99");
        QTest::newRow("a word") << savedWith(" 99 ", "zz") << std::string();
        QTest::newRow("tone code 40") << savedWith(" 255 ", " 40 ") << std::string();
    }
    void filesImport() {
        QFETCH(std::string, content);
        QFETCH(std::string, activationCode);
        Rig rig;
        QVERIFY(rig.startOnPort1());
        rig.model.setValue("Check1"_control, true);
        rig.model.setValue("Optbatt(2)"_control, true);
        rig.controller.program();
        const auto frameBefore = rig.controller.txFrame();
        QVERIFY(rig.unit.control("short 40")); // a partial reply in `RxBuffer`
        rig.controller.read();
        QVERIFY(QTest::qWaitFor([&] { return !rig.link.receiveBuffer().empty(); }, 500));
        const QStringList before = windowState(rig.model);

        rig.dialogs.importAnswer = rig.unit.folder() + "/in.prg";
        std::ofstream(rig.dialogs.importAnswer.toStdString(), std::ios::binary) << content;
        rig.controller.importFile();
        QVERIFY(rig.link.receiveBuffer().empty());
        QCOMPARE(rig.controller.txFrame(), frameBefore);
        QVERIFY(rig.model.enabled("Command5"_control));
        if (activationCode.empty()) {
            QCOMPARE(windowState(rig.model), before);
            QCOMPARE(rig.dialogs.events.last(), "notice Avviso: File non valido");
            QVERIFY(!rig.dialogs.lastDetail.isEmpty());
        } else {
            QCOMPARE(rig.dialogs.events.last(), "import ");
            QCOMPARE(rig.model.text("Txtcodatt"_control), activationCode);
            QCOMPARE(rig.model.text("Txtnumero"_control), "1");
            QVERIFY(!rig.model.value("Check1"_control));
        }
    }
};

QTEST_MAIN(FileCommandsTest)
#include "file_commands_test.moc"
