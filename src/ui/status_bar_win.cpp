#include "ui/status_bar_win.h"

#include <commctrl.h>

#include "sys/text_win.h"
#include "ui/app_win.h"
#include "ui/form_win.h"
#include "ui/list_controls_win.h"

namespace plivex::ui {

StatusBar::StatusBar(Form& form)
    : Control(form, CommonControlClass(STATUSCLASSNAMEW),
              CCS_BOTTOM | (form.GetBorderStyle() == BorderStyle::Sizeable ? SBARS_SIZEGRIP : 0), 0, 0, 0, 0, 0, "",
              -1) {
    SendMessageW(hwnd_, SB_SIMPLE, TRUE, 0);
    // The form's own procedure is not ours to change: listen to its WM_SIZE beside it.
    SetWindowSubclass(form.Handle(), FormProc, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this));
    Dock();
}

StatusBar::~StatusBar() { RemoveWindowSubclass(form_.Handle(), FormProc, reinterpret_cast<UINT_PTR>(this)); }

// Setting names the simple panel by SB_SIMPLEID, reading by index 0 (the control answers for the simple panel).
std::string StatusBar::SimpleText() const {
    const LRESULT len = LOWORD(SendMessageW(hwnd_, SB_GETTEXTLENGTHW, 0, 0));
    std::wstring text(static_cast<std::size_t>(len) + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(len));
    return Narrow(text);
}

void StatusBar::SetSimpleText(const std::string& text) {
    SendMessageW(hwnd_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

// The control moves itself to the bottom on WM_SIZE; the geometry is read back for Left, Top, Width, Height.
void StatusBar::Dock() {
    SendMessageW(hwnd_, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(nullptr, form_.Handle(), reinterpret_cast<POINT*>(&r), 2);
    const Application& app = Application::Get();
    left_ = app.Unscale(r.left);
    top_ = app.Unscale(r.top);
    width_ = app.Unscale(r.right - r.left);
    height_ = app.Unscale(r.bottom - r.top);
}

LRESULT CALLBACK StatusBar::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    if (msg == WM_SIZE) reinterpret_cast<StatusBar*>(ref)->Dock();
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace plivex::ui
