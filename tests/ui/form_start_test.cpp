#include "ui/form_layout.h"
#include "ui_test_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

namespace velmora::test {
namespace {

QColor background(const QWidget* label) {
    return label->palette().color(QPalette::Window);
}

class FormStartTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheStartStates() {
        StartedWindow window;
        QCOMPARE(window.form->windowTitle(), QStringLiteral("Velmora"));
        QCOMPARE(window.form->objectName(), QStringLiteral("Form1"));

        QVERIFY(!window.control("Command5")->isEnabled());
        for (const char* command : {"Command1", "Command4", "Command6"}) {
            QVERIFY2(window.control(command)->isEnabled(), command);
        }
        auto* link = window.control<QLabel>("Label20");
        QCOMPARE(link->text(), QStringLiteral("Sconnesso"));
        QCOMPARE(background(link), QColor(255, 0, 0));
        auto* status = window.control<QLabel>("Label19");
        QCOMPARE(status->text(), QString());
        QCOMPARE(background(status), window.form->palette().color(QPalette::Button));

        auto* beep = window.control<QAbstractButton>("Check4");
        QVERIFY(beep->isHidden());
        QVERIFY(beep->isChecked());
        auto* insDisOne = window.control<QAbstractButton>("Option4");
        QVERIFY(insDisOne->isChecked());
        QVERIFY(!insDisOne->isEnabled());
        QVERIFY(!window.control("Option3")->isEnabled());
        for (const char* panel : {"Txtsir", "txtin", "Txtout", "Label10", "Label6", "Frame6",
                                  "Check3(0)", "Check3(5)"}) {
            QVERIFY2(!window.control(panel)->isEnabled(), panel);
        }
        QVERIFY(window.control("Check1")->isEnabled());

        QVERIFY(window.control<QAbstractButton>("Option1")->isChecked());
        QCOMPARE(window.control<QLineEdit>("txttx")->text(), QStringLiteral("160.0000"));
        QCOMPARE(window.control<QLineEdit>("txtrx")->text(), QStringLiteral("160.0000"));
        QCOMPARE(window.control<QComboBox>("Combotono")->currentText(), QStringLiteral("Notone"));
        QCOMPARE(window.control<QComboBox>("Combotono")->count(), 33);
        QCOMPARE(window.control<QLineEdit>("Txtcodatt")->text(), QStringLiteral("24"));
        QCOMPARE(window.control<QLineEdit>("Text3(15)")->text(), QStringLiteral("0"));
    }

    // The layout table and the model must name the same controls, with the same
    // captions, kinds and frames, or a control would be missing or misplaced.
    void layoutAgreesWithTheModel() {
        StartedWindow window;
        const std::vector<std::string> names = window.model.controlNames();
        QCOMPARE(formLayout().size(), names.size());
        for (const ControlLayout& layout : formLayout()) {
            const QByteArray name = QByteArray::fromStdString(layout.name);
            QVERIFY2(window.model.has(layout.name), name);
            QVERIFY2(window.model.kind(layout.name) == layout.kind, name);
            const std::string& container = window.model.container(layout.name);
            const QWidget* widget = window.control(name.constData());
            QVERIFY2(widget != nullptr, name);
            QCOMPARE(widget->parentWidget()->objectName().toStdString(),
                     container.empty() ? std::string("Form1") : container);
            if (layout.kind != ControlKind::TextBox && layout.kind != ControlKind::ComboBox) {
                QCOMPARE(layout.caption, window.model.text(layout.name));
            }
        }
    }

    void placesControlsAtTheirPixels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        // Pixels at 96 dots per inch, from the client area's top-left corner.
        QTest::newRow("Txtnumero") << "Txtnumero" << QRect(140, 140, 121, 19);
        QTest::newRow("Command1") << "Command1" << QRect(212, 544, 153, 37);
        QTest::newRow("Text3(15)") << "Text3(15)" << QRect(500, 548, 41, 19);
        QTest::newRow("Label23(15)") << "Label23(15)" << QRect(392, 552, 56, 17);
        QTest::newRow("Label20") << "Label20" << QRect(444, 44, 105, 17);
        QTest::newRow("Image1") << "Image1" << QRect(8, 16, 46, 48);
        QTest::newRow("Command5") << "Command5" << QRect(264, 44, 169, 17);
        QTest::newRow("Optrete(5)") << "Optrete(5)" << QRect(244, 354, 17, 25);
        QTest::newRow("Check3(0)") << "Check3(0)" << QRect(164, 440, 13, 13);
        QTest::newRow("Option4") << "Option4" << QRect(244, 416, 17, 17);
        QTest::newRow("Labintert") << "Labintert" << QRect(8, 336, 119, 17);
        QTest::newRow("Txtsir") << "Txtsir" << QRect(136, 468, 121, 19);
        QTest::newRow("Label6") << "Label6" << QRect(272, 472, 101, 17);
        QTest::newRow("Frame5") << "Frame5" << QRect(380, 68, 177, 529);
    }

    void placesControlsAtTheirPixels() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        StartedWindow window;
        if (window.form->screen()->logicalDotsPerInch() != 96) {
            QSKIP("the pixel table holds for 96 dots per inch");
        }
        QCOMPARE(window.form->size(), QSize(560, 603));
        const QWidget* widget = window.control(name.toLatin1().constData());
        QCOMPARE(QRect(widget->mapTo(window.form.get(), QPoint(0, 0)), widget->size()), place);
    }

    void captionsHaveTheirFontAndAlignment_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("horizontal");
        QTest::newRow("maker") << "Label21" << 12.0 << int(Qt::AlignLeft);
        QTest::newRow("block") << "Label24(1)" << 9.75 << int(Qt::AlignLeft);
        QTest::newRow("caption") << "Labnumero" << 8.25 << int(Qt::AlignRight);
        QTest::newRow("row") << "Label23(3)" << 8.25 << int(Qt::AlignRight);
        QTest::newRow("status") << "Label19" << 8.25 << int(Qt::AlignHCenter);
        QTest::newRow("column") << "Label28" << 8.25 << int(Qt::AlignHCenter);
        QTest::newRow("scale") << "Label29" << 8.25 << int(Qt::AlignHCenter);
        QTest::newRow("range") << "Label1" << 8.25 << int(Qt::AlignLeft);
    }

    void captionsHaveTheirFontAndAlignment() {
        QFETCH(QString, name);
        QFETCH(double, points);
        QFETCH(int, horizontal);
        StartedWindow window;
        const auto* label = window.control<QLabel>(name.toLatin1().constData());
        QCOMPARE(label->font().pointSizeF(), points);
        QCOMPARE(int(label->alignment() & Qt::AlignHorizontal_Mask), horizontal);
        QCOMPARE(label->font().weight(), QFont::Normal);
    }
};

const bool registered = registerUiTest<FormStartTest>();

} // namespace
} // namespace velmora::test

#include "form_start_test.moc"
