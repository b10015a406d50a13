#pragma once

#include "values/controls.h"

#include <QLineEdit>

#include <string>

class QAction;
class QMenu;

namespace velmora {

// A numeric text box of the window. Typed characters pass the box's character filter
// and its typing limit; the clipboard shortcuts do nothing here. Text set by the
// program is never filtered or cut.
class TextBox : public QLineEdit {
    Q_OBJECT

public:
    TextBox(ControlId control, QWidget* parent);

    ControlId control() const { return control_; }

    // The "Paste" entry of a box's context menu.
    static QAction* pasteAction(const QMenu& menu);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool accepts(const QString& typed) const;
    bool fitsTypingLimit(qsizetype inserted) const;
    void pasteWithinTypingLimit();

    ControlId control_;
};

} // namespace velmora
