#include "ui/text_box.h"
#include "ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace velmora::test {
namespace {

QLineEdit* box(const StartedWindow& window, const QString& name) {
    return window.control<QLineEdit>(name.toLatin1().constData());
}

// Opens the box's context menu and chooses "Paste" in it.
void pasteFromContextMenu(QLineEdit* target) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, target->rect().center(),
                            target->mapToGlobal(target->rect().center()));
    QApplication::sendEvent(target, &event);
    QMenu* menu = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* candidate = qobject_cast<QMenu*>(top); candidate && candidate->isVisible()) {
            menu = candidate;
        }
    }
    QVERIFY(menu != nullptr);
    QAction* paste = TextBox::pasteAction(*menu);
    QVERIFY(paste != nullptr);
    paste->trigger();
    menu->close();
}

class TextBoxTest : public QObject {
    Q_OBJECT

private slots:
    void filtersAndLimitsTyping_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letters, minus, comma, blank") << "Txtcodatt"
                                                      << "1a-,2 3"
                                                      << "123";
        QTest::newRow("point refused in a count") << "Txtnumero"
                                                  << "1.2"
                                                  << "12";
        QTest::newRow("point taken in a frequency") << "txttx"
                                                    << "150.5x"
                                                    << "150.5";
        QTest::newRow("several points in a frequency") << "txtrx"
                                                       << "1.2.3"
                                                       << "1.2.3";
        QTest::newRow("range box") << "Text2(3)"
                                   << "9,9.9"
                                   << "999";
        QTest::newRow("number stops at 4") << "Txtnumero"
                                           << "123456"
                                           << "1234";
        QTest::newRow("group stops at 1") << "Txtgruppo"
                                          << "78"
                                          << "7";
        QTest::newRow("repetitions stop at 1") << "Text1"
                                               << "12"
                                               << "1";
        QTest::newRow("interval stops at 2") << "Textintert"
                                             << "123"
                                             << "12";
        QTest::newRow("frequency stops at 8") << "txttx"
                                              << "123.456789"
                                              << "123.4567";
        QTest::newRow("range stops at 4") << "Text3(15)"
                                          << "98765"
                                          << "9876";
    }

    void filtersAndLimitsTyping() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        StartedWindow window;
        QLineEdit* target = box(window, name);
        typeInto(target, typed);
        QCOMPARE(target->text(), shown);
        QCOMPARE(QString::fromStdString(window.model.text(name.toStdString())), shown);
    }

    void keysWithoutCharacterAreNotFiltered() {
        StartedWindow window;
        QLineEdit* number = box(window, "Txtnumero");
        QTest::mouseClick(number, Qt::LeftButton);
        QTest::keyClick(number, Qt::Key_Home);
        QTest::keyClick(number, Qt::Key_Delete);
        QTest::keyClick(number, Qt::Key_Right);
        QTest::keyClick(number, Qt::Key_Backspace);
        QCOMPARE(number->text(), QStringLiteral("1"));
        QCOMPARE(window.model.text("Txtnumero"), std::string("1"));
    }

    void clipboardShortcutsDoNothing() {
        StartedWindow window;
        QLineEdit* code = box(window, "Txtcodatt");
        QApplication::clipboard()->setText(QStringLiteral("7"));
        QTest::mouseClick(code, Qt::LeftButton);
        QTest::keyClick(code, Qt::Key_Home);
        QTest::keyClick(code, Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(code, Qt::Key_X, Qt::ControlModifier);
        QTest::keyClick(code, Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(code, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(code, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(code->text(), QStringLiteral("24"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("7"));
    }

    void programWrittenTextStaysWhole() {
        StartedWindow window;
        QLineEdit* transmit = box(window, "txttx");
        window.model.setText("txttx", "165.12345");
        QCOMPARE(transmit->text(), QStringLiteral("165.12345"));
        QCOMPARE(window.model.text("txttx"), std::string("165.12345"));

        QTest::mouseClick(transmit, Qt::LeftButton);
        QTest::keyClick(transmit, Qt::Key_End);
        QTest::keyClicks(transmit, "6");
        QCOMPARE(transmit->text(), QStringLiteral("165.12345"));
        QTest::keyClick(transmit, Qt::Key_Backspace);
        QTest::keyClicks(transmit, "7");
        QCOMPARE(transmit->text(), QStringLiteral("165.1234"));
        QCOMPARE(window.model.text("txttx"), std::string("165.1234"));
    }

    void menuPasteIsLimitedButNotFiltered() {
        StartedWindow window;
        QLineEdit* code = box(window, "Txtcodatt");
        typeInto(code, "");
        QApplication::clipboard()->setText(QStringLiteral("12a"));
        pasteFromContextMenu(code);
        QCOMPARE(code->text(), QStringLiteral("12a"));
        QCOMPARE(window.model.text("Txtcodatt"), std::string("12a"));

        typeInto(code, "");
        QApplication::clipboard()->setText(QStringLiteral("1234"));
        pasteFromContextMenu(code);
        QCOMPARE(code->text(), QString());
    }
};

const bool registered = registerUiTest<TextBoxTest>();

} // namespace
} // namespace velmora::test

#include "text_box_test.moc"
