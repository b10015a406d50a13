#pragma once

#include <QString>

#include <optional>

namespace velmora {

// A message box with an OK button only, no icon.
struct Notice {
    QString title;
    QString text;
    QString detail; // shown under the text when not empty
};

// Everything the commands ask of the operator or tell them outside the window. The
// program uses the Qt dialogs; tests answer through a scripted stand-in.
class OperatorDialogs {
public:
    virtual ~OperatorDialogs() = default;

    // The start-up prompt "Com Port?" titled "Selezione seriale" with an empty answer
    // field; none when it was cancelled.
    virtual std::optional<QString> askPort() = 0;
    virtual void beep() = 0;
    virtual void show(const Notice& notice) = 0;
    // File dialogs offering "file programmazione (*.prg)" with the last name chosen
    // filled in; an empty name when cancelled.
    virtual QString chooseSaveFile(const QString& lastName) = 0;
    virtual QString chooseImportFile(const QString& lastName) = 0;
};

} // namespace velmora
