#include "app/qt_operator_dialogs.h"
#include "simulated_unit.h"
#include "ui/form1.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>

using velmora::QtOperatorDialogs;

namespace {

// Runs `act` on the modal dialog of type D as soon as it is up; records whether it was.
template <typename D> void whenShown(std::function<void(D*)> act, bool& seen) {
    auto* watcher = new QTimer;
    watcher->setInterval(5);
    QObject::connect(watcher, &QTimer::timeout, [watcher, act, &seen] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            watcher->stop();
            watcher->deleteLater();
            seen = true;
            act(dialog);
        }
    });
    watcher->start();
}

} // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void portPromptIsTheInputBox() {
        QtOperatorDialogs dialogs;
        bool seen = false;
        whenShown<QInputDialog>(
            [](QInputDialog* prompt) {
                QCOMPARE(prompt->windowTitle(), QStringLiteral("Selezione seriale"));
                QCOMPARE(prompt->labelText(), QStringLiteral("Com Port?"));
                QCOMPARE(prompt->textValue(), QString());
                prompt->findChild<QLineEdit*>()->setText(QStringLiteral("3"));
                prompt->accept();
            },
            seen);
        QCOMPARE(dialogs.askPort(), std::optional<QString>(QStringLiteral("3")));
        QVERIFY(seen);

        whenShown<QInputDialog>([](QInputDialog* prompt) { prompt->reject(); }, seen);
        QCOMPARE(dialogs.askPort(), std::nullopt);
    }

    void noticeHasOnlyOkAndNoIcon() {
        QtOperatorDialogs dialogs;
        bool seen = false;
        whenShown<QMessageBox>(
            [](QMessageBox* box) {
                QCOMPARE(box->windowTitle(), QStringLiteral("Avviso"));
                QCOMPARE(box->text(), QStringLiteral("Errore nei Range REP"));
                QCOMPARE(box->icon(), QMessageBox::NoIcon);
                QCOMPARE(box->buttons().size(), 1);
                QCOMPARE(box->standardButton(box->buttons().constFirst()), QMessageBox::Ok);
                box->buttons().constFirst()->click();
            },
            seen);
        dialogs.show({QStringLiteral("Avviso"), QStringLiteral("Errore nei Range REP"), {}});
        QVERIFY(seen);
    }

    void fileDialogOffersProgrammingFilesAndTheLastName() {
        QtOperatorDialogs dialogs(QtOperatorDialogs::FileDialogStyle::QtOnly);
        QTemporaryDir folder;
        const QString last = folder.filePath(QStringLiteral("last.prg"));
        bool seen = false;
        whenShown<QFileDialog>(
            [&](QFileDialog* dialog) {
                QCOMPARE(dialog->nameFilters(), QStringList{"file programmazione (*.prg)"});
                QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
                QCOMPARE(dialog->findChild<QLineEdit*>("fileNameEdit")->text(),
                         QStringLiteral("last.prg"));
                dialog->findChild<QLineEdit*>("fileNameEdit")->setText(QStringLiteral("new"));
                static_cast<QDialog*>(dialog)->accept();
            },
            seen);
        QCOMPARE(dialogs.chooseSaveFile(last), folder.filePath(QStringLiteral("new.prg")));
        QVERIFY(seen);

        whenShown<QFileDialog>(
            [](QFileDialog* dialog) {
                QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
                dialog->reject();
            },
            seen);
        QCOMPARE(dialogs.chooseImportFile(last), QString());
    }

    // The window's buttons reach the commands.
    void programmaClickedInTheWindowSendsTheFrame() {
        Rig rig;
        QVERIFY(rig.startOnPort1());
        velmora::Form1 window(rig.model);
        connect(&window, &velmora::Form1::commandRequested, &rig.controller,
                &velmora::Controller::runCommand);
        window.show();
        auto* programma = window.findChild<QAbstractButton*>(QStringLiteral("Command1"));
        QVERIFY(programma);
        QTest::mouseClick(programma, Qt::LeftButton);
        QVERIFY(rig.controller.txFrame());
        QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QLabel*>(QStringLiteral("Label19"))->text(),
                                  QStringLiteral("Programmato"), 800);
        QVERIFY(window.findChild<QAbstractButton*>(QStringLiteral("Command5"))->isEnabled());
    }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
