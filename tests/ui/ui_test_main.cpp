#include "ui_test_support.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace velmora::test {

std::vector<TestFactory>& uiTests() {
    static std::vector<TestFactory> tests;
    return tests;
}

StartedWindow::StartedWindow() {
    model.selectStartBand();
    model.setComboRow(0);
    form = std::make_unique<Form1>(model);
    form->setBeep([this] { ++beeps; });
    QObject::connect(form.get(), &Form1::commandRequested,
                     [this](const QString& name) { commands << name; });
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) {
        qWarning("the window did not become active");
    }
}

void eraseByKeys(QWidget* box) {
    QTest::keyClick(box, Qt::Key_End);
    for (qsizetype n = static_cast<QLineEdit*>(box)->text().size(); n > 0; --n) {
        QTest::keyClick(box, Qt::Key_Backspace);
    }
}

void typeInto(QWidget* box, const QString& typed) {
    QTest::mouseClick(box, Qt::LeftButton);
    eraseByKeys(box);
    QTest::keyClicks(box, typed);
}

} // namespace velmora::test

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int failed = 0;
    for (const auto& makeTest : velmora::test::uiTests()) {
        const std::unique_ptr<QObject> test = makeTest();
        failed += QTest::qExec(test.get(), argc, argv);
    }
    return failed == 0 ? 0 : 1;
}
