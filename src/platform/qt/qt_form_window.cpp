#include "qt_form_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "platform/model/listview.h"
#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"
#include "qt_list_model.h"

namespace kestrova {
namespace {

Qt::WindowFlags FlagsFor(FormBorder border) {
    switch (border) {
        case FormBorder::FixedToolWindow:
            return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        case FormBorder::FixedDialog:
            return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        case FormBorder::None:
            return Qt::Window | Qt::FramelessWindowHint;
        case FormBorder::Sizable:
            break;
    }
    return Qt::Window;
}

// Graphical controls are painted on the window's surface, beneath every
// control that is a window of its own.
bool Graphical(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Line || kind == ControlKind::Image;
}

}  // namespace

FormWindow::FormWindow(Form& form, const LoopState& loop) : FormMirror(form), loop_(loop) { Build(); }

FormWindow::~FormWindow() {
    Detach();
    window_.reset();
}

void FormWindow::Build() {
    const FormDesign& design = form_.Design();
    window_ = std::make_unique<FormWidget>(*this, FlagsFor(design.border));
    window_->setWindowTitle(ToQString(form_.Caption()));
    window_->setObjectName(ToQString(design.name));
    if (!design.has_icon) {
        // A window without an icon of its own would show the program's.
        QPixmap none(16, 16);
        none.fill(Qt::transparent);
        window_->setWindowIcon(QIcon(none));
    }
    ReportScreenDpi();
    BindControls();
    for (const auto& control : form_.Controls()) EnsureWidget(*control, 0);
    BuildMenuTree();

    // Reverse order keeps the graphical controls' own order among themselves.
    const auto& controls = form_.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        const QtBinding& binding = bindings_[it->get()];
        if (binding.widget && Graphical((*it)->Kind())) binding.widget->lower();
    }

    for (const auto& control : controls) ApplyAll(bindings_[control.get()]);
    for (const auto& control : controls) {
        QtBinding& binding = bindings_[control.get()];
        if (binding.list) static_cast<ListModel*>(binding.list)->Attach(static_cast<ListTreeView*>(binding.widget));
    }
    ShowFormColor();
    ShowFormGeometry();
    if (form_.Topmost()) ShowTopmost();
    if (form_.Visible()) ShowVisibility();
}

QWidget* FormWindow::EnsureWidget(Control& control, int depth) {
    QtBinding& binding = bindings_[&control];
    if (binding.widget || depth > 16) return binding.widget;
    QWidget* parent = window_.get();
    if (!control.Container().empty()) {
        Control* container = form_.Find(control.Container());
        const bool holds_controls =
            container && container != &control &&
            (container->Kind() == ControlKind::Frame || container->Kind() == ControlKind::PictureBox);
        if (holds_controls) {
            if (QWidget* inner = EnsureWidget(*container, depth + 1)) parent = inner;
        }
    }
    return CreateWidget(binding, parent);
}

