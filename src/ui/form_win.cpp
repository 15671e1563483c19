#include "ui/form_win.h"

#include <algorithm>
#include <map>
#include <stdexcept>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/boundary_win.h"
#include "ui/controls_win.h"
#include "ui/msgbox_win.h"
#include "ui/page_control_win.h"

namespace plivex::ui {

namespace {


struct Styles {
    DWORD style;
    DWORD exStyle;
};

Styles StylesFor(BorderStyle border, BorderIcons icons) {
    // No WS_CLIPCHILDREN: group boxes rely on the form painting behind them.
    DWORD style = WS_POPUP | WS_CAPTION;
    DWORD ex = WS_EX_CONTROLPARENT;
    switch (border) {
    case BorderStyle::Dialog:
        style |= DS_MODALFRAME;
        ex |= WS_EX_DLGMODALFRAME;
        break;
    case BorderStyle::Single:
        break;
    case BorderStyle::Sizeable:
        style |= WS_THICKFRAME;
        break;
    }
    if (icons.systemMenu) style |= WS_SYSMENU;
    if (icons.minimize) style |= WS_MINIMIZEBOX;
    if (icons.maximize) style |= WS_MAXIMIZEBOX;
    if (icons.help) ex |= WS_EX_CONTEXTHELP;
    return {style, ex};
}

}  // namespace

HFONT FormFont(int dpi) {
    static std::map<int, HFONT> fonts;
    HFONT& font = fonts[dpi];
    // Rounded down, unlike positions: text laid out at 96 DPI must never grow
    // wider than its scaled control (13 px at 150 % is 19, not 20).
    if (!font)
        font = CreateFontW(-(13 * dpi / 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           L"MS UI Gothic");
    return font;
}

int WindowDpi(HWND hwnd) {
    using GetDpi = UINT(WINAPI*)(HWND);
    // Looked up at run time: Windows before 10 1607 has no such call.
    static const auto getDpi = reinterpret_cast<GetDpi>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const UINT dpi = getDpi ? getDpi(hwnd) : 0;
    return dpi > 0 ? static_cast<int>(dpi) : Application::Get().Dpi();
}

Form::Form(int clientWidth, int clientHeight, const std::string& caption, BorderStyle style, BorderIcons icons)
    : dpi_(Application::Get().Dpi()), font_(FormFont(dpi_)), borderStyle_(style), icons_(icons) {
    // A dialog-class window gives Tab, Enter, Esc and accelerators their usual meaning.
    struct alignas(4) Template {
        DLGTEMPLATE dlg;
        WORD menu, windowClass, title;
    } tmpl{};
    const Styles s = StylesFor(style, icons);
    tmpl.dlg.style = s.style;
    tmpl.dlg.dwExtendedStyle = s.exStyle;
    Application& app = Application::Get();
    hwnd_ = CreateDialogIndirectParamW(app.Instance(), &tmpl.dlg, app.OwnerWindow(), DialogProc,
                                       reinterpret_cast<LPARAM>(this));
    if (!hwnd_) throw std::runtime_error("CreateDialogIndirectParamW failed");
    dpi_ = WindowDpi(hwnd_);  // the monitor it opens on
    font_ = FormFont(dpi_);
    SetCaption(caption);
    SetClientSize(clientWidth, clientHeight);
    // The program icon (resource 1) in the caption bar, where the program has one.
    if (HICON icon = LoadIconW(app.Instance(), MAKEINTRESOURCEW(1))) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    app.Register(this);
}

Form::~Form() {
    Application::Get().Unregister(this);
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

INT_PTR CALLBACK Form::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        reinterpret_cast<Form*>(lParam)->hwnd_ = hwnd;
        return FALSE;  // focus is set when the form is shown
    }
    Form* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return FALSE;
    // What the form's handlers ask, they ask from this form.
    const AskerScope asking(hwnd);
    std::optional<LRESULT> result;
    if (!Guarded([&] { result = form->Dispatch(msg, wParam, lParam); })) return TRUE;
    if (!result) return FALSE;
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *result);
    return TRUE;
}

std::optional<LRESULT> Form::HandleMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }

std::function<void()> Form::AsOwnHandler(std::function<void()> handler) {
    return [this, handler = std::move(handler)] {
        const AskerScope asking(hwnd_);
        handler();
    };
}

