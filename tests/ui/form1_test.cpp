#include "model/form_model.h"
#include "ui/form1.h"
#include "ui/form_layout.h"
#include "ui/text_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QStyleOptionButton>
#include <QTest>

#include <memory>

namespace velmora {
namespace {

// The window after the caller's start-up (VHF, "Notone"), shown and active, driven
// the way an operator drives it.
class Form1Test : public QObject {
    Q_OBJECT

    FormModel model_;
    std::unique_ptr<Form1> form_;
    int beeps_ = 0;
    QStringList commands_;

    template <class Widget = QWidget> Widget* control(const QString& name) const {
        return form_->findChild<Widget*>(name);
    }
    bool checked(const char* name) const { return control<QAbstractButton>(name)->isChecked(); }
    QString text(const QString& name) const { return control<QLineEdit>(name)->text(); }
    void click(const QString& name) const { QTest::mouseClick(control(name), Qt::LeftButton); }

    // Clicks into a box, empties it with End and Backspace, and types.
    void typeInto(const QString& name, const QString& typed) const {
        auto* box = control<QLineEdit>(name);
        click(name);
        QTest::keyClick(box, Qt::Key_End);
        for (qsizetype n = box->text().size(); n > 0; --n) {
            QTest::keyClick(box, Qt::Key_Backspace);
        }
        QTest::keyClicks(box, typed);
    }

    void pasteFromContextMenu(const QString& name) const {
        auto* box = control<QLineEdit>(name);
        QContextMenuEvent event(QContextMenuEvent::Mouse, box->rect().center(),
                                box->mapToGlobal(box->rect().center()));
        QApplication::sendEvent(box, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr && TextBox::pasteAction(*menu) != nullptr);
        TextBox::pasteAction(*menu)->trigger();
        menu->close();
    }

private slots:
    void init() {
        model_ = FormModel();
        model_.selectStartBand();
        model_.setComboRow(0);
        form_ = std::make_unique<Form1>(model_);
        beeps_ = 0;
        commands_.clear();
        form_->setBeep([this] { ++beeps_; });
        connect(form_.get(), &Form1::commandRequested, this,
                [this](const QString& name) { commands_ << name; });
        form_->show();
        form_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    }
    void cleanup() { form_.reset(); }

    void showsTheStartStates() {
        QCOMPARE(form_->windowTitle(), QStringLiteral("Velmora"));
        QVERIFY(!control("Command5")->isEnabled());
        auto* link = control<QLabel>("Label20");
        QCOMPARE(link->text(), QStringLiteral("Sconnesso"));
        QCOMPARE(link->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(control<QLabel>("Label19")->palette().color(QPalette::Window),
                 form_->palette().color(QPalette::Button));
        QVERIFY(control("Check4")->isHidden());
        QVERIFY(checked("Option4"));
        for (const char* name : {"Option4", "Option3", "Txtsir", "Label6", "Check3(0)"}) {
            QVERIFY2(!control(name)->isEnabled(), name);
        }
        QCOMPARE(text("txtrx"), QStringLiteral("160.0000"));
        QCOMPARE(control<QComboBox>("Combotono")->currentText(), QStringLiteral("Notone"));
    }

    // Every control of the window is placed once, inside the widget of its frame.
    void layoutPlacesEveryControlInItsFrame() {
        QCOMPARE(formLayout().size(), kControlCount);
        for (std::size_t index = 0; index < kControlCount; ++index) {
            const ControlId id(index);
            const std::optional<ControlId> frame = containerOf(id);
            QCOMPARE(control(QString::fromStdString(controlName(id)))->parentWidget()->objectName(),
                     QString::fromStdString(frame ? controlName(*frame) : "Form1"));
        }
    }

    void placesControlsAtTheirPixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("alignment");
        // Pixels at 96 dots per inch, from the client area's top-left corner.
        QTest::newRow("Txtnumero") << "Txtnumero" << QRect(140, 140, 121, 19) << 8.25 << 0;
        QTest::newRow("Command1") << "Command1" << QRect(212, 544, 153, 37) << 8.25 << 0;
        QTest::newRow("Text3(15)") << "Text3(15)" << QRect(500, 548, 41, 19) << 8.25 << 0;
        QTest::newRow("Optrete(5)") << "Optrete(5)" << QRect(244, 354, 17, 25) << 8.25 << 0;
        QTest::newRow("Check3(0)") << "Check3(0)" << QRect(164, 440, 13, 13) << 8.25 << 0;
        QTest::newRow("Label23(15)")
            << "Label23(15)" << QRect(392, 552, 56, 17) << 8.25 << int(Qt::AlignRight);
        QTest::newRow("Label20") << "Label20" << QRect(444, 44, 105, 17) << 8.25
                                 << int(Qt::AlignHCenter);
        QTest::newRow("Label21") << "Label21" << QRect(60, 16, 197, 21) << 12.0
                                 << int(Qt::AlignLeft);
        QTest::newRow("Label24(1)")
            << "Label24(1)" << QRect(432, 344, 85, 21) << 9.75 << int(Qt::AlignLeft);
        QTest::newRow("Labintert")
            << "Labintert" << QRect(8, 336, 119, 17) << 8.25 << int(Qt::AlignRight);
    }

