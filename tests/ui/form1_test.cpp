#include "model/form_model.h"
#include "ui/form1.h"
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
#include <tuple>

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

    template <class Widget = QWidget> Widget* control(ControlId name) const {
        return form_->findChild<Widget*>(QString::fromStdString(controlName(name)));
    }
    bool checked(ControlId name) const { return control<QAbstractButton>(name)->isChecked(); }
    QString text(ControlId name) const { return control<QLineEdit>(name)->text(); }
    void click(ControlId name) const { QTest::mouseClick(control(name), Qt::LeftButton); }

    // Clicks into a box, empties it with End and Backspace, and types.
    void typeInto(ControlId name, const QString& typed) const {
        auto* box = control<QLineEdit>(name);
        click(name);
        QTest::keyClick(box, Qt::Key_End);
        for (qsizetype n = box->text().size(); n > 0; --n) {
            QTest::keyClick(box, Qt::Key_Backspace);
        }
        QTest::keyClicks(box, typed);
    }

    void pasteFromContextMenu(ControlId name) const {
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
        QVERIFY(!control("Command5"_control)->isEnabled());
        auto* link = control<QLabel>("Label20"_control);
        QCOMPARE(link->text(), QStringLiteral("Sconnesso"));
        QCOMPARE(link->palette().color(QPalette::Window), QColor(255, 0, 0));
        QCOMPARE(control<QLabel>("Label19"_control)->palette().color(QPalette::Window),
                 form_->palette().color(QPalette::Button));
        QVERIFY(control("Check4"_control)->isHidden());
        QVERIFY(checked("Option4"_control));
        QCOMPARE(text("txtrx"_control), QStringLiteral("160.0000"));
        QCOMPARE(control<QComboBox>("Combotono"_control)->currentText(), QStringLiteral("Notone"));
    }

    // Every control of the window (placed once, which the build checks) sits inside the
    // widget of its frame.
    void layoutPlacesEveryControlInItsFrame() {
        for (std::size_t index = 0; index < kControlCount; ++index) {
            const ControlId id(index);
            const std::optional<ControlId> frame = containerOf(id);
            QCOMPARE(control(id)->parentWidget()->objectName(),
                     QString::fromStdString(frame ? controlName(*frame) : "Form1"));
        }
    }

    // Pixels at 96 dots per inch from the client area's top-left corner, the font's points
    // and, for a label, its alignment.
    void placesControlsAtTheirPixels() {
        if (form_->screen()->logicalDotsPerInch() != 96) {
            QSKIP("the pixel table holds for 96 dots per inch");
        }
        QCOMPARE(form_->size(), QSize(560, 603));
        const std::pair<ControlId, const char*> rows[] = {
            {"Txtnumero"_control, "140,140 121x19 8.25"},
            {"Command1"_control, "212,544 153x37 8.25"},
            {"Text3(15)"_control, "500,548 41x19 8.25"},
            {"Optrete(5)"_control, "244,354 17x25 8.25"},
            {"Check3(0)"_control, "164,440 13x13 8.25"},
            {"Label23(15)"_control, "392,552 56x17 8.25 right"},
            {"Label20"_control, "444,44 105x17 8.25 centre"},
            {"Label21"_control, "60,16 197x21 12 left"},
            {"Label24(1)"_control, "432,344 85x21 9.75 left"},
            {"Labintert"_control, "8,336 119x17 8.25 right"},
        };
        for (const auto& [name, place] : rows) {
            const QWidget* widget = control(name);
            const QPoint corner = widget->mapTo(form_.get(), QPoint(0, 0));
            QString shown = QStringLiteral("%1,%2 %3x%4 %5")
                                .arg(corner.x())
                                .arg(corner.y())
                                .arg(widget->width())
                                .arg(widget->height())
                                .arg(widget->font().pointSizeF());
            if (const auto* label = qobject_cast<const QLabel*>(widget)) {
                const Qt::Alignment alignment = label->alignment() & Qt::AlignHorizontal_Mask;
                shown += alignment == Qt::AlignRight     ? " right"
                         : alignment == Qt::AlignHCenter ? " centre"
                         : alignment == Qt::AlignLeft    ? " left"
                                                         : " other";
            }
            QCOMPARE(QString::fromStdString(controlName(name)) + " " + shown,
                     QString::fromStdString(controlName(name)) + " " + place);
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
    void filtersAndLimitsTyping() {
        const std::tuple<ControlId, QString, QString> rows[] = {
            {"Txtcodatt"_control, "1a-,2 3", "123"},     // letters, minus, comma, blank
            {"txttx"_control, "123.456789", "123.4567"}, // a frequency stops at 8
        };
        for (const auto& [name, typed, shown] : rows) {
            typeInto(name, typed);
            QCOMPARE(text(name), shown);
            QCOMPARE(QString::fromStdString(model_.text(name)), shown);
        }
    }

    void editingKeysPassAndClipboardShortcutsDoNothing() {
        auto* number = control<QLineEdit>("Txtnumero"_control);
        QApplication::clipboard()->setText(QStringLiteral("7"));
        click("Txtnumero"_control);
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
        QCOMPARE(text("txttx"_control), QStringLiteral("165.12345"));
        click("txttx"_control);
        QTest::keyClick(control("txttx"_control), Qt::Key_End);
        QTest::keyClicks(control("txttx"_control), "6");
        QCOMPARE(model_.text("txttx"_control), std::string("165.12345"));
        QTest::keyClick(control("txttx"_control), Qt::Key_Backspace);
        QCOMPARE(model_.text("txttx"_control), std::string("165.1234"));
    }

    void menuPasteIsLimitedButNotFiltered() {
        typeInto("Txtcodatt"_control, "");
        QApplication::clipboard()->setText(QStringLiteral("1234"));
        pasteFromContextMenu("Txtcodatt"_control);
        QCOMPARE(text("Txtcodatt"_control), QString());
        QApplication::clipboard()->setText(QStringLiteral("12a"));
        pasteFromContextMenu("Txtcodatt"_control);
        QCOMPARE(model_.text("Txtcodatt"_control), std::string("12a"));
    }

    // The verdicts are the core's; here a silent refusal, a beep and the band reach the click.
    void leaveCheckJudgesAClickOnACommand() {
        const struct {
            ControlId name;
            QString typed;
            bool uhf;
            bool leaves;
            int beeps;
        } rows[] = {{"Text1"_control, "0", false, false, 0},
                    {"txttx"_control, "430", false, false, 1},
                    {"txttx"_control, "430", true, true, 0}};
        for (const auto& row : rows) {
            cleanup();
            init();
            model_.setValue("Option2"_control, row.uhf);
            typeInto(row.name, row.typed);
            click("Command1"_control);
            QCOMPARE(commands_, row.leaves ? QStringList{"Command1"} : QStringList{});
            QCOMPARE(QApplication::focusWidget() == control(row.name), !row.leaves);
            QCOMPARE(beeps_, row.beeps);
            QCOMPARE(text(row.name), row.typed);
        }
    }

    void refusedClickLeavesTheClickedControlAlone() {
        typeInto("Textintert"_control, "50");
        for (const ControlId name : {"Check2"_control, "Optrete(2)"_control, "Option2"_control,
                                     "Label9"_control, "Txtsir"_control}) {
            click(name);
        }
        // The label and the disabled box take no focus: no leave, no beep.
        QCOMPARE(beeps_, 3);
        QVERIFY(!model_.value("Check2"_control) && !model_.value("Optrete(2)"_control));
        QVERIFY(model_.value("Option1"_control));
        QCOMPARE(QApplication::focusWidget(), control("Textintert"_control));
        QTest::keyClick(control("Textintert"_control), Qt::Key_Backspace);
        click("Check2"_control);
        QVERIFY(model_.value("Check2"_control));
    }

    void clickFromAnotherApplicationIsALeave() {
        typeInto("Textintert"_control, "4");
        QWidget elsewhere;
        elsewhere.show();
        elsewhere.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QCOMPARE(beeps_, 0);
        click("Command4"_control);
        QVERIFY(commands_.isEmpty());
        QCOMPARE(beeps_, 1);
    }

    void tabIsALeaveToo() {
        typeInto("Text1"_control, "0");
        QTest::keyClick(control("Text1"_control), Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::keyClick(control("Text1"_control), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control("Text1"_control));
        typeInto("Text1"_control, "3");
        QTest::keyClick(control("Text1"_control), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), control("Textintert"_control));
    }

    void controlPanelModeShowsItsControls() {
        click("Check1"_control);
        QVERIFY(!control("Check4"_control)->isHidden());
        QVERIFY(control("Check3(5)"_control)->isHidden());
        QVERIFY(!control("Optrete(5)"_control)->isEnabled());
        QVERIFY(control("Txtsir"_control)->isEnabled());
        click("Check1"_control);
        QVERIFY(control("Check4"_control)->isHidden());
        QVERIFY(!checked("Option4"_control));
    }

    // Without exclusive buttons in the toolkit, the model alone decides every selection.
    void selectionsFollowTheModel() {
        click("Optbatt(3)"_control);
        click("Optrete(3)"_control);
        QVERIFY(!checked("Optbatt(3)"_control) && checked("Optrete(3)"_control));
        QVERIFY(!control("Check3(3)"_control)->isEnabledTo(control("Frame6"_control)));
        click("Optrete(3)"_control);
        QVERIFY(checked("Optrete(3)"_control));
        click("Command2"_control);
        QVERIFY(!checked("Optrete(3)"_control));
    }

    void buttonsAndListReachTheirTargets() {
        typeInto("Text2(0)"_control, "12");
        click("Command7"_control);
        QCOMPARE(text("Text2(0)"_control), QStringLiteral("0"));
        for (const ControlId name :
             {"Command1"_control, "Command4"_control, "Command5"_control, "Command6"_control}) {
            click(name);
        }
        QCOMPARE(commands_, (QStringList{"Command1", "Command4", "Command6"}));

        auto* tones = control<QComboBox>("Combotono"_control);
        tones->setFocus();
        QTest::keyClick(tones, Qt::Key_Down);
        QCOMPARE(model_.comboRow(), 1);
        model_.setComboRow(18);
        QCOMPARE(tones->currentText(), QStringLiteral("123"));
        model_.setCaption("Label20"_control, "Connesso", Background::Green);
        QCOMPARE(control<QLabel>("Label20"_control)->text(), QStringLiteral("Connesso"));
        QCOMPARE(control("Label20"_control)->palette().color(QPalette::Window), QColor(0, 255, 0));
    }
};

} // namespace
} // namespace velmora

QTEST_MAIN(velmora::Form1Test)
#include "form1_test.moc"
