#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace velmora {

class FormModel;
class TextBox;

// Keeps the operator in a text box whose value is out of range. Watches, for the
// whole application, the events that would move the focus out of a box of the window
// (a mouse press or wheel turn on another control, Tab, Backtab) before any widget
// acts on them, and swallows them while the box's leave check refuses.
class LeaveGuard : public QObject {
    Q_OBJECT

public:
    LeaveGuard(QWidget& window, FormModel& model);

    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    TextBox* focusedBox() const;
    bool pointerTakesFocus(QObject* receiver, QEvent* event, TextBox& box) const;
    bool refusesLeaving(const TextBox& box);

    QWidget& window_;
    FormModel& model_;
    std::function<void()> beep_;
};

} // namespace velmora
