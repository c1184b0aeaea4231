// A window and its native controls, made from the form's control table.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <set>

#include "platform/model/listview.h"
#include "win32_dpi.h"
#include "win32_form_window.h"
#include "win32_list_window.h"
#include "win32_picture_control.h"
#include "platform/windows/wide_text.h"

namespace kestrova {
namespace {

constexpr const wchar_t* kFormClass = L"KestrovaForm";
constexpr const wchar_t* kPlainFormClass = L"KestrovaPlainForm";  // without the icon
constexpr UINT kFirstControlId = 1000;
constexpr UINT kFirstMenuId = 30000;
// The font the window tables were laid out for, at 9 points.
constexpr const wchar_t* kFontFace = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";  // ＭＳ Ｐゴシック
constexpr int kFontPoints = 9;

DWORD StyleFor(FormBorder border) {
    switch (border) {
        case FormBorder::FixedToolWindow:
        case FormBorder::FixedDialog: return WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
        case FormBorder::None: return WS_POPUP | WS_CLIPCHILDREN;
        case FormBorder::Sizable: break;
    }
    return WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
}

DWORD ExStyleFor(FormBorder border) {
    switch (border) {
        case FormBorder::FixedToolWindow: return WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
        case FormBorder::FixedDialog: return WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        case FormBorder::None: return WS_EX_CONTROLPARENT;
        case FormBorder::Sizable: break;
    }
    return WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
}

// The option buttons of one container are one group, in which the arrow
// keys move; every other control starts a group of its own, so a group
// ends with its last option button.
bool StartsGroup(const Form& form, const Control& control) {
    if (control.Kind() != ControlKind::OptionButton) return true;
    const auto& controls = form.Controls();
    const auto at = std::find_if(controls.begin(), controls.end(), [&](const auto& c) { return c.get() == &control; });
    if (at == controls.begin() || at == controls.end()) return true;
    const Control& before = **std::prev(at);
    return before.Kind() != ControlKind::OptionButton || before.Container() != control.Container();
}

}  // namespace

FormWindow::FormWindow(Form& form, BackendShared& shared) : form_(form), shared_(shared) {
    RegisterOnce(kFormClass, CS_DBLCLKS, nullptr);
    RegisterOnce(kPlainFormClass, CS_DBLCLKS, nullptr, false);
    Build();
}

FormWindow::~FormWindow() {
    Detach();
    for (auto& [control, binding] : bindings_) {
        binding.list.reset();
        binding.picture.reset();
        if (binding.brush) DeleteObject(binding.brush);
        if (binding.menu) DestroyMenu(binding.menu);
    }
    if (tooltip_) DestroyWindow(tooltip_);
    if (back_brush_) DeleteObject(back_brush_);
    if (Handle()) DestroyWindow(Handle());
    if (font_) DeleteObject(font_);
}

void FormWindow::Detach() {
    if (detached_) return;
    detached_ = true;
    for (auto& [control, binding] : bindings_) {
        if (binding.list) binding.list->Detach();
        if (binding.timer && Handle()) KillTimer(Handle(), binding.timer);
    }
}

void FormWindow::MakeFont() {
    if (font_) DeleteObject(font_);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(kFontPoints, static_cast<int>(dpi_), 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = CLEARTYPE_QUALITY;
    wcsncpy(lf.lfFaceName, kFontFace, LF_FACESIZE - 1);
    font_ = CreateFontIndirectW(&lf);
}

void FormWindow::Build() {
    const FormDesign& design = form_.Design();
    const std::wstring caption = WideFromUtf8(form_.Caption());
    const DWORD style = StyleFor(design.border);
    // A caption without a modal frame shows the system's icon where the
    // window has none of its own.
    const bool plain_caption = !design.has_icon && (style & WS_CAPTION) == WS_CAPTION;
    const DWORD ex_style = ExStyleFor(design.border) | (plain_caption ? WS_EX_DLGMODALFRAME : 0);
    // The main window owns every other window, so they stay above it and
    // share its place on the task bar.
    HWND owner = design.border == FormBorder::Sizable ? nullptr : shared_.main_window;
    Create(ex_style, design.has_icon ? kFormClass : kPlainFormClass, caption.c_str(), style,
           RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0}, owner, nullptr);
    if (!Handle()) return;
    if (!shared_.main_window) shared_.main_window = Handle();
    dpi_ = Dpi();
    form_.SetScreenDpi(static_cast<int>(dpi_));
    MakeFont();
    if (auto back = form_.BackColor()) back_brush_ = CreateSolidBrush(ToColorRef(*back));
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               ProgramInstance(), nullptr);
    UINT next_id = kFirstControlId;
    for (const auto& control : form_.Controls()) {
        Binding& binding = bindings_[control.get()];
        binding.control = control.get();
        binding.id = next_id++;
    }
    // Frames first, so they lie beneath the controls placed on them.
    for (const auto& control : form_.Controls()) {
        if (control->Kind() == ControlKind::Frame) CreateControl(bindings_[control.get()]);
    }
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Frame) CreateControl(bindings_[control.get()]);
    }
    BuildMenus();
    // Labels and pictures are drawn on the window itself in the tables'
    // design, beneath every other control: a long status line never covers
    // the list. Reverse order keeps their own order among themselves.
    const auto& controls = form_.Controls();
    for (ControlKind bottom : {ControlKind::Frame, ControlKind::Label}) {
        for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
            const ControlKind kind = (*it)->Kind();
            const bool graphical = kind == ControlKind::Label || kind == ControlKind::Image;
            HWND hwnd = bindings_[it->get()].hwnd;
            if (hwnd && (bottom == ControlKind::Frame ? kind == ControlKind::Frame : graphical)) {
                SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            }
        }
    }
    for (const auto& control : form_.Controls()) ApplyAll(bindings_[control.get()]);
    for (const auto& control : form_.Controls()) {
        Binding& binding = bindings_[control.get()];
        if (binding.list) binding.list->Attach();
    }
    // The design's inner size, with the frame this system draws around it;
    // the form learns the real frame before anyone reads its sizes.
    RECT outer{0, 0, TwipsToPixels(design.client_width, dpi_), TwipsToPixels(design.client_height, dpi_)};
    AdjustWindowRectForDpi(outer, style, ex_style, dpi_);
    SetWindowPos(Handle(), nullptr, TwipsToPixels(form_.Left(), dpi_), TwipsToPixels(form_.Top(), dpi_),
                 outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ReportGeometry(true);
    if (form_.Topmost()) ApplyTopmost();
    if (form_.Visible()) ApplyVisible();
}

