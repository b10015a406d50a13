#pragma once

#include "app/controller.h"
#include "app/operator_dialogs.h"
#include "protocol/config_image.h"
#include "protocol/frames.h"
#include "tests/common/simulated_unit.h"

#include <QStringList>
#include <QTest>

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

using velmora::operator""_control;

// The start-up prompt asked once more than the test scripted.
struct ScriptExhausted {};

// Answers the operator's dialogs from a script and writes down, in order, what the
// program asked and showed: "prompt", "beep", "notice Avviso: ...", "save <offered>",
// "import <offered>".
class ScriptedDialogs : public velmora::OperatorDialogs {
public:
    std::deque<std::optional<QString>> portAnswers; // std::nullopt: cancelled
    QString saveAnswer;                             // empty: cancelled
    QString importAnswer;
    QStringList events;
    QString lastDetail;

    std::optional<QString> askPort() override {
        events << "prompt";
        if (portAnswers.empty()) {
            throw ScriptExhausted{};
        }
        auto answer = portAnswers.front();
        portAnswers.pop_front();
        return answer;
    }
    void beep() override { events << "beep"; }
    void show(const velmora::Notice& notice) override {
        events << QStringLiteral("notice %1: %2").arg(notice.title, notice.text);
        lastDetail = notice.detail;
    }
    QString chooseSaveFile(const QString& lastName) override {
        events << "save " + lastName;
        return saveAnswer;
    }
    QString chooseImportFile(const QString& lastName) override {
        events << "import " + lastName;
        return importAnswer;
    }
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
    bool shows(velmora::ControlId label, const std::string& caption, int timeoutMs = 800) {
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
    for (std::size_t index = 0; index < velmora::kControlCount; ++index) {
        const velmora::ControlId name(index);
        if (name != "Label19"_control && name != "Label20"_control) {
            state << QStringLiteral("%1|%2|%3%4%5%6")
                         .arg(QString::fromStdString(velmora::controlName(name)),
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
