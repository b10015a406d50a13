#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdint>
#include <memory>
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

    // Every chunk the unit took from the line, in order.
    std::vector<Bytes> received() const { return chunks("rx"); }
    // Every chunk the unit wrote to the line, in order.
    std::vector<Bytes> sent() const { return chunks("tx"); }

    std::vector<Bytes> chunks(const QByteArray& direction) const {
        QFile file(log());
        std::vector<Bytes> chunks;
        file.open(QIODevice::ReadOnly);
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() > 2 && words[1] == direction) {
                const QByteArray bytes = QByteArray::fromHex(words.mid(2).join());
                chunks.emplace_back(bytes.begin(), bytes.end());
            }
        }
        return chunks;
    }

    // How often the unit noted `what` in its log ("present", "absent", "hangup").
    int notes(const QString& what) const {
        QFile file(log());
        file.open(QIODevice::ReadOnly);
        int count = 0;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            count += words.size() == 3 && words[1] == "note" && words[2] == what.toUtf8();
        }
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
        for (const auto& unit : units_)
            if (!unit->started())
                return false;
        return true;
    }
    std::size_t size() const { return units_.size(); }
    // Position i from 0.
    SimulatedUnit& operator[](std::size_t i) { return *units_[i]; }
    // The devices of the positions in order, for --device or VELMORA_COM<n>.
    QStringList devices() const {
        QStringList links;
        for (const auto& unit : units_)
            links << unit->link();
        return links;
    }

private:
    std::vector<std::unique_ptr<SimulatedUnit>> units_;
};
