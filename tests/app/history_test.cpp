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

using velmora::store::HistoryEntry;

namespace {

// The window's parts on port 1, keeping their history in `store`.
struct Window {
    Window(const QString& device, const velmora::store::StoreLocation& store) : history(store) {
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

velmora::store::StoreLocation storeIn(const QString& folder) {
    velmora::store::StoreLocation location;
    location.sqliteFile = folder + "/velmora/production.sqlite";
    location.shown = location.sqliteFile.toStdString();
    return location;
}

std::vector<HistoryEntry> entriesIn(const velmora::store::StoreLocation& store) {
    const auto entries = velmora::store::ExchangeHistory(store).list({});
    return entries ? *entries : std::vector<HistoryEntry>{};
}

std::string hexText(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()))
        .toHex()
        .toUpper()
        .toStdString();
}

// The images of the programming frames the unit took, in order.
std::vector<std::string> programmedImages(const SimulatedUnit& unit) {
    const Bytes all = joined(unit.received());
    std::vector<std::string> images;
    for (std::size_t i = 0; i + velmora::kFrameSize <= all.size(); ++i)
        if (all[i] == velmora::kFrameStart) {
            const Bytes image(all.begin() + static_cast<long>(i + 1),
                              all.begin() + static_cast<long>(i + velmora::kFrameSize - 1));
            if (std::any_of(image.begin(), image.end(), [](auto byte) { return byte != 0; }))
                images.push_back(hexText(image));
            i += velmora::kFrameSize - 1;
        }
    return images;
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
    // Three commands of the window are in the history with the bytes the unit took and
    // sent; the first restored through velmora-cli is then what the unit holds.
    void theWindowsExchangesAreKeptAndTheFirstIsRestored() {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        const auto store = storeIn(data.path());
        SimulatedUnit unit;
        {
            Window window(unit.link(), store);
            QVERIFY(window.link.isOpen());
            QVERIFY(window.programs("101"));
            window.controller.read();
            QTRY_COMPARE_WITH_TIMEOUT(entriesIn(store).size(), std::size_t{2}, 2000);
            QVERIFY(window.programs("202"));
            QTRY_COMPARE_WITH_TIMEOUT(entriesIn(store).back().outcome,
                                      std::string(velmora::store::kAcknowledged), 2000);
            QCOMPARE(window.dialogs.events, QStringList{"prompt"});
        }
        const auto entries = entriesIn(store);
        QCOMPARE(entries.size(), std::size_t{3});
        QStringList seen;
        for (const HistoryEntry& entry : entries)
            seen << QString::fromStdString(entry.id + " " + entry.program + " " + entry.action +
                                           " " + entry.direction + " " + entry.number + " " +
                                           entry.outcome + " " + entry.device);
        const std::string device = unit.link().toStdString();
        QCOMPARE(seen,
                 (QStringList{
                     QString::fromStdString("1 window Programma sent 101 acknowledged " + device),
                     QString::fromStdString("2 window Leggi read 101 decoded " + device),
                     QString::fromStdString("3 window Programma sent 202 acknowledged " + device),
                 }));
        const auto sent = programmedImages(unit);
        QCOMPARE(sent, (std::vector<std::string>{entries[0].image, entries[2].image}));
        QVERIFY(hexText(joined(unit.sent())).find(entries[1].image) != std::string::npos);

        QProcess cli;
        cli.start(VELMORA_CLI, {"history", "restore", "1", "--device", unit.link()});
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(cli.readAllStandardOutput(), QByteArray("programmed and verified\n"));
        QCOMPARE(programmedImages(unit).back(), entries[0].image);
        const auto after = entriesIn(store);
        QCOMPARE(after.back().action + " " + after.back().image, "verify " + entries[0].image);
        QCOMPARE(after[after.size() - 3].action + " " + after[after.size() - 3].image,
                 "backup " + entries[2].image);
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
        SimulatedUnit unit;
        Window window(unit.link(), storeIn(data.filePath("disk")));
        QVERIFY(window.programs("101"));
        if (!readOnly)
            folder.fill();
        QVERIFY(window.programs("102"));
        window.model.setText("Txtnumero"_control, "999");
        window.controller.read();
        QVERIFY(
            QTest::qWaitFor([&] { return window.model.text("Txtnumero"_control) == "102"; }, 1500));
        QVERIFY(window.programs("103"));
        QTRY_COMPARE_WITH_TIMEOUT(window.dialogs.events.size(), 2, 2000);
        QTest::qWait(1500);
        QCOMPARE(window.dialogs.events,
                 (QStringList{"prompt", "notice Avviso: Storico non disponibile: le "
                                        "configurazioni inviate e lette non vengono conservate"}));
        QVERIFY(!window.dialogs.lastDetail.isEmpty());
        QCOMPARE(programmedImages(unit).size(), std::size_t{3});
        // The polls after the last acknowledgement keep their 200 ms cadence.
        const auto timed = unit.timedChunks("rx");
        std::vector<double> polls;
        for (const auto& chunk : timed)
            if (chunk.bytes == Bytes{0x55})
                polls.push_back(chunk.ms);
        QVERIFY(polls.size() >= 6);
        for (auto poll = polls.begin() + 1; poll < polls.end(); ++poll)
            QVERIFY2(
                *poll - *(poll - 1) < 300,
                qPrintable(QStringLiteral("%1 ms between two polls").arg(*poll - *(poll - 1))));
    }
};

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
