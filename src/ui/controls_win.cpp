#include "ui/controls_win.h"

#include <commctrl.h>
#include <oleacc.h>

#include <map>

#include "sys/com_win.h"
#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"
#include "ui/boundary_win.h"
#include "ui/msgbox_win.h"

namespace plivex::ui {

Control::Control(Form& form, const wchar_t* windowClass, DWORD style, DWORD exStyle, int left, int top, int width,
                 int height, const std::string& text, int tabOrder)
    : form_(form), id_(form.AddControl(this)), left_(left), top_(top), width_(width), height_(height),
      tabOrder_(tabOrder) {
    if (tabOrder >= 0) style |= WS_TABSTOP;
    hwnd_ = CreateWindowExW(exStyle, windowClass, Widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, form.Scale(left),
                            form.Scale(top), form.Scale(width), form.Scale(height), form.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), Application::Get().Instance(),
                            nullptr);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form.Font()), FALSE);
}

Control::~Control() {
    form_.RemoveControl(this);
    if (!accessibleName_.empty()) Annotate(hwnd_, false);
    if (hwnd_) DestroyWindow(hwnd_);
}

void Control::SetAccessibleName(const std::string& name) {
    accessibleName_ = name;
    SetWindowTextW(hwnd_, Widen(name).c_str());
    Annotate(hwnd_, true);
}

// The name as a property of the window's accessibility object; cleared
// before the window goes, as the annotation service asks.
void Control::Annotate(HWND window, bool on) const {
    EnsureCom();
    ComRef<IAccPropServices> services;
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                services.PutVoid())))
        return;
    MSAAPROPID name = PROPID_ACC_NAME;
    if (on)
        services->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, name,
                                 Widen(accessibleName_).c_str());
    else
        services->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &name, 1);
}

void Control::SetBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    SetWindowPos(hwnd_, nullptr, form_.Scale(left), form_.Scale(top), form_.Scale(width), form_.Scale(height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::Rescale() {
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.Font()), FALSE);
    SetBounds(left_, top_, width_, height_);
}

std::string Control::Text() const { return WindowText(hwnd_); }

void Control::SetText(const std::string& text) { SetWindowTextW(hwnd_, Widen(text).c_str()); }

// Visibility of the control itself: a control on a hidden form still counts as visible.
bool Control::Visible() const { return (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0; }
void Control::SetVisible(bool visible) { ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE); }
bool Control::Enabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Control::SetEnabled(bool enabled) { EnableWindow(hwnd_, enabled); }
bool Control::CanFocus() const { return Visible() && Enabled(); }

void Control::SetFocus() {
    // Through the dialog manager, so the default button follows the focus.
    SendMessageW(form_.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd_), TRUE);
}

// ---- Label ----

Label::Label(Form& form, int left, int top, const std::string& text, int width, Alignment align)
    : Control(form, L"STATIC",
              align == Alignment::Center  ? SS_CENTER
              : align == Alignment::Right ? SS_RIGHT
                                          : SS_LEFTNOWORDWRAP,
              0, left, top, width < 0 ? 0 : width, 15, text, -1),
      autoSize_(width < 0) {
    if (autoSize_) AutoSize();
}

// Fonts do not grow in proportion to the DPI: a label that fits its text fits it again.
void Label::Rescale() {
    Control::Rescale();
    if (autoSize_) AutoSize();
}

void Label::SetText(const std::string& text) {
    Control::SetText(text);
    if (autoSize_) AutoSize();
}

void Label::AutoSize() {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, form_.Font());
    const std::wstring text = Widen(Text());
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    SetBounds(left_, top_, form_.Unscale(r.right) + 1, form_.Unscale(r.bottom));
}

// ---- Button ----

Button::Button(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder)
    : Control(form, L"BUTTON", BS_PUSHBUTTON, 0, left, top, width, height, caption, tabOrder) {}