std::optional<LRESULT> Form::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto handled = HandleMessage(msg, wParam, lParam)) return handled;
    switch (msg) {
    case WM_COMMAND: {
        const HWND from = reinterpret_cast<HWND>(lParam);
        if (from) {
            for (Control* c : controls_)
                if (c->Handle() == from) {
                    c->Command(HIWORD(wParam));
                    return 0;
                }
            return std::nullopt;
        }
        // Keyboard: Esc gives IDCANCEL, Enter without a default button IDOK.
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            if (Button* b = LOWORD(wParam) == IDOK ? DefaultButton() : CancelButton()) b->Click();
            return 0;
        }
        return std::nullopt;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DPICHANGED:
        ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_SETCURSOR:
        if (Application::Get().Busy()) {
            SetCursor(LoadCursorW(nullptr, IDC_WAIT));
            return TRUE;
        }
        return std::nullopt;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        for (Control* c : controls_)
            if (c->Handle() == item->hwndItem) {
                c->Draw(*item);
                return TRUE;
            }
        return std::nullopt;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        for (Control* c : controls_)
            if (c->Handle() == header->hwndFrom) return c->Notify(*header);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::string Form::Caption() const { return WindowText(hwnd_); }

void Form::SetCaption(const std::string& caption) { SetWindowTextW(hwnd_, Widen(caption).c_str()); }

int Form::Left() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.left;
}
int Form::Top() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.top;
}
int Form::Width() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}
int Form::Height() const {
    RECT r;
    GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}
void Form::SetLeft(int left) { SetPosition(left, Top()); }
void Form::SetTop(int top) { SetPosition(Left(), top); }
void Form::SetPosition(int left, int top) {
    SetWindowPos(hwnd_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::ClientWidth() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return Unscale(r.right);
}
int Form::ClientHeight() const {
    RECT r;
    GetClientRect(hwnd_, &r);
    return Unscale(r.bottom);
}

void Form::SetClientSize(int width, int height) {
    RECT r{0, 0, Scale(width), Scale(height)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetOuterSize(int width, int height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, Scale(width), Scale(height), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::ApplyDpi(int dpi, const RECT* suggested) {
    if (dpi <= 0 || dpi == dpi_) return;
    const int width = ClientWidth(), height = ClientHeight();  // in design pixels, at the old DPI
    dpi_ = dpi;
    font_ = FormFont(dpi);
    if (suggested)
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetClientSize(width, height);
    for (Control* c : controls_) c->Rescale();
    DpiChanged();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Form::ApplyStyle() {
    const int w = ClientWidth(), h = ClientHeight();
    const Styles s = StylesFor(borderStyle_, icons_);
    const DWORD keep = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)) & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, s.style | keep);
    const DWORD keepEx = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)) & WS_EX_TOPMOST;
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, s.exStyle | keepEx);
    SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    SetClientSize(w, h);
}

void Form::SetBorderStyle(BorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    ApplyStyle();
}

void Form::SetBorderIcons(BorderIcons icons) {
    if (icons == icons_) return;
    icons_ = icons;
    ApplyStyle();
}

void Form::SetStayOnTop(bool onTop) {
    stayOnTop_ = onTop;
    SetWindowPos(hwnd_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Form::Restore() {
    if (Minimized()) ShowWindow(hwnd_, SW_RESTORE);
}

void Form::Show() {
    Application::Get().AssertWindowThread();
    if (Visible()) {
        BringToFront();
        return;
    }
    if (!shownOnce_) ArrangeTabOrder();
    if (!inModal_) AttachToFront();
    if (position_ == FormPosition::ScreenCenter) {
        SetPosition((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2);
    }
    if (OnShow) OnShow();
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    FocusFirst();
    shownOnce_ = true;
}

// Owned by the program's window in front, so it stays above it and, when it
// closes, Windows activates that window again. While no window of the program
// is visible (a batch from the command line) it stands alone and gets a
// taskbar button of its own, or it could not be found. The main form keeps
// the taskbar button it has.
void Form::AttachToFront() {
    Application& app = Application::Get();
    if (app.MainForm() == this) return;
    HWND owner = app.FrontWindow();
    if (owner == hwnd_) owner = nullptr;
    SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner ? owner : app.OwnerWindow()));
    const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, owner ? ex & ~WS_EX_APPWINDOW : ex | WS_EX_APPWINDOW);
}

