#pragma once

#include "app/operator_dialogs.h"

#include <QPointer>
#include <QWidget>

namespace velmora {

inline constexpr const char* kProgrammingFileFilter = "file programmazione (*.prg)";

// The operator dialogs as Qt shows them: QInputDialog, QMessageBox, QFileDialog (the
// platform's own file dialog where it offers one, unless told otherwise) and the
// system beep.
class QtOperatorDialogs : public OperatorDialogs {
public:
    enum class FileDialogStyle { NativeWhereOffered, QtOnly };

    explicit QtOperatorDialogs(FileDialogStyle style = FileDialogStyle::NativeWhereOffered)
        : style_(style) {}

    void setParentWidget(QWidget* parent) { parent_ = parent; }

    std::optional<QString> askPort() override;
    void beep() override;
    void show(const Notice& notice) override;
    QString chooseSaveFile(const QString& lastName) override;
    QString chooseImportFile(const QString& lastName) override;

private:
    QString chooseFile(const QString& lastName, bool saving);

    FileDialogStyle style_;
    QPointer<QWidget> parent_;
};

} // namespace velmora