void Button::SetDefault(bool isDefault) {
    default_ = isDefault;
    SendMessageW(hwnd_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    if (isDefault) form_.UpdateDefaultButton();
}

void Button::Click() {
    if (!Enabled() || !Visible()) return;
    if (OnClick) OnClick();
    if (modalResult_ != 0 && form_.InModal()) form_.EndModal(modalResult_);
}

void Button::Command(WORD code) {
    if (code == BN_CLICKED) Click();
}

// ---- Edit ----

Edit::Edit(Form& form, int left, int top, int width, int height, int tabOrder)
    : Control(form, L"EDIT", ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE, left, top, width, height, "", tabOrder) {}

void Edit::SetPasswordChar(wchar_t c) {
    passwordChar_ = c;
    SendMessageW(hwnd_, EM_SETPASSWORDCHAR, c, 0);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void Edit::FocusAndSelectAll() {
    form_.SetActiveControl(this);
    SendMessageW(hwnd_, EM_SETSEL, 0, -1);
}

void Edit::SetReadOnly(bool readOnly) { SendMessageW(hwnd_, EM_SETREADONLY, readOnly, 0); }
bool Edit::Modified() const { return SendMessageW(hwnd_, EM_GETMODIFY, 0, 0) != 0; }
void Edit::SetModified(bool modified) { SendMessageW(hwnd_, EM_SETMODIFY, modified, 0); }

void Edit::Command(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange();
}

// ---- CheckBox, RadioButton ----

CheckBox::CheckBox(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder)
    : CheckBox(form, left, top, width, height, caption, tabOrder, BS_AUTOCHECKBOX) {}

CheckBox::CheckBox(Form& form, int left, int top, int width, int height, const std::string& caption, int tabOrder,
                   DWORD kind)
    : Control(form, L"BUTTON", kind, 0, left, top, width, height, caption, tabOrder) {}

bool CheckBox::Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::SetChecked(bool checked) { SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0); }

void CheckBox::Click() {
    if (!Enabled()) return;
    SendMessageW(hwnd_, BM_CLICK, 0, 0);  // the control toggles itself and notifies Command
}

void CheckBox::Command(WORD code) {
    if (code == BN_CLICKED && OnClick) OnClick();
}

RadioButton::RadioButton(Form& form, int left, int top, int width, int height, const std::string& caption,
                         int tabOrder, bool firstOfGroup)
    : CheckBox(form, left, top, width, height, caption, tabOrder, BS_AUTORADIOBUTTON | (firstOfGroup ? WS_GROUP : 0)) {}

// ---- GroupBox, Bevel, Image ----

GroupBox::GroupBox(Form& form, int left, int top, int width, int height, const std::string& caption)
    : Control(form, L"BUTTON", BS_GROUPBOX, 0, left, top, width, height, caption, -1) {}

Bevel::Bevel(Form& form, int left, int top, int width)
    : Control(form, L"STATIC", SS_ETCHEDHORZ, 0, left, top, width, 2, "", -1) {}

ProgressBar::ProgressBar(Form& form, int left, int top, int width, int height)
    : Control(form, CommonControlClass(PROGRESS_CLASSW), 0, 0, left, top, width, height, "", -1) {
    SendMessageW(hwnd_, PBM_SETRANGE32, 0, 1000);
}

void ProgressBar::SetPermille(int permille) { SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(permille), 0); }

Image::Image(Form& form, int left, int top, int width, int height)
    : Control(form, L"STATIC", SS_OWNERDRAW, 0, left, top, width, height, "", -1) {
    HDC screen = GetDC(nullptr);
    canvas_ = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    MakeCanvas();
}

Image::~Image() {
    SelectObject(canvas_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(canvas_);
}

// A picture of the control's size at the form's DPI; what was drawn before is gone.
void Image::MakeCanvas() {
    HDC screen = GetDC(nullptr);
    HBITMAP fresh = CreateCompatibleBitmap(screen, form_.Scale(width_), form_.Scale(height_));
    ReleaseDC(nullptr, screen);
    const HGDIOBJ previous = SelectObject(canvas_, fresh);
    if (bitmap_) DeleteObject(bitmap_);
    else oldBitmap_ = previous;
    bitmap_ = fresh;
}

void Image::Rescale() {
    Control::Rescale();
    MakeCanvas();  // the form draws it again (Form::DpiChanged)
}

void Image::Draw(const DRAWITEMSTRUCT& item) {
    BitBlt(item.hDC, 0, 0, form_.Scale(width_), form_.Scale(height_), canvas_, 0, 0, SRCCOPY);
}

// ---- Timer ----

namespace {
std::map<UINT_PTR, Timer*>& Timers() {
    static std::map<UINT_PTR, Timer*> timers;
    return timers;
}
}  // namespace

Timer::Timer(UINT intervalMs, std::function<void()> onTimer) : OnTimer(std::move(onTimer)), interval_(intervalMs) {}

Timer::~Timer() { SetEnabled(false); }

void Timer::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    if (enabled) {
        id_ = SetTimer(nullptr, 0, interval_, Tick);
        if (id_) Timers()[id_] = this;
    } else {
        KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
}

void CALLBACK Timer::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Timers().find(id);
    if (it == Timers().end() || !it->second->OnTimer) return;
    Guarded(it->second->OnTimer);
}

}  // namespace plivex::ui