void Form::Hide() {
    Application::Get().AssertWindowThread();
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::BringToFront() {
    Restore();
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
}

void Form::Close() {
    Application::Get().AssertWindowThread();
    if (inModal_) {
        // Closing a modal form (Alt+F4) means what its cancel button means.
        if (Button* cancel = CancelButton()) cancel->Click();
        else EndModal(mrCancel);
        return;
    }
    if (OnCloseQuery && !OnCloseQuery()) return;
    Hide();
}

void Form::EndModal(int result) {
    if (result != mrNone && OnCloseQuery && !OnCloseQuery()) return;
    modalResult_ = result;
}

int Form::ShowModal() {
    Application::Get().AssertWindowThread();
    Application& app = Application::Get();
    if (Visible()) Hide();
    AttachToFront();
    ModalScope modal(hwnd_);
    modalResult_ = mrNone;
    inModal_ = true;
    Show();

    bool leftOpen = false;
    if (const ModalHook& hook = InstalledModalHook()) {
        hook(*this);
        if (modalResult_ == mrNone) {
            leftOpen = true;
            modalResult_ = mrCancel;
        }
    } else {
        while (modalResult_ == mrNone) {
            MSG msg;
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // leave the quit for the main loop
                modalResult_ = mrCancel;
                break;
            }
            app.Dispatch(msg);
        }
    }
    // Enable the owners before hiding, so that Windows activates them again.
    modal.EnableOthers();
    Hide();
    inModal_ = false;
    if (leftOpen) throw std::logic_error("modal form \"" + Caption() + "\" was left open without a result");
    return modalResult_;
}

bool Form::PreTranslateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_F1) {
        const AskerScope asking(hwnd_);
        Application::Get().ShowHelp(HelpAnchor());
        return true;
    }
    if (msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        for (Control* c : controls_)
            if (auto* pages = dynamic_cast<PageControl*>(c); pages && pages->Visible()) {
                pages->SelectNext(GetKeyState(VK_SHIFT) >= 0);
                return true;
            }
    }
    return false;
}

void Form::SetActiveControl(Control* control) {
    activeControl_ = control;
    if (Visible() && control) SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->Handle()), TRUE);
}

int Form::AddControl(Control* control) {
    controls_.push_back(control);
    return nextId_++;
}

void Form::RemoveControl(Control* control) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    if (activeControl_ == control) activeControl_ = nullptr;
}

// The dialog manager walks controls in z-order: put them in tab order, each
// label just before the control its accelerator focuses.
void Form::ArrangeTabOrder() {
    std::vector<Control*> tabbed, order;
    for (Control* c : controls_)
        if (c->TabOrder() >= 0) tabbed.push_back(c);
    std::stable_sort(tabbed.begin(), tabbed.end(),
                     [](const Control* a, const Control* b) { return a->TabOrder() < b->TabOrder(); });
    for (Control* c : controls_)
        if (c->TabOrder() < 0 && !c->FocusTarget()) order.push_back(c);
    for (Control* t : tabbed) {
        for (Control* c : controls_)
            if (c->TabOrder() < 0 && c->FocusTarget() == t) order.push_back(c);
        order.push_back(t);
    }
    HWND after = HWND_TOP;
    for (Control* c : order) {
        SetWindowPos(c->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = c->Handle();
    }
}

void Form::FocusFirst() {
    Control* target = activeControl_;
    if (!target || !target->CanFocus()) {
        target = nullptr;
        for (Control* c : controls_)
            if (c->TabOrder() >= 0 && c->CanFocus() && (!target || c->TabOrder() < target->TabOrder())) target = c;
    }
    if (target) SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target->Handle()), TRUE);
}

Button* Form::FirstButton(bool (Button::*is)() const) const {
    for (Control* c : controls_)
        if (auto* b = dynamic_cast<Button*>(c); b && b->Visible() && b->Enabled() && (b->*is)()) return b;
    return nullptr;
}

Button* Form::DefaultButton() const { return FirstButton(&Button::Default); }
Button* Form::CancelButton() const { return FirstButton(&Button::Cancel); }

void Form::UpdateDefaultButton() {
    if (Button* b = DefaultButton()) SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(b->Id()), 0);
}

}  // namespace plivex::ui
