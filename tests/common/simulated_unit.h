#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The chunks one after another, as the line carried them.
inline Bytes joined(const std::vector<Bytes>& chunks) {
    Bytes all;
    for (const Bytes& chunk : chunks)
        all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
}

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
    // Every chunk the unit took from ("rx") or wrote to ("tx") the line, in order, with
    // when it did so.
    std::vector<TimedChunk> timedChunks(const QByteArray& direction) const {
        std::vector<TimedChunk> chunks;
        for (const QList<QByteArray>& words : logLines())
            if (words.size() > 2 && words[1] == direction) {
                const QByteArray bytes = QByteArray::fromHex(words.mid(2).join());
                chunks.push_back({words[0].toDouble(), Bytes(bytes.begin(), bytes.end())});
            }
        return chunks;
    }
    std::vector<Bytes> chunks(const QByteArray& direction) const {
        std::vector<Bytes> chunks;
        for (TimedChunk& chunk : timedChunks(direction))
            chunks.push_back(std::move(chunk.bytes));
        return chunks;
    }
    std::vector<Bytes> received() const { return chunks("rx"); }
    std::vector<Bytes> sent() const { return chunks("tx"); }

    // How often the unit noted `what` in its log ("present", "absent", "hangup").
    int notes(const QString& what) const {
        int count = 0;
        for (const QList<QByteArray>& words : logLines())
            count += words.size() == 3 && words[1] == "note" && words[2] == what.toUtf8();
        return count;
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
    std::vector<QList<QByteArray>> logLines() const {
        QFile file(log());
        file.open(QIODevice::ReadOnly);
        std::vector<QList<QByteArray>> lines;
        for (const QByteArray& line : file.readAll().split('\n'))
            lines.push_back(line.split(' '));
        return lines;
    }
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

// The cradles of a jig: one simulated unit per position, each on its own pseudo-terminal
// with its own options (a presence script, a fault), for tests that drive several
// positions at once.
class SimulatedJig {
public:
    explicit SimulatedJig(const std::vector<QStringList>& optionsPerPosition) {
        for (const QStringList& options : optionsPerPosition)
            units_.push_back(std::make_unique<SimulatedUnit>(options));
    }

    bool started() const {
        return std::all_of(units_.begin(), units_.end(),
                           [](const auto& u) { return u->started(); });
    }
    std::size_t size() const { return units_.size(); }
    // Position i from 0.
    SimulatedUnit& operator[](std::size_t i) { return *units_[i]; }
    // Every position as a --device argument, in order.
    QStringList deviceArguments() const {
        QStringList arguments;
        for (const auto& unit : units_)
            arguments << "--device" << unit->link();
        return arguments;
    }

private:
    std::vector<std::unique_ptr<SimulatedUnit>> units_;
};
