#include "app/qt_operator_dialogs.h"
#include "app/qt_translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using velmora::QtOperatorDialogs;

namespace {

// Runs `act` on the modal dialog of type D as soon as it is up.
template <typename D, typename Act> void whenShown(Act act) {
    auto* watcher = new QTimer;
    QObject::connect(watcher, &QTimer::timeout, [watcher, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            watcher->deleteLater();
            watcher->stop();
            act(dialog);
        }
    });
    watcher->start(5);
}

} // namespace

class QtDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void portPromptIsTheInputBox() {
        QtOperatorDialogs dialogs;
        QString shown;
        whenShown<QInputDialog>([&](QInputDialog* prompt) {
            shown = prompt->windowTitle() + "|" + prompt->labelText() + "|" + prompt->textValue();
            prompt->findChild<QLineEdit*>()->setText("3");
            prompt->accept();
        });
        QCOMPARE(dialogs.askPort(), std::optional<QString>("3"));
        QCOMPARE(shown, "Selezione seriale|Com Port?|");
        whenShown<QInputDialog>([](QInputDialog* prompt) { prompt->reject(); });
        QCOMPARE(dialogs.askPort(), std::nullopt);
    }

    void fileDialogOffersProgrammingFilesAndTheLastName() {
        QtOperatorDialogs dialogs(QtOperatorDialogs::FileDialogStyle::QtOnly);
        QTemporaryDir folder;
        QString shown;
        whenShown<QFileDialog>([&](QFileDialog* dialog) {
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            shown = dialog->nameFilters().join(";") + "|" + name->text();
            name->setText("new");
            static_cast<QDialog*>(dialog)->accept();
        });
        QCOMPARE(dialogs.chooseSaveFile(folder.filePath("last.prg")), folder.filePath("new.prg"));
        QCOMPARE(shown, "file programmazione (*.prg)|last.prg");
        whenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QCOMPARE(dialogs.chooseImportFile(folder.filePath("last.prg")), QString());
    }

    // Run under an Italian locale and under C: Qt's standard buttons follow the locale.
    void standardDialogsSpeakTheLocalesLanguage() {
        const bool italian = QLocale().language() == QLocale::Italian;
        QCOMPARE(velmora::installQtTranslations(*QCoreApplication::instance()), italian);
        QDialogButtonBox buttons(QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), italian ? "Annulla" : "Cancel");
        QCOMPARE(buttons.button(QDialogButtonBox::Yes)->text().remove('&'), italian ? "Sì" : "Yes");
    }
};

QTEST_MAIN(QtDialogsTest)
#include "qt_dialogs_test.moc"
