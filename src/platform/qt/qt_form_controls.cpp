// A window's controls follow their state objects: captions, texts, values, colours, places, timers.
#include "qt_form_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <set>

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"
#include "qt_list_model.h"

namespace kestrova {
namespace {

void KeepSelectionVisible(QPalette& palette, const QWidget* widget) {
    const QPalette base = QApplication::palette(widget);
    palette.setColor(QPalette::Inactive, QPalette::Highlight, base.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, base.color(QPalette::Active, QPalette::HighlightedText));
}

QString ButtonStyleSheet(std::optional<Color> back, std::optional<Color> fore) {
    if (!back && !fore) return {};
    QString body;
    if (back) {
        const QColor colour = ToQColor(*back);
        body += QStringLiteral("background-color: %1; border: 1px solid #7a7a7a; border-radius: 2px; padding: 2px 4px;")
                    .arg(colour.name());
    }
    if (fore) body += QStringLiteral("color: %1;").arg(ToQColor(*fore).name());
    QString sheet = QStringLiteral("QPushButton { %1 }").arg(body);
    if (back) {
        sheet += QStringLiteral(" QPushButton:pressed { background-color: %1; }").arg(ToQColor(*back).darker(115).name());
        sheet += QStringLiteral(" QPushButton:focus { border: 1px solid #303030; }");
        sheet += QStringLiteral(" QPushButton:disabled { color: #808080; }");
    }
    return sheet;
}


}  // namespace

void FormWindow::ShowEnabled(QtBinding& binding) {
    if (binding.widget) binding.widget->setEnabled(binding.control->Enabled());
    if (binding.action) binding.action->setEnabled(binding.control->Enabled());
}

void FormWindow::ShowVisible(QtBinding& binding) {
    if (binding.widget) binding.widget->setVisible(binding.control->Visible());
    if (binding.action) binding.action->setVisible(binding.control->Visible());
}

void FormWindow::ShowToolTip(QtBinding& binding) {
    if (binding.widget) binding.widget->setToolTip(ToQString(binding.control->ToolTip()));
}

void FormWindow::ShowFocus(QtBinding& binding) {
    if (binding.widget) binding.widget->setFocus(Qt::OtherFocusReason);
}

void FormWindow::ShowPicture(QtBinding& binding) {
    if (auto* picture = dynamic_cast<PictureWidget*>(binding.widget)) picture->PictureChanged();
}

void FormWindow::ShowCaption(QtBinding& binding) {
    const std::string& caption = binding.control->Caption();
    QWidget* widget = binding.widget;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(WithLineBreaks(caption));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQString(caption));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(ToQString(caption));
    } else if (binding.control->Kind() == ControlKind::Menu) {
        if (binding.menu) binding.menu->setTitle(ToQString(caption));
        if (binding.action && !binding.action->isSeparator()) binding.action->setText(ToQString(caption));
    }
}

// Only a text that differs is written, so the user's cursor stays where it
// is when a Change handler leaves the text alone.
void FormWindow::ShowText(QtBinding& binding) {
    if (auto* edit = qobject_cast<QLineEdit*>(binding.widget)) {
        const QString text = ToQString(static_cast<TextBox&>(*binding.control).Text());
        if (edit->text() != text) {
            edit->setText(text);
            // A box the user is not typing in shows the start of its text.
            if (!edit->hasFocus()) edit->setCursorPosition(0);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(binding.widget)) {
        const QString text = ToQString(static_cast<ComboBox&>(*binding.control).Text());
        if (combo->currentText() != text) combo->setEditText(text);
    }
}

void FormWindow::ShowValue(QtBinding& binding) {
    if (auto* box = qobject_cast<QCheckBox*>(binding.widget)) {
        const int value = static_cast<CheckBox&>(*binding.control).Value();
        box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    } else if (auto* option = qobject_cast<QRadioButton*>(binding.widget)) {
        // An exclusive group refuses to clear its checked button; the program
        // may clear every option of a group, so exclusivity pauses meanwhile.
        QButtonGroup* group = option->group();
        const bool exclusive = group && group->exclusive();
        if (exclusive) group->setExclusive(false);
        option->setChecked(static_cast<OptionButton&>(*binding.control).Value());
        if (exclusive) group->setExclusive(true);
    }
}

void FormWindow::ShowColors(QtBinding& binding) {
    QWidget* widget = binding.widget;
    if (!widget) return;
    const Control& control = *binding.control;
    const auto back = control.BackColor();
    const auto fore = control.ForeColor();
    if (control.Kind() == ControlKind::CommandButton) {
        widget->setStyleSheet(ButtonStyleSheet(back, fore));
        return;
    }
    QPalette palette;
    if (back) {
        const QColor colour = ToQColor(*back);
        palette.setColor(QPalette::Window, colour);
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::Button, colour);
    }
    if (fore) {
        const QColor colour = ToQColor(*fore);
        palette.setColor(QPalette::WindowText, colour);
        palette.setColor(QPalette::Text, colour);
        palette.setColor(QPalette::ButtonText, colour);
    }
    if (control.Kind() == ControlKind::ListView) KeepSelectionVisible(palette, widget);
    widget->setPalette(palette);
    const bool paints_itself = control.Kind() == ControlKind::Line || control.Kind() == ControlKind::Image ||
                               control.Kind() == ControlKind::PictureBox || control.Kind() == ControlKind::TextBox ||
                               control.Kind() == ControlKind::ComboBox || control.Kind() == ControlKind::ListView;
    widget->setAutoFillBackground(back.has_value() && !paints_itself);
    widget->update();
}

void FormWindow::ShowGeometry(QtBinding& binding) {
    if (auto* line = dynamic_cast<LineWidget*>(binding.widget)) {
        line->UpdateGeometry();
    } else if (binding.widget) {
        const QRect rect = TwipsToPixels(binding.control->Bounds());
        binding.widget->setGeometry(rect.x(), rect.y(), std::max(0, rect.width()), std::max(0, rect.height()));
    }
}

void FormWindow::ShowItems(QtBinding& binding) {
    Control& control = *binding.control;
    if (auto* combo = qobject_cast<QComboBox*>(binding.widget)) {
        const auto& state = static_cast<ComboBox&>(control);
        QStringList items;
        items.reserve(state.ListCount());
        for (const std::string& item : state.Items()) items.push_back(ToQString(item));
        combo->clear();
        combo->addItems(items);
        // Qt may bring a completer back with new items; the text stays typed.
        combo->setCompleter(nullptr);
        combo->setCurrentIndex(-1);
        combo->setEditText(ToQString(state.Text()));
    }
}

void FormWindow::ShowTimer(QtBinding& binding) {
    if (!binding.timer) return;
    const auto& timer = static_cast<const Timer&>(*binding.control);
    if (timer.Enabled() && timer.Interval() > 0) {
        // Enabling or a new interval starts the count again, as the control does.
        binding.timer->start(timer.Interval());
    } else {
        binding.timer->stop();
    }
}

void FormWindow::StopTimer(QtBinding& binding) {
    if (binding.timer) binding.timer->stop();
}

}  // namespace kestrova
