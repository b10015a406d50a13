#include "ui/form1.h"

#include "ui/fitting_indicator_style.h"
#include "ui/form_layout.h"
#include "ui/header_picture.h"
#include "ui/leave_guard.h"
#include "ui/text_box.h"
#include "values/tone_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>

#include <algorithm>
#include <array>
#include <string_view>

namespace velmora {
namespace {

// Buttons whose action is a reaction of the window itself; the others start a command.
constexpr std::array kModelButtons{kClearMainsButton, kClearBatteryButton,
                                   kClearUnidirectionalButton, kClearBidirectionalButton};

Qt::Alignment qtAlignment(CaptionAlignment alignment) {
    switch (alignment) {
    case CaptionAlignment::Right:
        return Qt::AlignRight | Qt::AlignTop;
    case CaptionAlignment::Center:
        return Qt::AlignHCenter | Qt::AlignTop;
    case CaptionAlignment::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QWidget* createWidget(const ControlLayout& layout, QWidget* parent) {
    const QString caption = QString::fromStdString(startText(layout.control));
    switch (kindOf(layout.control)) {
    case ControlKind::TextBox:
        return new TextBox(layout.control, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(caption, parent);
    case ControlKind::OptionButton: {
        // The model decides every selection: a group may have none selected.
        auto* option = new QRadioButton(caption, parent);
        option->setAutoExclusive(false);
        return option;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        for (const Tone& tone : kToneTable) {
            combo->addItem(QString::fromLatin1(tone.text), tone.code);
        }
        return combo;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setAlignment(qtAlignment(layout.alignment));
        label->setAutoFillBackground(true);
        return label;
    }
    case ControlKind::Frame: {
        auto* frame = new QFrame(parent);
        if (layout.outlined) {
            frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        }
        return frame;
    }
    case ControlKind::CommandButton:
        return new QPushButton(caption, parent);
    case ControlKind::Picture: {
        auto* picture = new QLabel(parent);
        picture->setPixmap(headerPicture());
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    }
    return new QWidget(parent);
}

} // namespace

Form1::Form1(FormModel& model, QWidget* parent)
    : QWidget(parent), model_(model), leaveGuard_(new LeaveGuard(*this, model)),
      checkBoxStyle_(new FittingIndicatorStyle) {
    checkBoxStyle_->setParent(this);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora"));

    // Narrow faces first: the captions were measured for a compact dialog face.
    QFont dialogFont;
    dialogFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                            QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Sans Serif")});
    dialogFont.setStyleHint(QFont::SansSerif);
    dialogFont.setPointSizeF(kDialogPointSize);
    setFont(dialogFont);

    const double dotsPerInch = screen()->logicalDotsPerInch();
    setFixedSize(twipsToPixels(kClientWidthTwips, dotsPerInch),
                 twipsToPixels(kClientHeightTwips, dotsPerInch));

    for (const ControlLayout& layout : formLayout()) {
        QWidget* widget = createControl(layout, dotsPerInch);
        controls_.emplace(controlName(layout.control), Control{widget, layout.control});
        connectOperator(layout.control, widget);
    }
    for (const auto& entry : controls_) {
        refresh(entry.first);
    }
    model_.setListener([this](std::string_view name) { refresh(name); });
}

Form1::~Form1() {
    model_.setListener({});
}

void Form1::setBeep(std::function<void()> beep) {
    leaveGuard_->setBeep(std::move(beep));
}

QWidget* Form1::parentFor(ControlId control) {
    const auto frame = containerOf(control);
    if (!frame) {
        return this;
    }
    const auto container = controls_.find(controlName(*frame));
    return container != controls_.end() ? container->second.widget : this;
}

QWidget* Form1::createControl(const ControlLayout& layout, double dotsPerInch) {
    QWidget* parent = parentFor(layout.control);
    QWidget* widget = createWidget(layout, parent);
    widget->setObjectName(QString::fromStdString(controlName(layout.control)));
    if (kindOf(layout.control) == ControlKind::CheckBox) {
        widget->setStyle(checkBoxStyle_);
    }

    QFont captionFont = font();
    captionFont.setPointSizeF(layout.pointSize);
    widget->setFont(captionFont);

    // The table measures from the client area; the widget's place is relative to its frame.
    const QRect place = twipsToPixels(layout.rect, dotsPerInch);
    widget->setGeometry(place.translated(-parent->mapTo(this, QPoint(0, 0))));
    return widget;
}

void Form1::connectOperator(ControlId control, QWidget* widget) {
    const std::string& name = controlName(control);
    switch (kindOf(control)) {
    case ControlKind::TextBox:
        connect(
            static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, this,
            [this, control](const QString& text) { model_.setText(control, text.toStdString()); });
        break;
    case ControlKind::CheckBox: {
        auto* box = static_cast<QAbstractButton*>(widget);
        connect(box, &QAbstractButton::clicked, this, [this, control, name, box] {
            model_.setValue(control, box->isChecked());
            refresh(name);
        });
        break;
    }
    case ControlKind::OptionButton:
        // A click selects, even on a selected button; the model keeps it selected.
        connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                [this, control, name] {
                    model_.setValue(control, true);
                    refresh(name);
                });
        break;
    case ControlKind::ComboBox:
        connect(static_cast<QComboBox*>(widget), &QComboBox::activated, this,
                [this, name](int row) {
                    model_.setComboRow(row);
                    refresh(name);
                });
        break;
    case ControlKind::CommandButton: {
        const bool reaction =
            std::find(kModelButtons.begin(), kModelButtons.end(), control) != kModelButtons.end();
        connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, this,
                [this, control, name, reaction] {
                    if (reaction) {
                        model_.press(control);
                    } else {
                        emit commandRequested(QString::fromStdString(name));
                    }
                });
        break;
    }
    case ControlKind::Label:
    case ControlKind::Frame:
    case ControlKind::Picture:
        break;
    }
}

void Form1::refresh(std::string_view name) {
    const auto found = controls_.find(name);
    if (found == controls_.end()) {
        return;
    }
    QWidget* widget = found->second.widget;
    const ControlId id = found->second.id;
    widget->setEnabled(model_.enabled(id));
    widget->setHidden(!model_.visible(id));

    switch (kindOf(id)) {
    case ControlKind::TextBox: {
        // Compared first so that the operator's own edit does not move the caret.
        auto* box = static_cast<QLineEdit*>(widget);
        const QString text = QString::fromStdString(model_.text(id));
        if (box->text() != text) {
            const QSignalBlocker quiet(box);
            box->setText(text);
        }
        break;
    }
    case ControlKind::CheckBox:
    case ControlKind::OptionButton: {
        auto* button = static_cast<QAbstractButton*>(widget);
        const QSignalBlocker quiet(button);
        button->setChecked(model_.value(id));
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = static_cast<QComboBox*>(widget);
        const QSignalBlocker quiet(combo);
        combo->setCurrentIndex(model_.comboRow());
        break;
    }
    case ControlKind::Label: {
        auto* label = static_cast<QLabel*>(widget);
        label->setText(QString::fromStdString(model_.text(id)));
        QPalette colours = label->palette();
        colours.setColor(QPalette::Window, backgroundColour(model_.background(id)));
        label->setPalette(colours);
        break;
    }
    case ControlKind::Frame:
    case ControlKind::CommandButton:
    case ControlKind::Picture:
        break;
    }
}

QColor Form1::backgroundColour(Background background) const {
    switch (background) {
    case Background::Green:
        return {0, 255, 0};
    case Background::Red:
        return {255, 0, 0};
    case Background::ButtonFace:
        break;
    }
    return palette().color(QPalette::Button);
}

} // namespace velmora
