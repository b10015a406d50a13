#include "ui_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace velmora::test {
namespace {

class LeaveCheckTest : public QObject {
    Q_OBJECT

private slots:
    void judgesAClickOnAnotherControl_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("uhf");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<int>("beeps");
        QTest::newRow("repetitions 0") << "Text1"
                                       << "0" << false << false << 0;
        QTest::newRow("repetitions empty") << "Text1"
                                           << "" << false << false << 0;
        QTest::newRow("repetitions 9") << "Text1"
                                       << "9" << false << true << 0;
        QTest::newRow("interval 4 beeps") << "Textintert"
                                          << "4" << false << false << 1;
        QTest::newRow("interval 21 beeps") << "Textintert"
                                           << "21" << false << false << 1;
        QTest::newRow("interval 5") << "Textintert"
                                    << "5" << false << true << 0;
        QTest::newRow("code 256, silent") << "Txtcodatt"
                                          << "256" << false << false << 0;
        QTest::newRow("code 255") << "Txtcodatt"
                                  << "255" << false << true << 0;
        QTest::newRow("range 9999") << "Text2(3)"
                                    << "9999" << false << true << 0;
        QTest::newRow("number unchecked") << "Txtnumero"
                                          << "" << false << true << 0;
        QTest::newRow("VHF 174.0001") << "txttx"
                                      << "174.0001" << false << false << 1;
        QTest::newRow("VHF 150") << "txtrx"
                                 << "150" << false << true << 0;
        QTest::newRow("VHF 430") << "txttx"
                                 << "430" << false << false << 1;
        QTest::newRow("UHF 430") << "txttx"
                                 << "430" << true << true << 0;
        QTest::newRow("UHF 399.99") << "txttx"
                                    << "399.99" << true << false << 1;
        QTest::newRow("empty frequency") << "txtrx"
                                         << "" << true << false << 1;
    }

    void judgesAClickOnAnotherControl() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, uhf);
        QFETCH(bool, leaves);
        QFETCH(int, beeps);
        StartedWindow window;
        if (uhf) {
            window.model.setValue("Option2", true);
        }
        auto* box = window.control<QLineEdit>(name.toLatin1().constData());
        typeInto(box, typed);
        QCOMPARE(QApplication::focusWidget(), box);

        QTest::mouseClick(window.control("Command1"), Qt::LeftButton);
        QCOMPARE(window.commands, leaves ? QStringList{"Command1"} : QStringList{});
        QCOMPARE(QApplication::focusWidget() == box, !leaves);
        QCOMPARE(window.beeps, beeps);
        QCOMPARE(box->text(), typed);
    }

    void refusedClickLeavesTheClickedControlAlone() {
        StartedWindow window;
        auto* interval = window.control<QLineEdit>("Textintert");
        typeInto(interval, "50");
        for (const char* name : {"Check2", "Optrete(2)", "Option2", "Command7", "Command6"}) {
            QTest::mouseClick(window.control(name), Qt::LeftButton);
        }
        QVERIFY(!window.model.value("Check2"));
        QVERIFY(!window.model.value("Optrete(2)"));
        QVERIFY(window.model.value("Option1"));
        QVERIFY(window.commands.isEmpty());
        QCOMPARE(window.beeps, 5);
        QCOMPARE(QApplication::focusWidget(), interval);

        QTest::keyClick(interval, Qt::Key_Backspace);
        QTest::mouseClick(window.control("Check2"), Qt::LeftButton);
        QVERIFY(window.model.value("Check2"));
        QCOMPARE(QApplication::focusWidget(), window.control("Check2"));
    }

    void tabAndBacktabAreLeavesToo() {
        StartedWindow window;
        auto* repetitions = window.control<QLineEdit>("Text1");
        typeInto(repetitions, "0");
        QTest::keyClick(repetitions, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), repetitions);
        QTest::keyClick(repetitions, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), repetitions);

        QTest::keyClick(repetitions, Qt::Key_Backspace);
        QTest::keyClicks(repetitions, "3");
        QTest::keyClick(repetitions, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), window.control("Textintert"));
    }

    void clicksThatMoveNoFocusAreNotLeaves() {
        StartedWindow window;
        auto* interval = window.control<QLineEdit>("Textintert");
        typeInto(interval, "4");
        for (const char* name : {"Label9", "Label29", "Txtsir", "Textintert"}) {
            QTest::mouseClick(window.control(name), Qt::LeftButton);
        }
        QCOMPARE(window.beeps, 0);
        QCOMPARE(QApplication::focusWidget(), interval);
    }

    // Text written by the program is not judged until the operator tries to leave.
    void programWrittenValueIsJudgedOnlyWhenLeaving() {
        StartedWindow window;
        window.model.setText("Txtsir", "999");
        window.model.setValue("Check1", true);
        QCOMPARE(window.beeps, 0);
        auto* siren = window.control<QLineEdit>("Txtsir");
        QTest::mouseClick(siren, Qt::LeftButton);
        QTest::mouseClick(window.control("Command4"), Qt::LeftButton);
        QCOMPARE(window.beeps, 1);
        QVERIFY(window.commands.isEmpty());
        QCOMPARE(siren->text(), QStringLiteral("999"));
    }
};

const bool registered = registerUiTest<LeaveCheckTest>();

} // namespace
} // namespace velmora::test

#include "leave_check_test.moc"
