#pragma once

#include "app/operator_dialogs.h"

#include <QStringList>

#include <deque>
#include <optional>

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