POINT FormWindow::ContainerOrigin(const Control& control) const {
    POINT origin{0, 0};
    const Control* at = &control;
    for (int depth = 0; depth < 16 && !at->Container().empty(); ++depth) {
        const Control* container = form_.Find(at->Container());
        if (!container || container == at || container->Kind() != ControlKind::Frame) break;
        origin.x += container->Left();
        origin.y += container->Top();
        at = container;
    }
    return origin;
}

void FormWindow::CreateControl(Binding& binding) {
    Control& control = *binding.control;
    const auto id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(binding.id));
    const DWORD child = WS_CHILD | WS_CLIPSIBLINGS | (StartsGroup(form_, control) ? WS_GROUP : 0);
    auto make = [&](DWORD ex_style, const wchar_t* cls, DWORD style) {
        return CreateWindowExW(ex_style, cls, L"", child | style, 0, 0, 1, 1, Handle(), id, ProgramInstance(), nullptr);
    };
    switch (control.Kind()) {
        case ControlKind::Label:
            binding.hwnd = make(0, L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY);
            break;
        case ControlKind::CommandButton:
            binding.hwnd = make(0, L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON);
            break;
        case ControlKind::CheckBox:
            binding.hwnd = make(0, L"BUTTON", WS_TABSTOP | BS_CHECKBOX);
            break;
        case ControlKind::OptionButton:
            binding.hwnd = make(0, L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON);
            break;
        case ControlKind::TextBox:
            binding.hwnd = make(WS_EX_CLIENTEDGE, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT);
            break;
        case ControlKind::ComboBox: {
            binding.hwnd = make(0, L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL);
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            if (binding.hwnd && GetComboBoxInfo(binding.hwnd, &info)) binding.edit = info.hwndItem;
            break;
        }
        case ControlKind::Frame:
            binding.hwnd = make(0, L"BUTTON", BS_GROUPBOX);
            break;
        case ControlKind::Image:
        case ControlKind::PictureBox:
            binding.picture = std::make_unique<PictureControl>(static_cast<ImageControl&>(control), Handle(), binding.id);
            binding.hwnd = binding.picture->Handle();
            break;
        case ControlKind::ListView:
            binding.list = std::make_unique<ListWindow>(static_cast<ListView&>(control), Handle(), binding.id, shared_);
            binding.hwnd = binding.list->Handle();
            break;
        case ControlKind::Timer:
            binding.timer = binding.id;
            return;
        case ControlKind::Line:
        case ControlKind::Menu:
        case ControlKind::ImageList:
        case ControlKind::DriveList:
        case ControlKind::DirList:
        case ControlKind::FileList:
            return;
    }
    if (!binding.hwnd) return;
    SendMessageW(binding.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    by_hwnd_[binding.hwnd] = &binding;
    SetWindowSubclass(binding.hwnd, &FormWindow::ControlProc, binding.id, reinterpret_cast<DWORD_PTR>(this));
    if (binding.edit) {
        by_hwnd_[binding.edit] = &binding;
        SetWindowSubclass(binding.edit, &FormWindow::ControlProc, binding.id, reinterpret_cast<DWORD_PTR>(this));
    }
    AddToolTip(binding);
}

