#include "app/qt_operator_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace velmora {

std::optional<QString> QtOperatorDialogs::askPort() {
    QInputDialog prompt(parent_);
    prompt.setObjectName(QStringLiteral("PortPrompt"));
    prompt.setWindowTitle(QStringLiteral("Selezione seriale"));
    prompt.setLabelText(QStringLiteral("Com Port?"));
    prompt.setInputMode(QInputDialog::TextInput);
    prompt.setTextValue(QString());
    if (prompt.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return prompt.textValue();
}

void QtOperatorDialogs::beep() {
    QApplication::beep();
}

void QtOperatorDialogs::show(const Notice& notice) {
    QMessageBox box(QMessageBox::NoIcon, notice.title, notice.text, QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("Notice"));
    if (!notice.detail.isEmpty()) {
        box.setInformativeText(notice.detail);
    }
    box.exec();
}

QString QtOperatorDialogs::chooseSaveFile(const QString& lastName) {
    return chooseFile(lastName, true);
}

QString QtOperatorDialogs::chooseImportFile(const QString& lastName) {
    return chooseFile(lastName, false);
}

QString QtOperatorDialogs::chooseFile(const QString& lastName, bool saving) {
    QFileDialog dialog(parent_,
                       saving ? QStringLiteral("Salva file") : QStringLiteral("Importa file"));
    dialog.setObjectName(QStringLiteral("cd1"));
    dialog.setNameFilter(QString::fromLatin1(kProgrammingFileFilter));
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (saving) {
        dialog.setDefaultSuffix(QStringLiteral("prg"));
    }
    if (style_ == FileDialogStyle::QtOnly) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    }
    if (!lastName.isEmpty()) {
        dialog.selectFile(lastName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace velmora
