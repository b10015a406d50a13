#include "app/window_history.h"
#include "dialogs_and_rig.h"
#include "store/exchange_history.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// The window's parts on port 1, keeping their history in the store under $XDG_DATA_HOME.
struct Window {
    explicit Window(const QString& device) : history(*velmora::store::storeLocationOf({})) {
        controller.keepHistory(history);
        qputenv("VELMORA_COM1", device.toUtf8());
        dialogs.portAnswers = {"1"};
        controller.startUp();
    }
    bool programs(const char* number) {
        model.setText("Txtnumero"_control, number);
        controller.program();
        return QTest::qWaitFor([&] { return model.text("Label19"_control) == "Programmato"; },
                               1500);
    }

    velmora::FormModel model;
    velmora::SerialLink link;
    ScriptedDialogs dialogs;
    velmora::WindowHistory history;
    velmora::Controller controller{model, link, dialogs};
};

// "id action outcome image" of every entry, oldest first.
QStringList entries() {
    const auto listed =
        velmora::store::ExchangeHistory(*velmora::store::storeLocationOf({})).list({});
    QStringList shown;
    for (const auto& entry : listed ? *listed : std::vector<velmora::store::HistoryEntry>{})
        shown << QString::fromStdString(entry.id + " " + entry.action + " " + entry.outcome + " " +
                                        entry.image);
    return shown;
}

// The unit's bytes in upper-case hexadecimal: what it took or what it sent.
QString hexOf(const std::vector<Bytes>& chunks) {
    const Bytes all = joined(chunks);
    return QByteArray(reinterpret_cast<const char*>(all.data()), static_cast<qsizetype>(all.size()))
        .toHex()
        .toUpper();
}

// A small tmpfs the history cannot be written on: read-only, or filled up on demand.
struct UnwritableFolder {
    UnwritableFolder(bool readOnly, const QString& path) : folder(path.toStdString()) {
        std::filesystem::create_directories(folder);
        if (::geteuid() != 0)
            unusable = "mounting a small tmpfs needs root (rights do not stop root)";
        else if (::mount("tmpfs", folder.c_str(), "tmpfs", readOnly ? MS_RDONLY : 0, "size=1m"))
            unusable = std::string("no tmpfs could be mounted: ") + std::strerror(errno);
    }
    ~UnwritableFolder() {
        if (unusable.empty())
            ::umount2(folder.c_str(), MNT_DETACH);
    }
    void fill() const {
        struct statvfs room {};
        if (::statvfs(folder.c_str(), &room) == 0)
            std::ofstream(folder + "/filler") << std::string(room.f_bavail * room.f_frsize, 'x');
    }

    std::string folder;
    std::string unusable;
};

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    // Two programmings and a read of the window are in the history with the bytes the unit
    // took and sent; the first restored through velmora-cli is then what the unit holds.
    void theWindowsExchangesAreKeptAndTheFirstIsRestored() {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        SimulatedUnit unit;
        {
            Window window(unit.link());
            QVERIFY(window.programs("101"));
            window.controller.read();
            QTRY_COMPARE_WITH_TIMEOUT(entries().size(), 2, 2000);
            QVERIFY(window.programs("202"));
            QTRY_VERIFY_WITH_TIMEOUT(entries().value(2).contains(" acknowledged "), 2000);
            QCOMPARE(window.dialogs.events, QStringList{"prompt"});
        }
        const QStringList kept = entries();
        QCOMPARE(kept.size(), 3);
        const QStringList words = kept.join(' ').split(' ');
        QCOMPARE(words.mid(0, 3), (QStringList{"1", "Programma", "acknowledged"}));
        QCOMPARE(words.mid(4, 3), (QStringList{"2", "Leggi", "decoded"}));
        QCOMPARE(words.mid(8, 3), (QStringList{"3", "Programma", "acknowledged"}));
        // The frames the unit took hold the two images sent; it sent the one read.
        const QString taken = hexOf(unit.received());
        QVERIFY(taken.indexOf("AA" + words[3] + "55") < taken.indexOf("AA" + words[11] + "55"));
        QVERIFY(taken.indexOf("AA" + words[3] + "55") >= 0);
        QVERIFY(hexOf(unit.sent()).contains(words[7]));

        QProcess cli;
        cli.start(VELMORA_CLI, {"history", "restore", "1", "--device", unit.link()});
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.readAllStandardOutput(), QByteArray("programmed and verified\n"));
        QCOMPARE(cli.exitCode(), 0);
        QVERIFY(hexOf(unit.received())
                    .endsWith("AA" + words[3] + "55" + "AA" + QString(192, '0') + "55"));
        const QStringList restored = entries().mid(3).join(' ').split(' ');
        QCOMPARE(restored.mid(0, 4), (QStringList{"4", "backup", "decoded", words[11]}));
        QCOMPARE(restored.mid(8, 3), (QStringList{"6", "verify", "decoded"}));
        QCOMPARE(restored[11], words[3]);
    }

    // A history on a read-only folder or a disk that fills up: polling, "Programmato" and
    // "Leggi" as ever, the operator told once.
    void anUnwritableHistoryIsSaidOnceAndTheWindowGoesOn_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("disk full after the first entry") << false;
    }
    void anUnwritableHistoryIsSaidOnceAndTheWindowGoesOn() {
        QFETCH(bool, readOnly);
        QTemporaryDir data;
        const UnwritableFolder folder(readOnly, data.filePath("disk"));
        if (!folder.unusable.empty())
            QSKIP(folder.unusable.c_str());
        qputenv("XDG_DATA_HOME", data.filePath("disk").toUtf8());
        SimulatedUnit unit;
        Window window(unit.link());
        QVERIFY(window.programs("101"));
        if (!readOnly)
            folder.fill();
        QVERIFY(window.programs("102"));
        window.model.setText("Txtnumero"_control, "999");
        window.controller.read();
        QVERIFY(
            QTest::qWaitFor([&] { return window.model.text("Txtnumero"_control) == "102"; }, 1500));
        QVERIFY(window.programs("103"));
        QTest::qWait(1500);
        QCOMPARE(window.dialogs.events,
                 (QStringList{"prompt", "notice Avviso: Storico non disponibile: le "
                                        "configurazioni inviate e lette non vengono conservate"}));
        QVERIFY(!window.dialogs.lastDetail.isEmpty());
        // The polls after the last acknowledgement keep their 200 ms cadence.
        std::vector<double> polls;
        for (const auto& chunk : unit.timedChunks("rx"))
            if (chunk.bytes == Bytes{0x55})
                polls.push_back(chunk.ms);
        QVERIFY(polls.size() >= 6);
        for (auto poll = polls.begin() + 1; poll < polls.end(); ++poll)
            QVERIFY2(*poll - *(poll - 1) < 300, qPrintable(QString::number(*poll - *(poll - 1))));
    }
};

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
