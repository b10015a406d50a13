#pragma once

#include "model/form_model.h"
#include "ui/form1.h"

#include <QObject>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace velmora::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<TestFactory>& uiTests();

template <class Test> bool registerUiTest() {
    uiTests().push_back([] { return std::make_unique<Test>(); });
    return true;
}

// The window after the caller's start-up (VHF, "Notone"), shown and active, with its
// beeps counted and its command requests recorded.
struct StartedWindow {
    FormModel model;
    std::unique_ptr<Form1> form;
    int beeps = 0;
    QStringList commands;

    StartedWindow();

    template <class Widget = QWidget> Widget* control(const char* name) const {
        return form->findChild<Widget*>(QString::fromLatin1(name));
    }
};

// Empties a text box the way an operator does: End, then Backspace until it is empty.
void eraseByKeys(QWidget* box);

// Clicks into a box and replaces its text by typing.
void typeInto(QWidget* box, const QString& typed);

} // namespace velmora::test
