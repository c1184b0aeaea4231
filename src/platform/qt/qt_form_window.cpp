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

#include "platform/listview.h"
#include "platform/user_input.h"
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

bool FixedSize(FormBorder border) { return border == FormBorder::FixedToolWindow || border == FormBorder::FixedDialog; }

// Controls whose Click comes from a press and release over them; buttons
// and boxes report their own clicks, which also covers the keyboard.
bool ClicksOnRelease(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Image || kind == ControlKind::PictureBox ||
           kind == ControlKind::Frame;
}

// Graphical controls are painted on the window's surface, beneath every
// control that is a window of its own.
bool Graphical(ControlKind kind) {
    return kind == ControlKind::Label || kind == ControlKind::Line || kind == ControlKind::Image;
}

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

// Scope guard for a counter.
struct Counting {
    explicit Counting(int& c) : count(c) { ++count; }
    ~Counting() { --count; }
    int& count;
};

}  // namespace

FormWindow::FormWindow(Form& form, const LoopState& loop) : form_(form), loop_(loop) { Build(); }

FormWindow::~FormWindow() {
    Detach();
    window_.reset();
}

void FormWindow::Detach() {
    if (detached_) return;
    detached_ = true;
    for (auto& [control, binding] : bindings_) {
        if (binding.model) binding.model->Detach();
        if (binding.timer) binding.timer->stop();
    }
}

void FormWindow::Build() {
    const FormDesign& design = form_.Design();
    window_ = std::make_unique<FormWidget>(*this, FlagsFor(design.border));
    window_->setWindowTitle(ToQString(form_.Caption()));
    window_->setObjectName(ToQString(design.name));
    for (const auto& control : form_.Controls()) {
        Binding& binding = bindings_[control.get()];
        binding.control = control.get();
    }
    for (const auto& control : form_.Controls()) EnsureWidget(*control, 0);
    BuildMenus();

    // Reverse order keeps the graphical controls' own order among themselves.
    const auto& controls = form_.Controls();
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        const Binding& binding = bindings_[it->get()];
        if (binding.widget && Graphical((*it)->Kind())) binding.widget->lower();
    }

    for (const auto& control : controls) ApplyAll(bindings_[control.get()]);
    for (const auto& control : controls) {
        Binding& binding = bindings_[control.get()];
        if (binding.model) binding.model->Attach(static_cast<ListTreeView*>(binding.widget));
    }
    ApplyFormColor();
    ApplyFormGeometry();
    if (form_.Topmost()) ApplyTopmost();
    if (form_.Visible()) ApplyVisible();
}

QWidget* FormWindow::EnsureWidget(Control& control, int depth) {
    Binding& binding = bindings_[&control];
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

QWidget* FormWindow::CreateWidget(Binding& binding, QWidget* parent) {
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
            binding.model = new ListModel(list, loop_, view);
            widget = view;
            break;
        }
        case ControlKind::Timer: {
            binding.timer = new QTimer(window_.get());
            connect(binding.timer, &QTimer::timeout, this, [this, &binding] { Tick(binding); });
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

void FormWindow::Route(QObject* object, Binding& binding) {
    routes_[object] = &binding;
    object->installEventFilter(this);
}

// A menu with items becomes a QMenu; each item is an action of its parent's
// menu, or the parent's submenu when it has items of its own.
void FormWindow::BuildMenus() {
    std::set<std::string> with_items;
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Menu || control->Container().empty()) continue;
        if (Control* parent = form_.Find(control->Container()); parent && parent->Kind() == ControlKind::Menu) {
            with_items.insert(parent->Name());
        }
    }
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Menu) continue;
        auto& item = static_cast<Menu&>(*control);
        Binding& binding = bindings_[&item];
        if (with_items.count(item.Name())) EnsureMenu(item);
        Control* parent = item.Container().empty() ? nullptr : form_.Find(item.Container());
        if (!parent || parent == &item || parent->Kind() != ControlKind::Menu) continue;
        QMenu* parent_menu = EnsureMenu(static_cast<Menu&>(*parent));
        if (binding.menu) {
            binding.action = binding.menu->menuAction();
            parent_menu->addAction(binding.action);
        } else if (item.Caption() == "-") {
            binding.action = parent_menu->addSeparator();
        } else {
            binding.action = parent_menu->addAction(ToQString(item.Caption()));
            menu_items_[binding.action] = &item;
        }
    }
}

