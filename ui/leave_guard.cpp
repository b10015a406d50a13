#include "ui/leave_guard.h"

#include "model/form_model.h"
#include "model/input_rules.h"
#include "ui/text_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

namespace velmora {
namespace {

// The widget a press at this point would give the focus to, walking up from the
// widget under the pointer the way the toolkit does; none when the focus stays put.
QWidget* focusTarget(QWidget& window, QPoint position, Qt::FocusPolicy policy) {
    QWidget* widget = window.childAt(position);
    while (widget != nullptr && widget != &window) {
        QWidget* proxy = widget->focusProxy() != nullptr ? widget->focusProxy() : widget;
        if (widget->isEnabled() && (widget->focusPolicy() & policy) == policy &&
            (proxy->focusPolicy() & policy) == policy) {
            return proxy;
        }
        if (proxy->hasFocus()) {
            return nullptr;
        }
        widget = widget->parentWidget();
    }
    return nullptr;
}

bool isTabKey(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        return false;
    }
    return key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab;
}

} // namespace

LeaveGuard::LeaveGuard(QWidget& window, FormModel& model)
    : QObject(&window), window_(window), model_(model), beep_(&QApplication::beep) {
    qApp->installEventFilter(this);
}

// The window's own focus, which it keeps while another application is active: a click
// that brings the window back onto another control is a leave too.
TextBox* LeaveGuard::focusedBox() const {
    return qobject_cast<TextBox*>(window_.focusWidget());
}

// Pointer events are taken where the window system delivers them to the window, before
// the toolkit hands out the focus and the clicked control sees the press.
bool LeaveGuard::pointerTakesFocus(QObject* receiver, QEvent* event, TextBox& box) const {
    if (receiver != window_.windowHandle()) {
        return false;
    }
    QWidget* target = nullptr;
    if (event->type() == QEvent::Wheel) {
        const QPoint at = static_cast<QWheelEvent*>(event)->position().toPoint();
        target = focusTarget(window_, at, Qt::WheelFocus);
    } else {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        target = focusTarget(window_, at, Qt::ClickFocus);
    }
    return target != nullptr && target != &box;
}

bool LeaveGuard::refusesLeaving(const TextBox& box) {
    const bool vhf = model_.value(kVhfBand);
    const LeaveVerdict verdict = leaveCheck(box.control(), box.text().toStdString(), vhf);
    if (verdict == LeaveVerdict::RefuseWithBeep) {
        beep_();
    }
    return verdict != LeaveVerdict::Pass;
}

bool LeaveGuard::eventFilter(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool pointer = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
                         type == QEvent::Wheel;
    const bool key = type == QEvent::KeyPress;
    if (!pointer && !key) {
        return false;
    }
    TextBox* box = focusedBox();
    if (box == nullptr) {
        return false;
    }
    const bool leaving = pointer ? pointerTakesFocus(receiver, event, *box)
                                 : receiver == box && isTabKey(*static_cast<QKeyEvent*>(event));
    return leaving && refusesLeaving(*box);
}

} // namespace velmora
