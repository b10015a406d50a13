#pragma once

#include "model/form_model.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace velmora {

class FittingIndicatorStyle;
class LeaveGuard;
struct ControlLayout;

// The one window: every control of the model at its place, showing the model's state
// and passing the operator's actions to it. The device and file commands are not run
// here: their buttons only ask for them through commandRequested.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // The model is the caller's and must outlive the window; start-up steps already
    // run on it are shown as they are.
    explicit Form1(FormModel& model, QWidget* parent = nullptr);
    ~Form1() override;

    // The sound of a refused leave; the system beep unless replaced.
    void setBeep(std::function<void()> beep);

signals:
    // "Command1" (Programma), "Command4" (Leggi), "Command5" (Salva file) or
    // "Command6" (Importa file) was clicked.
    void commandRequested(const QString& name);

private:
    QWidget* createControl(const ControlLayout& layout, double dotsPerInch);
    QWidget* parentFor(ControlId control);
    void connectOperator(ControlId control, QWidget* widget);
    void refresh(std::string_view name);
    QColor backgroundColour(Background background) const;

    struct Control {
        QWidget* widget;
        ControlId id;
    };

    FormModel& model_;
    std::map<std::string, Control, std::less<>> controls_;
    LeaveGuard* leaveGuard_;
    FittingIndicatorStyle* checkBoxStyle_; // shared by every check box, owned by the window
};

} // namespace velmora
