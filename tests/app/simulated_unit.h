#pragma once

#include "app/controller.h"
#include "scripted_dialogs.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <memory>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// velmora-unit-sim on a pseudo-terminal reached through a symbolic link, with its byte
// log, switched through its control channel.
class SimulatedUnit {
public:
    explicit SimulatedUnit(const QStringList& options = {}) {
        link_ = folder_.filePath(QStringLiteral("com1"));
        log_ = folder_.filePath(QStringLiteral("unit.log"));
        process_.start(QStringLiteral(VELMORA_UNIT_SIM),
                       QStringList{"--link", link_, "--log", log_} + options);
        device_ = readLine();
    }
    ~SimulatedUnit() {
        process_.terminate();
        process_.waitForFinished(2000);
    }

    bool running() const { return !device_.isEmpty(); }
    const QString& link() const { return link_; }
    QString folder() const { return folder_.path(); }

    // Sends one control line and waits for its "ok".
    bool control(const QString& line) {
        process_.write((line + '\n').toUtf8());
        return readLine() == QLatin1String("ok");
    }

    // Every chunk the unit took from the line ("rx") or handed to it ("tx"), in order.
    std::vector<Bytes> chunks(const char* direction) const {
        QFile file(log_);
        std::vector<Bytes> result;
        if (!file.open(QIODevice::ReadOnly)) {
            return result;
        }
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() < 2 || words[1] != direction) {
                continue;
            }
            Bytes chunk;
            for (qsizetype i = 2; i < words.size(); ++i) {
                chunk.push_back(static_cast<std::uint8_t>(words[i].toUInt(nullptr, 16)));
            }
            result.push_back(chunk);
        }
        return result;
    }
    Bytes received() const {
        Bytes all;
        for (const Bytes& chunk : chunks("rx")) {
            all.insert(all.end(), chunk.begin(), chunk.end());
        }
        return all;
    }

private:
    QString readLine() {
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(3000)) {
                return {};
            }
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

    QTemporaryDir folder_;
    QString link_;
    QString log_;
    QString device_;
    QProcess process_;
};

// The program's parts around one simulated unit, started on port 1.
struct Rig {
    explicit Rig(const QStringList& unitOptions = {}) : unit(unitOptions) {}

    bool startOnPort1() {
        qputenv("VELMORA_COM1", unit.link().toUtf8());
        dialogs.portAnswers = {QStringLiteral("1")};
        controller.startUp();
        return link.isOpen();
    }
    QTimer* timer(const char* name) { return link.findChild<QTimer*>(name); }

    SimulatedUnit unit;
    velmora::FormModel model;
    velmora::SerialLink link;
    ScriptedDialogs dialogs;
    velmora::Controller controller{model, link, dialogs};
};

// Every control's state except the two status labels, which follow the line.
inline QStringList windowState(const velmora::FormModel& model) {
    QStringList state{QString::number(model.comboRow())};
    for (const std::string& name : model.controlNames()) {
        if (name == "Label19" || name == "Label20") {
            continue;
        }
        state << QStringLiteral("%1|%2|%3|%4|%5|%6")
                     .arg(QString::fromStdString(name), QString::fromStdString(model.text(name)))
                     .arg(model.value(name))
                     .arg(model.enabled(name))
                     .arg(model.visible(name))
                     .arg(static_cast<int>(model.background(name)));
    }
    return state;
}

// The image of the form right after start-up, byte by byte as the unit must get it.
inline Bytes defaultImage() {
    Bytes image{0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0xFF, 0x50, 0x00, 0xC8,
                0x00, 0xE2, 0x60, 0x05, 0x05, 0x41, 0x3F, 0x3F, 0x00, 0x05, 0x00,
                0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x41, 0x41, 0x41, 0x41};
    image.resize(96, 0x00);
    return image;
}

inline Bytes framed(Bytes image) {
    image.insert(image.begin(), 0xAA);
    image.push_back(0x55);
    return image;
}