QWidget* FormWindow::CreateWidget(QtBinding& binding, QWidget* parent) {
    Control& control = *binding.control;
    QWidget* widget = nullptr;
    switch (control.Kind()) {
        case ControlKind::Label: {
            auto* label = new QLabel(parent);
            // File names may contain '<' or '&'; they are shown as they are.
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case ControlKind::CommandButton: {
            auto* button = new QPushButton(parent);
            // Enter on a focused button presses it, as Space does.
            button->setAutoDefault(true);
            connect(button, &QPushButton::clicked, this, [this, &binding] {
                if (!detached_) UserClick(*binding.control);
            });
            widget = button;
            break;
        }
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(parent);
            connect(box, &QCheckBox::clicked, this, [this, &binding] { UserToggled(binding); });
            widget = box;
            break;
        }
        case ControlKind::OptionButton: {
            auto* option = new QRadioButton(parent);
            QButtonGroup*& group = option_groups_[control.Container()];
            if (!group) group = new QButtonGroup(window_.get());
            group->addButton(option);
            connect(option, &QRadioButton::clicked, this, [this, &binding] { UserToggled(binding); });
            widget = option;
            break;
        }
        case ControlKind::TextBox: {
            auto* edit = new QLineEdit(parent);
            connect(edit, &QLineEdit::textEdited, this, [this, &binding](const QString& text) {
                const std::string& before = static_cast<TextBox&>(*binding.control).Text();
                if (!detached_) UserEditText(*binding.control, FromEditedQString(text, before));
            });
            widget = edit;
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            // Inline completion would change the shown text behind the
            // state's back; the text is exactly what the user typed.
            combo->setCompleter(nullptr);
            connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, &binding](const QString& text) {
                const std::string& before = static_cast<ComboBox&>(*binding.control).Text();
                if (!detached_) UserEditText(*binding.control, FromEditedQString(text, before));
            });
            connect(combo, &QComboBox::activated, this, [this, &binding](int index) {
                if (!detached_) UserPickComboItem(static_cast<ComboBox&>(*binding.control), index);
            });
            Route(combo->lineEdit(), binding);
            widget = combo;
            break;
        }
        case ControlKind::Frame: {
            auto* group = new QGroupBox(parent);
            // The caption sits on the frame's top line, so the contents,
            // placed from the frame's own top edge, start below it.
            group->setStyleSheet(QStringLiteral(
                "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 0.5em; }"
                "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; padding: 0 2px; }"));
            widget = group;
            break;
        }
        case ControlKind::Line:
            widget = new LineWidget(static_cast<Line&>(control), parent);
            break;
        case ControlKind::Image:
            widget = new PictureWidget(static_cast<ImageControl&>(control), parent);
            break;
        case ControlKind::PictureBox:
            widget = new PictureWidget(static_cast<ImageControl&>(control), parent);
            widget->setFocusPolicy(Qt::StrongFocus);
            break;
        case ControlKind::ListView: {
            auto& list = static_cast<ListView&>(control);
            auto* view = new ListTreeView(list, parent);
            binding.list = new ListModel(list, loop_, view);
            widget = view;
            break;
        }
        case ControlKind::Timer: {
            binding.timer = new QTimer(window_.get());
            connect(binding.timer, &QTimer::timeout, this, [this, &binding] { TimerFired(binding); });
            return nullptr;
        }
        case ControlKind::Menu:
        case ControlKind::ImageList:
        case ControlKind::DriveList:
        case ControlKind::DirList:
        case ControlKind::FileList:
            return nullptr;
    }
    widget->setObjectName(ToQString(control.Name()));
    binding.widget = widget;
    Route(widget, binding);
    return widget;
}

void FormWindow::Route(QObject* object, QtBinding& binding) {
    routes_[object] = &binding;
    object->installEventFilter(this);
}

void FormWindow::MakeMenu(QtBinding& menu) {
    menu.menu = new QMenu(ToQString(menu.control->Caption()), window_.get());
    menu.menu->setObjectName(ToQString(menu.control->Name()));
}

void FormWindow::AddSubmenu(QtBinding& menu, QtBinding& submenu) {
    submenu.action = submenu.menu->menuAction();
    menu.menu->addAction(submenu.action);
}

void FormWindow::AddSeparator(QtBinding& menu, QtBinding& separator) { separator.action = menu.menu->addSeparator(); }

void FormWindow::AddMenuItem(QtBinding& menu, QtBinding& item) {
    item.action = menu.menu->addAction(ToQString(item.control->Caption()));
    menu_items_[item.action] = static_cast<Menu*>(item.control);
}

QWidget* FormWindow::WidgetOf(const Control& control) const {
    auto it = bindings_.find(&control);
    return it == bindings_.end() ? nullptr : it->second.widget;
}

QMenu* FormWindow::MenuOf(const Menu& menu) const {
    auto it = bindings_.find(&menu);
    return it == bindings_.end() ? nullptr : it->second.menu;
}

QTimer* FormWindow::TimerOf(const Timer& timer) const {
    auto it = bindings_.find(&timer);
    return it == bindings_.end() ? nullptr : it->second.timer;
}

}  // namespace kestrova
