#include "ui/text_box.h"

#include "model/input_rules.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include <utility>

namespace velmora {
namespace {

constexpr char32_t kBackspace = 8;

bool isClipboardShortcut(const QKeyEvent* event) {
    return event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut) ||
           event->matches(QKeySequence::Paste);
}

} // namespace

QAction* TextBox::pasteAction(const QMenu& menu) {
    // The standard menu names its entries with the line edit's own (translated) captions.
    const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu.actions()) {
        if (action->text() == paste || action->text().startsWith(paste + QLatin1Char('\t'))) {
            return action;
        }
    }
    return nullptr;
}

TextBox::TextBox(ControlId control, QWidget* parent) : QLineEdit(parent), control_(control) {
    // Dropped text would bypass the character filter.
    setAcceptDrops(false);
}

bool TextBox::accepts(const QString& typed) const {
    const auto characters = typed.toUcs4();
    qsizetype inserted = 0;
    for (const char32_t character : characters) {
        if (!acceptsTypedCharacter(control_, character)) {
            return false;
        }
        if (character != kBackspace) {
            ++inserted;
        }
    }
    return fitsTypingLimit(inserted);
}

bool TextBox::fitsTypingLimit(qsizetype inserted) const {
    const int limit = typingLimit(control_);
    return limit == 0 || inserted == 0 || text().size() - selectedText().size() + inserted <= limit;
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    if (isClipboardShortcut(event)) {
        event->accept();
        return;
    }
    // Delete and the movement keys carry no character and are never filtered.
    if (event->text().isEmpty() || event->key() == Qt::Key_Delete || accepts(event->text())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty() || accepts(event->commitString())) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    event->accept();
}

// The menu's paste is the operator's way to bring any text in; it is judged when the
// box is left, but it may not grow the text beyond the typing limit.
void TextBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    if (QAction* paste = pasteAction(*menu)) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &TextBox::pasteWithinTypingLimit);
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// The middle button pastes the selection on some desktops: a paste shortcut too.
void TextBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void TextBox::pasteWithinTypingLimit() {
    const QString clip = QGuiApplication::clipboard()->text();
    if (fitsTypingLimit(clip.size())) {
        paste();
    }
}

} // namespace velmora