QMenu* FormWindow::EnsureMenu(Menu& menu) {
    Binding& binding = bindings_[&menu];
    if (!binding.menu) {
        binding.menu = new QMenu(ToQString(menu.Caption()), window_.get());
        binding.menu->setObjectName(ToQString(menu.Name()));
    }
    return binding.menu;
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

// ---- program changes -> screen ---------------------------------------------

void FormWindow::ControlChanged(Control& control, Property what) {
    if (detached_) return;
    auto it = bindings_.find(&control);
    if (it != bindings_.end()) Apply(it->second, what);
}

void FormWindow::ApplyAll(Binding& binding) {
    for (Property what : {Property::Caption, Property::Text, Property::Value, Property::Enabled, Property::Visible,
                          Property::BackColor, Property::Geometry, Property::ToolTip, Property::Items, Property::Picture,
                          Property::Timer}) {
        Apply(binding, what);
    }
}

void FormWindow::Apply(Binding& binding, Property what) {
    Counting guard(applying_);
    Control& control = *binding.control;
    QWidget* widget = binding.widget;
    switch (what) {
        case Property::Caption:
            ApplyCaption(binding);
            break;
        case Property::Text:
            ApplyText(binding);
            break;
        case Property::Value:
            ApplyValue(binding);
            break;
        case Property::Enabled:
            if (widget) widget->setEnabled(control.Enabled());
            if (binding.action) binding.action->setEnabled(control.Enabled());
            if (binding.timer) ApplyTimer(binding);
            break;
        case Property::Visible:
            if (widget) widget->setVisible(control.Visible());
            if (binding.action) binding.action->setVisible(control.Visible());
            break;
        case Property::BackColor:
        case Property::ForeColor:
            ApplyColors(binding);
            break;
        case Property::Geometry:
            ApplyGeometry(binding);
            break;
        case Property::ToolTip:
            if (widget) widget->setToolTip(ToQString(control.ToolTip()));
            break;
        case Property::Items:
            ApplyItems(binding);
            break;
        case Property::Focus:
            if (widget) {
                applying_focus_ = true;
                widget->setFocus(Qt::OtherFocusReason);
                applying_focus_ = false;
            }
            break;
        case Property::Picture:
            if (auto* picture = dynamic_cast<PictureWidget*>(widget)) picture->PictureChanged();
            break;
        case Property::Timer:
            if (binding.timer) ApplyTimer(binding);
            break;
        case Property::ListSort:
            if (binding.model) binding.model->SortChanged();
            break;
        default:
            // The list's rows, columns and selection reach the view through its observer.
            break;
    }
}

void FormWindow::ApplyCaption(Binding& binding) {
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
void FormWindow::ApplyText(Binding& binding) {
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

void FormWindow::ApplyValue(Binding& binding) {
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

void FormWindow::ApplyColors(Binding& binding) {
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

void FormWindow::ApplyGeometry(Binding& binding) {
    if (auto* line = dynamic_cast<LineWidget*>(binding.widget)) {
        line->UpdateGeometry();
    } else if (binding.widget) {
        const QRect rect = TwipsToPixels(binding.control->Bounds());
        binding.widget->setGeometry(rect.x(), rect.y(), std::max(0, rect.width()), std::max(0, rect.height()));
    }
}

void FormWindow::ApplyItems(Binding& binding) {
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
    } else if (control.Kind() == ControlKind::ImageList) {
        for (auto& [other, other_binding] : bindings_) {
            if (!other_binding.model) continue;
            if (static_cast<const ListView*>(other)->SmallIcons() == &control) other_binding.model->ImagesChanged();
        }
    }
}

void FormWindow::ApplyTimer(Binding& binding) {
    const auto& timer = static_cast<const Timer&>(*binding.control);
    if (timer.Enabled() && timer.Interval() > 0) {
        // Enabling or a new interval starts the count again, as the control does.
        binding.timer->start(timer.Interval());
    } else {
        binding.timer->stop();
    }
}

void FormWindow::Tick(Binding& binding) {
    auto& timer = static_cast<Timer&>(*binding.control);
    if (detached_ || !timer.Enabled() || timer.Interval() <= 0) return;
    // A tick whose handler is still running (waiting in DoEvents) does not
    // start a second one on top of itself.
    if (binding.ticking) return;
    binding.ticking = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{binding.ticking};
    Raise(timer.Tick);
}

// ---- the window itself ---------------------------------------------------------

void FormWindow::FormChanged(FormProperty what) {
    if (detached_) return;
    switch (what) {
        case FormProperty::Caption:
            window_->setWindowTitle(ToQString(form_.Caption()));
            break;
        case FormProperty::Geometry:
            ApplyFormGeometry();
            ReportGeometry();
            break;
        case FormProperty::WindowState:
            ApplyWindowState();
            ReportGeometry();
            break;
        case FormProperty::Visible:
            ApplyVisible();
            break;
        case FormProperty::BackColor:
            ApplyFormColor();
            break;
        case FormProperty::Topmost:
            ApplyTopmost();
            break;
        case FormProperty::Focus:
            if (window_->isVisible()) {
                window_->raise();
                window_->activateWindow();
            }
            break;
        case FormProperty::Drawing:
            window_->update();
            break;
    }
}

void FormWindow::ApplyFormGeometry() {
    if (form_.State() != kNormal) return;
    Counting guard(applying_);
    const int inner_w = std::max(1, TwipsToPixels(form_.Width() - form_.FrameWidth()));
    const int inner_h = std::max(1, TwipsToPixels(form_.Height() - form_.FrameHeight()));
    if (FixedSize(form_.Design().border)) {
        window_->setFixedSize(inner_w, inner_h);
    } else {
        window_->resize(inner_w, inner_h);
    }
    window_->move(TwipsToPixels(form_.Left()), TwipsToPixels(form_.Top()));
}

void FormWindow::ApplyWindowState() {
    Counting guard(applying_);
    Qt::WindowStates states = Qt::WindowNoState;
    if (form_.State() == kMinimized) states = Qt::WindowMinimized;
    if (form_.State() == kMaximized) states = Qt::WindowMaximized;
    if (!window_->isVisible()) {
        // A hidden window keeps its state for when it is shown.
        window_->setWindowState(states);
        return;
    }
    if (CoversScreen(form_)) {
        CoverScreen(*window_);
        window_->showFullScreen();
        return;
    }
    switch (form_.State()) {
        case kMinimized: window_->showMinimized(); break;
        case kMaximized: window_->showMaximized(); break;
        case kNormal: window_->showNormal(); break;
    }
}

void FormWindow::ApplyVisible() {
    if (!form_.Visible()) {
        window_->hide();
        return;
    }
    if (!shown_once_) {
        shown_once_ = true;
        if (form_.Design().center_on_screen) CenterOnScreen();
    }
    {
        Counting guard(applying_);
        Qt::WindowStates states = Qt::WindowNoState;
        if (form_.State() == kMinimized) states = Qt::WindowMinimized;
        if (form_.State() == kMaximized) states = Qt::WindowMaximized;
        if (CoversScreen(form_)) {
            states = Qt::WindowFullScreen;
            CoverScreen(*window_);
        }
        window_->setWindowState(states);
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
    ReportGeometry();
}

void FormWindow::CenterOnScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const int outer_w = std::max(window_->frameGeometry().width(), TwipsToPixels(form_.Width()));
    const int outer_h = std::max(window_->frameGeometry().height(), TwipsToPixels(form_.Height()));
    Counting guard(applying_);
    window_->move(area.x() + (area.width() - outer_w) / 2, area.y() + (area.height() - outer_h) / 2);
}

void FormWindow::ApplyFormColor() {
    QPalette palette;
    if (auto back = form_.BackColor()) palette.setColor(QPalette::Window, ToQColor(*back));
    window_->setPalette(palette);
    window_->setAutoFillBackground(form_.BackColor().has_value());
    window_->update();
}

void FormWindow::ApplyTopmost() {
    const bool on = form_.Topmost();
    if (window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    const bool visible = window_->isVisible();
    Counting guard(applying_);
    // Changing window flags hides the window; it comes back where it was.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) window_->show();
}

// Sizes go back in twips. A value the program set that still rounds to the
// pixels on screen is kept as it was, so remembered sizes do not drift by
// rounding. Without a window manager a window has no frame; it then keeps
// the frame the program assumed, so outer and inner sizes stay apart.
void FormWindow::ReportGeometry() {
    if (detached_ || applying_ || !window_->isVisible()) return;
    const QRect outer = window_->frameGeometry();
    const QSize inner = window_->size();
    WindowState state = kNormal;
    if (window_->isMinimized()) state = kMinimized;
    else if (window_->isMaximized() || window_->isFullScreen()) state = kMaximized;
    auto keep = [](int twips, int pixels) { return TwipsToPixels(twips) == pixels ? twips : PixelsToTwips(pixels); };
    const int inner_w = keep(form_.ScaleWidth(), inner.width());
    const int inner_h = keep(form_.ScaleHeight(), inner.height());
    const bool framed = outer.size() != inner;
    const int outer_w = framed ? keep(form_.Width(), outer.width()) : inner_w + form_.FrameWidth();
    const int outer_h = framed ? keep(form_.Height(), outer.height()) : inner_h + form_.FrameHeight();
    const bool minimized = state == kMinimized;
    form_.BackendGeometry(keep(form_.Left(), outer.x()), keep(form_.Top(), outer.y()), outer_w, outer_h,
                          minimized ? 0 : inner_w, minimized ? 0 : inner_h, state);
}

void FormWindow::FlushLists(bool force) {
    if (detached_) return;
    for (auto& [control, binding] : bindings_) {
        if (!binding.model) continue;
        if (force) binding.model->Flush();
        else binding.model->FlushIfDue();
    }
}

void FormWindow::Popup(Menu& menu) {
    if (detached_) return;
    QMenu* qmenu = MenuOf(menu);
    if (!qmenu) return;
    QAction* chosen = qmenu->exec(QCursor::pos());
    if (!chosen || detached_) return;
    auto it = menu_items_.find(chosen);
    if (it != menu_items_.end()) UserClick(*it->second);
}

// ---- user actions -> state ------------------------------------------------

// Qt has already flipped the box; the state decides what it shows after
// the click (a handler may set it back, or the group may refuse).
void FormWindow::UserToggled(Binding& binding) {
    if (detached_) return;
    UserClick(*binding.control);
    if (binding.control->Kind() == ControlKind::OptionButton) {
        for (OptionButton* member : form_.OptionGroup(static_cast<OptionButton&>(*binding.control))) {
            Apply(bindings_[member], Property::Value);
        }
    } else {
        Apply(binding, Property::Value);
    }
}

void FormWindow::WindowCloseRequested() {
    if (!detached_) UserClose(form_);
}

void FormWindow::WindowGeometryChanged() { ReportGeometry(); }

void FormWindow::WindowPaint(QPainter& painter) {
    if (!detached_) surface_.Paint(painter, form_);
}

void FormWindow::WindowKeyPressed(QKeyEvent* event) {
    if (detached_) return;
    // With a control focused the key went to that control (which lets the
    // form preview it); it reaches the window only because the control let
    // it pass.
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != window_.get() && window_->isAncestorOf(focus)) {
        event->ignore();
        return;
    }
    const int key = VirtualKey(event->key(), event->modifiers());
    if (key != 0) UserFormKeyDown(form_, key, ShiftMask(event->modifiers()));
}

void FormWindow::WindowMouse(QMouseEvent* event) {
    if (detached_) return;
    const QPoint pos = event->position().toPoint();
    // A control under the mouse had the event first and let it pass.
    if (window_->childAt(pos)) return;
    const int button = MouseButtonCode(event->button());
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            form_pressed_ = button == kLeftButton;
            if (button != 0) {
                UserFormMouseDown(form_, button, ShiftMask(event->modifiers()), PixelsToTwips(pos.x()), PixelsToTwips(pos.y()));
            }
            break;
        case QEvent::MouseButtonRelease: {
            const bool click = form_pressed_ && button == kLeftButton && window_->rect().contains(pos);
            form_pressed_ = false;
            if (click) UserFormClick(form_);
            break;
        }
        case QEvent::MouseButtonDblClick:
            // Qt sends press, release, double click: the same order as the
            // window system the handlers were written for.
            if (button == kLeftButton) UserFormDblClick(form_);
            break;
        default:
            break;
    }
}

bool FormWindow::FromOtherControl(QWidget* watched, const QPoint& pos, const Binding& binding) const {
    for (QWidget* child = watched->childAt(pos); child && child != watched; child = child->parentWidget()) {
        auto it = routes_.find(child);
        if (it != routes_.end() && it->second != &binding) return true;
    }
    return false;
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
    if (detached_) return false;
    auto route = routes_.find(watched);
    if (route == routes_.end()) return false;
    Binding& binding = *route->second;
    Control& control = *binding.control;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: {
            // The list view reports its mouse itself, after it has selected.
            if (binding.model) break;
            auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint pos = mouse->position().toPoint();
            if (FromOtherControl(widget, pos, binding)) break;
            const QPoint at = widget == binding.widget ? pos : widget->mapTo(binding.widget, pos);
            const int button = MouseButtonCode(mouse->button());
            if (event->type() == QEvent::MouseButtonPress) {
                pressed_ = button == kLeftButton ? &control : nullptr;
                if (button != 0) {
                    UserMouseDown(control, button, ShiftMask(mouse->modifiers()), PixelsToTwips(at.x()), PixelsToTwips(at.y()));
                }
            } else if (event->type() == QEvent::MouseButtonRelease) {
                const bool click = button == kLeftButton && pressed_ == &control && ClicksOnRelease(control.Kind()) &&
                                   binding.widget->rect().contains(at);
                pressed_ = nullptr;
                if (click) UserClick(control);
            } else if (button == kLeftButton) {
                UserDblClick(control);
            }
            break;
        }
        case QEvent::KeyPress: {
            if (QApplication::focusWidget() != widget) break;
            auto* key_event = static_cast<QKeyEvent*>(event);
            const int key = VirtualKey(key_event->key(), key_event->modifiers());
            if (key == 0) break;
            const std::uint64_t resets = binding.model ? binding.model->ResetCount() : 0;
            UserKeyDown(control, key, ShiftMask(key_event->modifiers()));
            // A handler that rebuilt the list leaves nothing for the key's
            // own action (moving the current row) to act on.
            if (binding.model && binding.model->ResetCount() != resets) return true;
            break;
        }
        case QEvent::FocusIn:
            if (!applying_focus_) UserFocus(control);
            break;
        default:
            break;
    }
    return false;
}

}  // namespace kestrova
