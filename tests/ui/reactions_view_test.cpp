#include "ui_test_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace velmora::test {
namespace {

bool checked(const StartedWindow& window, const char* name) {
    return window.control<QAbstractButton>(name)->isChecked();
}

// The control's own enabled switch, whatever its frame says.
bool ownSwitchOn(const StartedWindow& window, const char* name) {
    QWidget* widget = window.control(name);
    return widget->isEnabledTo(widget->parentWidget());
}

void click(const StartedWindow& window, const char* name) {
    QTest::mouseClick(window.control(name), Qt::LeftButton);
}

class ReactionsViewTest : public QObject {
    Q_OBJECT

private slots:
    void controlPanelModeShowsItsControls() {
        StartedWindow window;
        click(window, "Check1");
        QVERIFY(checked(window, "Check1"));
        QVERIFY(!window.control("Check4")->isHidden());
        QVERIFY(window.control("Check3(5)")->isHidden());
        QVERIFY(!window.control("Optrete(5)")->isEnabled());
        QVERIFY(!window.control("Optbatt(5)")->isEnabled());
        for (const char* name : {"Txtsir", "txtin", "Txtout", "Label10", "Label13", "Frame6",
                                 "Check3(0)", "Option3", "Option4"}) {
            QVERIFY2(window.control(name)->isEnabled(), name);
        }

        click(window, "Check1");
        QVERIFY(window.control("Check4")->isHidden());
        QVERIFY(!window.control("Txtsir")->isEnabled());
        QVERIFY(!checked(window, "Option4"));
        QVERIFY(window.control("Optrete(5)")->isEnabled());
    }

    void positionRowsDoNotShareAPosition() {
        StartedWindow window;
        click(window, "Check1");
        click(window, "Optbatt(3)");
        click(window, "Optrete(3)");
        QVERIFY(!checked(window, "Optbatt(3)"));
        QVERIFY(checked(window, "Optrete(3)"));
        QVERIFY(!ownSwitchOn(window, "Check3(3)"));
        QVERIFY(!checked(window, "Check3(3)"));
        QVERIFY(ownSwitchOn(window, "Check3(2)"));

        click(window, "Optbatt(1)");
        QVERIFY(checked(window, "Optrete(3)"));
        QVERIFY(checked(window, "Optbatt(1)"));
    }

    // Without exclusive buttons, a second click would deselect in the toolkit.
    void clickingASelectedOptionKeepsIt() {
        StartedWindow window;
        click(window, "Optrete(2)");
        click(window, "Optrete(2)");
        QVERIFY(checked(window, "Optrete(2)"));
        click(window, "Optrete(4)");
        QVERIFY(!checked(window, "Optrete(2)"));
        QVERIFY(checked(window, "Optrete(4)"));
        click(window, "Command2");
        QVERIFY(!checked(window, "Optrete(4)"));
        QVERIFY(!window.model.value("Optrete(4)"));
    }

    void bandSwitchRewritesBothFrequencies() {
        StartedWindow window;
        typeInto(window.control("txttx"), "155");
        click(window, "Option2");
        QVERIFY(checked(window, "Option2"));
        QVERIFY(!checked(window, "Option1"));
        QCOMPARE(window.control<QLineEdit>("txttx")->text(), QStringLiteral("460.0000"));
        QCOMPARE(window.control<QLineEdit>("txtrx")->text(), QStringLiteral("460.0000"));
    }

    void clearResetsOnlyItsBlock() {
        StartedWindow window;
        typeInto(window.control("Text2(0)"), "12");
        typeInto(window.control("Text3(7)"), "34");
        typeInto(window.control("Text2(8)"), "56");
        click(window, "Command7");
        QCOMPARE(window.control<QLineEdit>("Text2(0)")->text(), QStringLiteral("0"));
        QCOMPARE(window.control<QLineEdit>("Text3(7)")->text(), QStringLiteral("0"));
        QCOMPARE(window.control<QLineEdit>("Text2(8)")->text(), QStringLiteral("56"));
    }

    void toneChoiceReachesTheModel() {
        StartedWindow window;
        auto* tones = window.control<QComboBox>("Combotono");
        tones->setFocus();
        QTest::keyClick(tones, Qt::Key_Down);
        QCOMPARE(window.model.comboRow(), 1);
        window.model.setComboRow(18);
        QCOMPARE(tones->currentText(), QStringLiteral("123"));
    }

    void commandButtonsAskForTheirCommand() {
        StartedWindow window;
        for (const char* name : {"Command1", "Command4", "Command5", "Command6"}) {
            click(window, name);
        }
        QCOMPARE(window.commands, (QStringList{"Command1", "Command4", "Command6"}));
        window.model.setEnabled("Command5", true);
        click(window, "Command5");
        QCOMPARE(window.commands.last(), QStringLiteral("Command5"));
    }

    void statusLabelsFollowTheModel() {
        StartedWindow window;
        window.model.setCaption("Label20", "Connesso", Background::Green);
        window.model.setCaption("Label19", "Programmato", Background::Green);
        for (const char* name : {"Label19", "Label20"}) {
            const auto* label = window.control<QLabel>(name);
            QCOMPARE(label->palette().color(QPalette::Window), QColor(0, 255, 0));
        }
        QCOMPARE(window.control<QLabel>("Label20")->text(), QStringLiteral("Connesso"));
        window.model.setCaption("Label19", "", Background::ButtonFace);
        QCOMPARE(window.control<QLabel>("Label19")->palette().color(QPalette::Window),
                 window.form->palette().color(QPalette::Button));
    }
};

const bool registered = registerUiTest<ReactionsViewTest>();

} // namespace
} // namespace velmora::test

#include "reactions_view_test.moc"
