#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// velmora-unit-sim on a pseudo-terminal reached through a symbolic link, with its byte
// log, switched through its control channel.
class SimulatedUnit {
public:
    explicit SimulatedUnit(const QStringList& options = {}) {
        ensureApplication();
        process_.start(VELMORA_UNIT_SIM, QStringList{"--link", link(), "--log", log()} + options);
        started_ = !readLine().isEmpty(); // the device
    }
    ~SimulatedUnit() {
        process_.terminate();
        process_.waitForFinished(2000);
    }
    SimulatedUnit(const SimulatedUnit&) = delete;
    SimulatedUnit& operator=(const SimulatedUnit&) = delete;

    bool started() const { return started_; }
    QString link() const { return folder_.filePath("com1"); }
    QString folder() const { return folder_.path(); }

    // One control line ("silent on"), answered with "ok".
    bool control(const QString& line) {
        process_.write((line + '\n').toUtf8());
        return readLine() == "ok";
    }

    struct TimedChunk {
        double ms; // the unit's monotonic clock
        Bytes bytes;
    };
    // Every chunk the unit took from the line, in order, with when it took it.
    std::vector<TimedChunk> timedReceived() const {
        QFile file(log());
        std::vector<TimedChunk> chunks;
        file.open(QIODevice::ReadOnly);
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() > 2 && words[1] == "rx") {
                const QByteArray bytes = QByteArray::fromHex(words.mid(2).join());
                chunks.push_back({words[0].toDouble(), Bytes(bytes.begin(), bytes.end())});
            }
        }
        return chunks;
    }
    std::vector<Bytes> received() const {
        std::vector<Bytes> chunks;
        for (TimedChunk& chunk : timedReceived())
            chunks.push_back(std::move(chunk.bytes));
        return chunks;
    }

    // QProcess wants an application object; a GoogleTest program has none of its own.
    static void ensureApplication() {
        static int argc = 1;
        static char name[] = "velmora-tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            static QCoreApplication application(argc, argv);
    }

private:
    QString log() const { return folder_.filePath("unit.log"); }
    QString readLine() {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(3000))
                return {};
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

    QTemporaryDir folder_;
    QProcess process_;
    bool started_ = false;
};