void FormWindow::AddToolTip(Binding& binding) {
    if (!tooltip_ || !binding.hwnd) return;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(binding.hwnd);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (binding.edit) {
        tool.uId = reinterpret_cast<UINT_PTR>(binding.edit);
        SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

// A menu with items becomes a pop-up menu; each item is an entry of its
// parent's menu, or the parent's submenu when it has items of its own.
void FormWindow::BuildMenus() {
    std::set<std::string> with_items;
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Menu || control->Container().empty()) continue;
        if (Control* parent = form_.Find(control->Container()); parent && parent->Kind() == ControlKind::Menu) {
            with_items.insert(parent->Name());
        }
    }
    for (const auto& control : form_.Controls()) {
        if (control->Kind() == ControlKind::Menu && with_items.count(control->Name())) {
            bindings_[control.get()].menu = CreatePopupMenu();
        }
    }
    UINT next_id = kFirstMenuId;
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Menu) continue;
        auto& item = static_cast<Menu&>(*control);
        Binding& binding = bindings_[&item];
        Control* parent = item.Container().empty() ? nullptr : form_.Find(item.Container());
        if (!parent || parent == &item || parent->Kind() != ControlKind::Menu) continue;
        HMENU parent_menu = bindings_[parent].menu;
        if (!parent_menu) continue;
        const std::wstring caption = WideFromUtf8(item.Caption());
        if (binding.menu) {
            AppendMenuW(parent_menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(binding.menu), caption.c_str());
        } else if (item.Caption() == "-") {
            AppendMenuW(parent_menu, MF_SEPARATOR, 0, nullptr);
        } else {
            binding.id = next_id++;
            AppendMenuW(parent_menu, MF_STRING, binding.id, caption.c_str());
            menu_items_[binding.id] = &item;
        }
    }
}

HWND FormWindow::ControlHandle(const Control& control) const {
    auto it = bindings_.find(&control);
    return it == bindings_.end() ? nullptr : it->second.hwnd;
}

ListWindow* FormWindow::ListOf(const Control& control) const {
    auto it = bindings_.find(&control);
    return it == bindings_.end() ? nullptr : it->second.list.get();
}

FormWindow::Binding* FormWindow::BindingOf(HWND hwnd) {
    auto it = by_hwnd_.find(hwnd);
    return it == by_hwnd_.end() ? nullptr : it->second;
}

}  // namespace kestrova
