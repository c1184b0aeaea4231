// A window and its native controls, made from the form's control table.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <iterator>

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

FormWindow::FormWindow(Form& form, BackendShared& shared, const LoopState& loop)
    : FormMirror(form), shared_(shared), loop_(loop) {
    RegisterOnce(kFormClass, CS_DBLCLKS, nullptr);
    RegisterOnce(kPlainFormClass, CS_DBLCLKS, nullptr, false);
    Build();
    // Without a window there is nothing to mirror.
    if (!Handle()) Detach();
}

FormWindow::~FormWindow() {
    Detach();
    for (auto& [control, binding] : bindings_) {
        binding.list_window.reset();
        binding.picture.reset();
        if (binding.brush) DeleteObject(binding.brush);
        if (binding.menu) DestroyMenu(binding.menu);
    }
    if (tooltip_) DestroyWindow(tooltip_);
    if (back_brush_) DeleteObject(back_brush_);
    if (Handle()) DestroyWindow(Handle());
    if (font_) DeleteObject(font_);
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
    dpi_ = Window::Dpi();
    ReportScreenDpi();
    MakeFont();
    if (auto back = form_.BackColor()) back_brush_ = CreateSolidBrush(ToColorRef(*back));
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               ProgramInstance(), nullptr);
    BindControls();
    UINT next_id = kFirstControlId;
    for (const auto& control : form_.Controls()) bindings_[control.get()].id = next_id++;
    // Frames first, so they lie beneath the controls placed on them.
    for (const auto& control : form_.Controls()) {
        if (control->Kind() == ControlKind::Frame) CreateControl(bindings_[control.get()]);
    }
    for (const auto& control : form_.Controls()) {
        if (control->Kind() != ControlKind::Frame) CreateControl(bindings_[control.get()]);
    }
    next_menu_id_ = kFirstMenuId;
    BuildMenuTree();
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
        Win32Binding& binding = bindings_[control.get()];
        if (binding.list_window && binding.list_window->Handle()) binding.list_window->Attach();
    }
    // The design's inner size, with the frame this system draws around it;
    // the form learns the real frame before anyone reads its sizes.
    RECT outer{0, 0, TwipsToPixels(design.client_width, dpi_), TwipsToPixels(design.client_height, dpi_)};
    AdjustWindowRectForDpi(outer, style, ex_style, dpi_);
    SetWindowPos(Handle(), nullptr, TwipsToPixels(form_.Left(), dpi_), TwipsToPixels(form_.Top(), dpi_),
                 outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ReportPlacement(true);
    if (form_.Topmost()) ShowTopmost();
    if (form_.Visible()) ShowVisibility();
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

void FormWindow::CreateControl(Win32Binding& binding) {
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
            binding.list_window = std::make_unique<ListWindow>(static_cast<ListView&>(control), Handle(), binding.id, loop_);
            binding.list = binding.list_window.get();
            binding.hwnd = binding.list_window->Handle();
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

void FormWindow::AddToolTip(Win32Binding& binding) {
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

void FormWindow::MakeMenu(Win32Binding& menu) { menu.menu = CreatePopupMenu(); }

void FormWindow::AddSubmenu(Win32Binding& menu, Win32Binding& submenu) {
    if (!menu.menu) return;
    const std::wstring caption = WideFromUtf8(submenu.control->Caption());
    AppendMenuW(menu.menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(submenu.menu), caption.c_str());
}

void FormWindow::AddSeparator(Win32Binding& menu, Win32Binding&) {
    if (menu.menu) AppendMenuW(menu.menu, MF_SEPARATOR, 0, nullptr);
}

void FormWindow::AddMenuItem(Win32Binding& menu, Win32Binding& item) {
    if (!menu.menu) return;
    item.id = next_menu_id_++;
    const std::wstring caption = WideFromUtf8(item.control->Caption());
    AppendMenuW(menu.menu, MF_STRING, item.id, caption.c_str());
    menu_items_[item.id] = static_cast<Menu*>(item.control);
}

HWND FormWindow::ControlHandle(const Control& control) const {
    auto it = bindings_.find(&control);
    return it == bindings_.end() ? nullptr : it->second.hwnd;
}

ListWindow* FormWindow::ListOf(const Control& control) const {
    auto it = bindings_.find(&control);
    return it == bindings_.end() ? nullptr : it->second.list_window.get();
}

Win32Binding* FormWindow::BindingOf(HWND hwnd) {
    auto it = by_hwnd_.find(hwnd);
    return it == by_hwnd_.end() ? nullptr : it->second;
}

}  // namespace kestrova
