#pragma once

#include "app/controller.h"
#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "scripted_dialogs.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// velmora-unit-sim on a pseudo-terminal reached through a symbolic link, with its byte
// log, switched through its control channel.
class SimulatedUnit {
public:
    explicit SimulatedUnit(const QStringList& options) {
        process_.start(VELMORA_UNIT_SIM, QStringList{"--link", link(), "--log", log()} + options);
        readLine(); // the device
    }
    ~SimulatedUnit() {
        process_.terminate();
        process_.waitForFinished(2000);
    }
    QString link() const { return folder_.filePath("com1"); }
    QString log() const { return folder_.filePath("unit.log"); }
    QString folder() const { return folder_.path(); }

    bool control(const QString& line) {
        process_.write((line + '\n').toUtf8());
        return readLine() == "ok";
    }

    // Every chunk the unit took from the line, in order.
    std::vector<Bytes> received() const {
        QFile file(log());
        std::vector<Bytes> chunks;
        file.open(QIODevice::ReadOnly);
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.size() > 2 && words[1] == "rx") {
                const QByteArray bytes = QByteArray::fromHex(words.mid(2).join());
                chunks.emplace_back(bytes.begin(), bytes.end());
            }
        }
        return chunks;
    }

private:
    QString readLine() {
        while (!process_.canReadLine() && process_.waitForReadyRead(3000)) {
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }

    QTemporaryDir folder_;
    QProcess process_;
};

// The program's parts around one simulated unit.
struct Rig {
    explicit Rig(const QStringList& unitOptions = {}) : unit(unitOptions) {}

    bool startOnPort1() {
        qputenv("VELMORA_COM1", unit.link().toUtf8());
        dialogs.portAnswers = {"1"};
        controller.startUp();
        return link.isOpen();
    }
    bool shows(const char* label, const std::string& caption, int timeoutMs = 800) {
        return QTest::qWaitFor([&] { return model.text(label) == caption; }, timeoutMs);
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
        if (name != "Label19" && name != "Label20") {
            state << QStringLiteral("%1|%2|%3%4%5%6")
                         .arg(QString::fromStdString(name),
                              QString::fromStdString(model.text(name)))
                         .arg(model.value(name))
                         .arg(model.enabled(name))
                         .arg(model.visible(name))
                         .arg(static_cast<int>(model.background(name)));
        }
    }
    return state;
}

// The programming frame of the form right after start-up, as the unit must get it.
inline Bytes defaultFrame() {
    const velmora::Frame frame = velmora::programmingFrame(*velmora::encodeImage({}));
    return Bytes(frame.begin(), frame.end());
}

inline bool onlyPolls(const std::vector<Bytes>& chunks, std::size_t from = 0) {
    return std::all_of(chunks.begin() + static_cast<long>(from), chunks.end(),
                       [](const Bytes& chunk) { return chunk == Bytes{0x55}; });
}