    void placesControlsAtTheirPixels() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(double, points);
        QFETCH(int, alignment);
        if (form_->screen()->logicalDotsPerInch() != 96) {
            QSKIP("the pixel table holds for 96 dots per inch");
        }
        QCOMPARE(form_->size(), QSize(560, 603));
        const QWidget* widget = control(name);
        QCOMPARE(QRect(widget->mapTo(form_.get(), QPoint(0, 0)), widget->size()), place);
        QCOMPARE(widget->font().pointSizeF(), points);
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), alignment);
        }
    }

    // The direct-input boxes and "Lo" are smaller than most styles' indicator: each box
    // must still show its whole indicator inside its own rectangle.
    void checkBoxesAreDrawnWhole() {
        const QList<QCheckBox*> boxes = form_->findChildren<QCheckBox*>();
        QCOMPARE(boxes.size(), 9);
        for (const QCheckBox* box : boxes) {
            QStyleOptionButton option;
            option.initFrom(box);
            const QRect indicator =
                box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
            QVERIFY2(box->rect().contains(indicator) && !indicator.isEmpty(),
                     qPrintable(box->objectName()));
        }
    }

    // Each box's characters and length are the core's; here the window applies them.
    void filtersAndLimitsTyping_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letters, minus, comma, blank") << "Txtcodatt"
                                                      << "1a-,2 3"
                                                      << "123";
        QTest::newRow("frequency stops at 8") << "txttx"
                                              << "123.456789"
                                              << "123.4567";
    }

    void filtersAndLimitsTyping() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        typeInto(name, typed);
        QCOMPARE(text(name), shown);
        QCOMPARE(QString::fromStdString(model_.text(*findControl(name.toStdString()))), shown);
    }

    void editingKeysPassAndClipboardShortcutsDoNothing() {
        auto* number = control<QLineEdit>("Txtnumero");
        QApplication::clipboard()->setText(QStringLiteral("7"));
        click("Txtnumero");
        QTest::keyClick(number, Qt::Key_Home);
        QTest::keyClick(number, Qt::Key_Delete);
        QTest::keyClick(number, Qt::Key_End, Qt::ShiftModifier);
        for (const Qt::Key key : {Qt::Key_X, Qt::Key_C, Qt::Key_V}) {
            QTest::keyClick(number, key, Qt::ControlModifier);
        }
        QTest::keyClick(number, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(number->text(), QStringLiteral("01"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("7"));
    }

    void programWrittenTextStaysWhole() {
        model_.setText("txttx"_control, "165.12345");
        QCOMPARE(text("txttx"), QStringLiteral("165.12345"));
        click("txttx");
        QTest::keyClick(control("txttx"), Qt::Key_End);
        QTest::keyClicks(control("txttx"), "6");
        QCOMPARE(model_.text("txttx"_control), std::string("165.12345"));
        QTest::keyClick(control("txttx"), Qt::Key_Backspace);
        QCOMPARE(model_.text("txttx"_control), std::string("165.1234"));
    }

    void menuPasteIsLimitedButNotFiltered() {
        typeInto("Txtcodatt", "");
        QApplication::clipboard()->setText(QStringLiteral("1234"));
        pasteFromContextMenu("Txtcodatt");
        QCOMPARE(text("Txtcodatt"), QString());
        QApplication::clipboard()->setText(QStringLiteral("12a"));
        pasteFromContextMenu("Txtcodatt");
        QCOMPARE(model_.text("Txtcodatt"_control), std::string("12a"));
    }

    // The verdicts are the core's; here a silent refusal, a beep and the band reach the click.
    void leaveCheckJudgesAClickOnACommand_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("uhf");
        QTest::addColumn<bool>("leaves");
        QTest::addColumn<int>("beeps");
        QTest::newRow("repetitions 0, silent") << "Text1"
                                               << "0" << false << false << 0;
        QTest::newRow("interval 4 beeps") << "Textintert"
                                          << "4" << false << false << 1;
        QTest::newRow("VHF 430") << "txttx"
                                 << "430" << false << false << 1;
        QTest::newRow("UHF 430") << "txttx"
                                 << "430" << true << true << 0;
    }

    void leaveCheckJudgesAClickOnACommand() {
        QFETCH(QString, name);
        QFETCH(QString, typed);
        QFETCH(bool, uhf);
        QFETCH(bool, leaves);
        QFETCH(int, beeps);
        model_.setValue("Option2"_control, uhf);
        typeInto(name, typed);
        click("Command1");
        QCOMPARE(commands_, leaves ? QStringList{"Command1"} : QStringList{});
        QCOMPARE(QApplication::focusWidget() == control(name), !leaves);
        QCOMPARE(beeps_, beeps);
        QCOMPARE(text(name), typed);
    }

    void refusedClickLeavesTheClickedControlAlone() {
        typeInto("Textintert", "50");
        for (const char* name : {"Check2", "Optrete(2)", "Option2", "Label9", "Txtsir"}) {
            click(name);
        }
        // The label and the disabled box take no focus: no leave, no beep.
        QCOMPARE(beeps_, 3);
        QVERIFY(!model_.value("Check2"_control) && !model_.value("Optrete(2)"_control));
        QVERIFY(model_.value("Option1"_control));
        QCOMPARE(QApplication::focusWidget(), control("Textintert"));
        QTest::keyClick(control("Textintert"), Qt::Key_Backspace);
        click("Check2");
        QVERIFY(model_.value("Check2"_control));
    }

    void clickFromAnotherApplicationIsALeave() {
        typeInto("Textintert", "4");
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QCOMPARE(beeps_, 0);
        click("Command4");
        QVERIFY(commands_.isEmpty());
        QCOMPARE(beeps_, 1);
    }

    void tabIsALeaveToo() {
        typeInto("Text1", "0");
        QTest::keyClick(control("Text1"), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(control("Text1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control("Text1"));
        typeInto("Text1", "3");
        QTest::keyClick(control("Text1"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control("Textintert"));
    }

    void controlPanelModeShowsItsControls() {
        click("Check1");
        QVERIFY(!control("Check4")->isHidden());
        QVERIFY(control("Check3(5)")->isHidden());
        QVERIFY(!control("Optrete(5)")->isEnabled());
        for (const char* name : {"Txtsir", "Label10", "Check3(0)", "Option3", "Option4"}) {
            QVERIFY2(control(name)->isEnabled(), name);
        }
        click("Check1");
        QVERIFY(control("Check4")->isHidden());
        QVERIFY(!checked("Option4"));
    }

    // Without exclusive buttons in the toolkit, the model alone decides every selection.
    void selectionsFollowTheModel() {
        click("Optbatt(3)");
        click("Optrete(3)");
        QVERIFY(!checked("Optbatt(3)") && checked("Optrete(3)"));
        QVERIFY(!control("Check3(3)")->isEnabledTo(control("Frame6")));
        click("Optrete(3)");
        QVERIFY(checked("Optrete(3)"));
        click("Command2");
        QVERIFY(!checked("Optrete(3)"));
        click("Option2");
        QCOMPARE(text("txttx"), QStringLiteral("460.0000"));
    }

    void buttonsAndListReachTheirTargets() {
        typeInto("Text2(0)", "12");
        click("Command7");
        QCOMPARE(text("Text2(0)"), QStringLiteral("0"));
        for (const char* name : {"Command1", "Command4", "Command5", "Command6"}) {
            click(name);
        }
        QCOMPARE(commands_, (QStringList{"Command1", "Command4", "Command6"}));

        auto* tones = control<QComboBox>("Combotono");
        tones->setFocus();
        QTest::keyClick(tones, Qt::Key_Down);
        QCOMPARE(model_.comboRow(), 1);
        model_.setComboRow(18);
        QCOMPARE(tones->currentText(), QStringLiteral("123"));
        model_.setCaption("Label20"_control, "Connesso", Background::Green);
        QCOMPARE(control<QLabel>("Label20")->text(), QStringLiteral("Connesso"));
        QCOMPARE(control("Label20")->palette().color(QPalette::Window), QColor(0, 255, 0));
    }
};

} // namespace
} // namespace velmora

QTEST_MAIN(velmora::Form1Test)
#include "form1_test.moc"
